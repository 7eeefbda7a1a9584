#include "i18n/qt/QtObjectAccess.h"

#include <stdexcept>

#include <QComboBox>
#include <QPointer>

#include "i18n/EngineStartup.h"
#include "i18n/WindowTranslation.h"
#include "i18n/qt/QtClassTable.h"

namespace i18n::qt {

namespace {

bool IsOwnedName(const QString& name) {
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

bool HasMarker(const QObject* object) {
    return object->findChild<MarkerObject*>(QLatin1String(kMarkerName), Qt::FindDirectChildrenOnly) !=
           nullptr;
}

void CollectOwned(const QObject* parent, std::vector<QObject*>& out) {
    for (QObject* child : parent->children()) {
        const bool named = IsOwnedName(child->objectName());
        if (named) {
            out.push_back(child);
        }
        if (!(named && HasMarker(child))) {
            CollectOwned(child, out);
        }
    }
}

// One Qt object, or one facet of it (its font, a combo box's items, a status bar's panels), seen
// through its class adapter.
class QtObject final : public TObjectAccess,
                       public TComponentAccess,
                       public TLineListAccess,
                       public TCollectionAccess {
public:
    QtObject(QObject* object, const ClassAdapter& adapter, int facet)
        : object_(object), identity_{object, facet}, adapter_(adapter) {}

    ObjectIdentity Identity() const override { return identity_; }
    const TClassInfo* Class() const override { return object_.isNull() ? nullptr : adapter_.Info; }

    std::vector<PropertyInfo> Properties() const override {
        std::vector<PropertyInfo> properties;
        properties.reserve(adapter_.All.size());
        for (const PropertyAdapter& p : adapter_.All) {
            properties.push_back({p.Name, p.Kind, static_cast<bool>(p.WriteText)});
        }
        return properties;
    }

    std::string ReadText(const std::string& name) const override {
        const PropertyAdapter& p = Require(name);
        if (!p.ReadText) {
            throw std::runtime_error("Property " + name + " is not a text property.");
        }
        return p.ReadText(object_).toStdString();
    }

    bool WriteText(const std::string& name, const std::string& value) override {
        const PropertyAdapter* p = adapter_.Find(name);
        if (object_ == nullptr || p == nullptr || !p->WriteText) {
            return false;
        }
        p->WriteText(object_, QString::fromStdString(value));
        return true;
    }

    ObjectPtr ReadObject(const std::string& name) const override {
        const PropertyAdapter& p = Require(name);
        if (!p.ReadObject) {
            throw std::runtime_error("Property " + name + " is not an object property.");
        }
        return p.ReadObject(object_);
    }

    TLineListAccess* AsLineList() override { return adapter_.LineList && !object_.isNull() ? this : nullptr; }
    TCollectionAccess* AsCollection() override {
        return adapter_.Collection && !object_.isNull() ? this : nullptr;
    }
    TComponentAccess* AsComponent() override {
        return !object_.isNull() && adapter_.Info->InheritsFrom(ComponentClass()) ? this : nullptr;
    }
    TGnuGettextComponentMarker* AsMarker() override {
        auto* marker = qobject_cast<MarkerObject*>(object_.data());
        return marker != nullptr ? &marker->Marker() : nullptr;
    }

    std::vector<ObjectPtr> OwnedComponents() const override {
        std::vector<QObject*> owned;
        CollectOwned(object_, owned);
        std::vector<ObjectPtr> wrapped;
        wrapped.reserve(owned.size());
        for (QObject* o : owned) {
            wrapped.push_back(WrapObject(o));
        }
        return wrapped;
    }

    ObjectPtr FindComponent(const std::string& name) const override {
        const QString wanted = QString::fromStdString(name);
        // The marker is always a direct child; most look-ups are for it.
        for (QObject* child : object_->children()) {
            if (child->objectName().compare(wanted, Qt::CaseInsensitive) == 0 && IsOwnedName(wanted)) {
                return WrapObject(child);
            }
        }
        std::vector<QObject*> owned;
        CollectOwned(object_, owned);
        for (QObject* o : owned) {
            if (o->objectName().compare(wanted, Qt::CaseInsensitive) == 0) {
                return WrapObject(o);
            }
        }
        return nullptr;
    }

    void InsertComponent(std::unique_ptr<TGnuGettextComponentMarker> marker) override {
        new MarkerObject(std::move(marker), object_);
    }

    std::vector<std::string> Lines() const override {
        std::vector<std::string> lines;
        if (auto* combo = qobject_cast<QComboBox*>(object_.data())) {
            for (int i = 0; i < combo->count(); ++i) {
                lines.push_back(combo->itemText(i).toStdString());
            }
        }
        return lines;
    }

    void ReplaceLines(const std::vector<std::string>& lines) override {
        auto* combo = qobject_cast<QComboBox*>(object_.data());
        if (combo == nullptr) {
            return;
        }
        combo->clear();
        for (const std::string& line : lines) {
            combo->addItem(QString::fromStdString(line));
        }
        // Rewritten items carry no selection; Qt would select the first one added.
        combo->setCurrentIndex(-1);
    }

    // Index changes while the items are rewritten are not the user's picks; they are kept from the
    // window's change handlers.
    void BeginUpdate() override {
        if (updateDepth_++ == 0 && !object_.isNull()) {
            signalsWereBlocked_ = object_->blockSignals(true);
        }
    }
    void EndUpdate() override {
        if (--updateDepth_ == 0 && !object_.isNull()) {
            object_->blockSignals(signalsWereBlocked_);
        }
    }

    std::vector<ObjectPtr> Items() const override { return StatusPanels(object_); }

private:
    const PropertyAdapter& Require(const std::string& name) const {
        if (object_ == nullptr) {
            throw std::runtime_error("The object no longer exists.");
        }
        const PropertyAdapter* p = adapter_.Find(name);
        if (p == nullptr) {
            throw std::runtime_error("Unknown property " + name + ".");
        }
        return *p;
    }

    QPointer<QObject> object_;
    ObjectIdentity identity_;
    const ClassAdapter& adapter_;
    int updateDepth_ = 0;
    bool signalsWereBlocked_ = false;
};

}  // namespace

ObjectPtr WrapFacet(QObject* object, const ClassAdapter& adapter, int facet) {
    if (object == nullptr) {
        return nullptr;
    }
    return std::make_shared<QtObject>(object, adapter, facet);
}

ObjectPtr WrapObject(QObject* object) {
    return WrapFacet(object, AdapterFor(object), 0);
}

void TranslateComponent(QObject* component) {
    i18n::TranslateComponent(WrapObject(component));
}

void RetranslateComponent(QObject* component) {
    i18n::RetranslateComponent(WrapObject(component));
}

QString Translate(const QString& msgid) {
    return QString::fromStdString(i18n::Translate(msgid.toStdString()));
}

}  // namespace i18n::qt
