#pragma once

// The table of class adapters behind QtObjectAccess: for each kind of Qt object, the class the window
// translation sees and its published properties in declaration order, each mapped to Qt.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QString>

#include "i18n/ObjectAccess.h"
#include "i18n/WindowTranslation.h"

namespace i18n::qt {

struct PropertyAdapter {
    std::string Name;
    PropertyKind Kind = PropertyKind::Other;
    std::function<QString(QObject*)> ReadText;
    std::function<void(QObject*, const QString&)> WriteText;  // empty: read-only
    std::function<ObjectPtr(QObject*)> ReadObject;
};

struct ClassAdapter {
    const TClassInfo* Info = nullptr;
    bool LineList = false;
    bool Collection = false;
    // Base-class properties first; a redeclared property keeps its base position.
    std::vector<PropertyAdapter> All;

    const PropertyAdapter* Find(const std::string& name) const;
};

// The marker component: a child QObject named "GNUgettextMarker" that owns the marker.
class MarkerObject final : public QObject {
    Q_OBJECT
public:
    MarkerObject(std::unique_ptr<TGnuGettextComponentMarker> marker, QObject* owner);
    TGnuGettextComponentMarker& Marker() { return *marker_; }

private:
    std::unique_ptr<TGnuGettextComponentMarker> marker_;
};

// The adapter for `object`'s kind; the plain component adapter for objects the table does not know.
const ClassAdapter& AdapterFor(const QObject* object);

// A wrapper seeing `object` through `adapter`; `facet` tells apart wrappers of parts of one object.
ObjectPtr WrapFacet(QObject* object, const ClassAdapter& adapter, int facet);

// The panels of a status bar: its QLabel children, or when it has none one panel showing its message.
std::vector<ObjectPtr> StatusPanels(QObject* statusBar);

}  // namespace i18n::qt
