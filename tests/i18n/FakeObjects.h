#pragma once

// A small object graph in plain C++ behind the object-access layer, for tests of the window
// translation.

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/AsciiText.h"
#include "i18n/ObjectAccess.h"
#include "i18n/WindowTranslation.h"

namespace i18n::test {

inline const TClassInfo& FakeControlClass() {
    static const TClassInfo info{"TFakeControl", &ComponentClass()};
    return info;
}
inline const TClassInfo& FakeFontClass() {
    static const TClassInfo info{"TFakeFont", nullptr};
    return info;
}

struct FakeProperty {
    std::string Name;
    PropertyKind Kind = PropertyKind::Text;
    bool Writable = true;
    std::string Text;
    ObjectPtr Object;
    bool FailsOnRead = false;
    bool Gone = false;  // no longer found by name
};

class FakeObject final : public TObjectAccess,
                         public TComponentAccess,
                         public TLineListAccess,
                         public TCollectionAccess {
public:
    FakeObject(std::string name, const TClassInfo& cls) : cls_(cls) {
        Props.push_back({"Name", PropertyKind::Text, true, std::move(name), nullptr});
    }

    static std::shared_ptr<FakeObject> Make(std::string name, const TClassInfo& cls = FakeControlClass()) {
        auto made = std::make_shared<FakeObject>(std::move(name), cls);
        Made().push_back(made);
        return made;
    }

    // A marker's list holds its targets (non-owning wrappers in the Qt adapter, the fakes themselves
    // here) and a fake owns its marker: a cycle that would outlive the test. Every fake made during a
    // test drops its marker when the test ends.
    static std::vector<std::weak_ptr<FakeObject>>& Made() {
        static std::vector<std::weak_ptr<FakeObject>> made;
        return made;
    }

    FakeObject& Text(std::string name, std::string text, bool writable = true) {
        Props.push_back({std::move(name), PropertyKind::Text, writable, std::move(text), nullptr});
        return *this;
    }
    FakeObject& Object(std::string name, ObjectPtr object) {
        Props.push_back({std::move(name), PropertyKind::Object, false, {}, std::move(object)});
        return *this;
    }
    FakeProperty& Prop(const std::string& name) {
        for (FakeProperty& p : Props) {
            if (p.Name == name) {
                return p;
            }
        }
        throw std::logic_error("no fake property " + name);
    }
    std::string Get(const std::string& name) { return Prop(name).Text; }

    ObjectIdentity Identity() const override { return {this, 0}; }
    const TClassInfo* Class() const override { return &cls_; }
    std::vector<PropertyInfo> Properties() const override {
        std::vector<PropertyInfo> out;
        for (const FakeProperty& p : Props) {
            out.push_back({p.Name, p.Kind, p.Writable});
        }
        return out;
    }
    std::string ReadText(const std::string& name) const override {
        const FakeProperty& p = const_cast<FakeObject*>(this)->Prop(name);
        if (p.FailsOnRead) {
            throw std::runtime_error("read failed");
        }
        return p.Text;
    }
    bool WriteText(const std::string& name, const std::string& value) override {
        for (FakeProperty& p : Props) {
            if (p.Name == name && !p.Gone && p.Writable) {
                p.Text = value;
                ++Writes;
                return true;
            }
        }
        return false;
    }
    ObjectPtr ReadObject(const std::string& name) const override {
        return const_cast<FakeObject*>(this)->Prop(name).Object;
    }

    TLineListAccess* AsLineList() override { return IsLineList ? this : nullptr; }
    TCollectionAccess* AsCollection() override { return IsCollection ? this : nullptr; }
    TComponentAccess* AsComponent() override { return cls_.InheritsFrom(ComponentClass()) ? this : nullptr; }
    TGnuGettextComponentMarker* AsMarker() override { return Marker.get(); }

    std::vector<ObjectPtr> OwnedComponents() const override { return Owned; }
    ObjectPtr FindComponent(const std::string& name) const override {
        for (const ObjectPtr& o : Owned) {
            if (base::EqualsIgnoringAsciiCase(o->ReadText("Name"), name)) {
                return o;
            }
        }
        return nullptr;
    }
    void InsertComponent(std::unique_ptr<TGnuGettextComponentMarker> marker) override {
        auto holder = Make(kMarkerName);
        holder->Marker = std::move(marker);
        Owned.push_back(holder);
    }

    std::vector<std::string> Lines() const override { return LineValues; }
    void ReplaceLines(const std::vector<std::string>& lines) override {
        EXPECT_GT(UpdateDepth, 0) << "lines replaced outside an update bracket";
        LineValues = lines;
    }
    void BeginUpdate() override { ++UpdateDepth; }
    void EndUpdate() override { --UpdateDepth; }

    std::vector<ObjectPtr> Items() const override { return CollectionItems; }

    std::vector<FakeProperty> Props;
    std::vector<ObjectPtr> Owned;
    std::vector<ObjectPtr> CollectionItems;
    std::vector<std::string> LineValues;
    bool IsLineList = false;
    bool IsCollection = false;
    int UpdateDepth = 0;
    int Writes = 0;
    std::unique_ptr<TGnuGettextComponentMarker> Marker;

private:
    const TClassInfo& cls_;
};

class DropFakeMarkersAtTestEnd final : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override {
        for (const std::weak_ptr<FakeObject>& weak : FakeObject::Made()) {
            if (const std::shared_ptr<FakeObject> fake = weak.lock()) {
                fake->Marker.reset();
            }
        }
        FakeObject::Made().clear();
    }
};

inline const bool kFakeMarkersDroppedAtTestEnd = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new DropFakeMarkersAtTestEnd);
    return true;
}();

}  // namespace i18n::test
