#pragma once

// The object-access layer: how the window translation sees a window's objects, independent of the
// toolkit. A toolkit adapter wraps each reachable object in a TObjectAccess; wrappers are shared and
// refer to the real objects without owning them.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "i18n/ClassRules.h"

namespace i18n {

class TGnuGettextComponentMarker;
class TLineListAccess;
class TCollectionAccess;
class TComponentAccess;
class TObjectAccess;
using ObjectPtr = std::shared_ptr<TObjectAccess>;

enum class PropertyKind { Text, Object, Other };

struct PropertyInfo {
    std::string Name;
    PropertyKind Kind = PropertyKind::Other;
    bool Writable = false;  // meaningful for text properties
};

// Identity of the object behind a wrapper: the object's address, and a facet number for objects that
// the toolkit keeps inside another one (a widget's font, a combo box's item list).
struct ObjectIdentity {
    const void* Object = nullptr;
    int Facet = 0;
    bool operator<(const ObjectIdentity& other) const noexcept {
        return Object != other.Object ? std::less<>()(Object, other.Object) : Facet < other.Facet;
    }
};

class TObjectAccess {
public:
    virtual ~TObjectAccess() = default;

    virtual ObjectIdentity Identity() const = 0;
    // The object's class; nullptr when the layer cannot show the object's published properties.
    virtual const TClassInfo* Class() const = 0;
    // Published properties in declaration order, base class first.
    virtual std::vector<PropertyInfo> Properties() const = 0;

    // Reads a text property. Throws std::exception when it cannot be read.
    virtual std::string ReadText(const std::string& name) const = 0;
    // Writes a text property looked up by `name` now; false (and nothing written) when the object has
    // no such writable property. Throws std::exception when the write fails.
    virtual bool WriteText(const std::string& name, const std::string& value) = 0;
    // Reads an object property; nullptr for none. Throws std::exception when it cannot be read.
    virtual ObjectPtr ReadObject(const std::string& name) const = 0;

    virtual TLineListAccess* AsLineList() { return nullptr; }
    virtual TCollectionAccess* AsCollection() { return nullptr; }
    virtual TComponentAccess* AsComponent() { return nullptr; }
    virtual TGnuGettextComponentMarker* AsMarker() { return nullptr; }
};

// An ordered list of text lines.
class TLineListAccess {
public:
    virtual ~TLineListAccess() = default;
    virtual std::vector<std::string> Lines() const = 0;
    // Clears the list and adds each line in order.
    virtual void ReplaceLines(const std::vector<std::string>& lines) = 0;
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;

    // Every line followed by CR LF.
    std::string BlockText() const;
    // Splits at CR LF, CR or LF (a final line break adds no line) and replaces the lines.
    void SetBlockText(const std::string& text);
};

class TCollectionAccess {
public:
    virtual ~TCollectionAccess() = default;
    virtual std::vector<ObjectPtr> Items() const = 0;
};

class TComponentAccess {
public:
    virtual ~TComponentAccess() = default;
    virtual std::vector<ObjectPtr> OwnedComponents() const = 0;
    // The owned component whose name equals `name` without regard to ASCII case; nullptr if none.
    virtual ObjectPtr FindComponent(const std::string& name) const = 0;
    // Makes `marker` an owned component; the owner destroys it with itself.
    virtual void InsertComponent(std::unique_ptr<TGnuGettextComponentMarker> marker) = 0;
};

// Lines of a block text as TLineListAccess::SetBlockText splits them.
std::vector<std::string> SplitLines(const std::string& text);

// A line list held in memory, used as scratch list while lines are translated.
class TStringLines final : public TLineListAccess {
public:
    TStringLines() = default;
    explicit TStringLines(std::vector<std::string> lines) : lines_(std::move(lines)) {}
    std::vector<std::string> Lines() const override { return lines_; }
    void ReplaceLines(const std::vector<std::string>& lines) override { lines_ = lines; }
    void BeginUpdate() override {}
    void EndUpdate() override {}

private:
    std::vector<std::string> lines_;
};

}  // namespace i18n
