#pragma once

// The object-access layer over Qt objects, for the window translation. Each QObject is shown as a
// component whose class and published text properties follow a table of class adapters (Name, Caption,
// Text, Hint, HelpKeyword, ... mapped to Qt properties); Qt's own properties (objectName aside, which is
// the component's Name) are not shown. What Qt lacks is added: a widget's font face name, a combo box's
// items as a line list, a status bar's panels as a collection, and empty HelpKeyword / HelpFile /
// ImeName / panel Caption / SimpleText held as dynamic properties of those names. A label's Caption
// is written through Qt's property system ("text"), so that a label class that redeclares that
// property sees the write.
//
// A component owns the named objects below it in the QObject tree (names not starting with "qt_",
// which Qt gives its internal children), whatever the widget nesting; a descendant that owns a marker
// is owned but not looked into. The marker is a child QObject named "GNUgettextMarker".

#include <QObject>
#include <QString>

#include "i18n/ObjectAccess.h"

namespace i18n::qt {

// The adapter for `object`; nullptr for nullptr.
ObjectPtr WrapObject(QObject* object);

// The program-wide shortcuts for Qt components, forwarding to the running engine (TranslateComponent
// in its default domain).
void TranslateComponent(QObject* component);
void RetranslateComponent(QObject* component);
// The running engine's Translate of `msgid` (the text itself when the engine is not running).
QString Translate(const QString& msgid);

}  // namespace i18n::qt
