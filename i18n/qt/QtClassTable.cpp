#include "i18n/qt/QtClassTable.h"

#include <algorithm>
#include <utility>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QToolButton>
#include <QWidget>

#include "i18n/qt/QtObjectAccess.h"

namespace i18n::qt {

namespace {

enum Facet { kFont = 1, kItems = 2, kPanels = 3, kPanel = 4 };

template <class T>
T* As(QObject* o) {
    return qobject_cast<T*>(o);
}

template <class T>
bool Is(const QObject* o) {
    return qobject_cast<const T*>(o) != nullptr;
}

PropertyAdapter TextProperty(std::string name, std::function<QString(QObject*)> read,
                             std::function<void(QObject*, const QString&)> write) {
    return {std::move(name), PropertyKind::Text, std::move(read), std::move(write), {}};
}

// A text property Qt has no counterpart for; held as a dynamic property of the same name, empty until
// the program sets it.
PropertyAdapter DynamicProperty(const char* name) {
    return TextProperty(
        name, [name](QObject* o) { return o->property(name).toString(); },
        [name](QObject* o, const QString& v) { o->setProperty(name, v); });
}

PropertyAdapter ObjectProperty(std::string name, std::function<ObjectPtr(QObject*)> read) {
    return {std::move(name), PropertyKind::Object, {}, {}, std::move(read)};
}

PropertyAdapter OtherProperty(std::string name) {
    return {std::move(name), PropertyKind::Other, {}, {}, {}};
}

void Declare(std::vector<PropertyAdapter>& all, std::vector<PropertyAdapter> own) {
    for (PropertyAdapter& p : own) {
        auto it =
            std::find_if(all.begin(), all.end(), [&p](const PropertyAdapter& q) { return q.Name == p.Name; });
        if (it != all.end()) {
            *it = std::move(p);
        } else {
            all.push_back(std::move(p));
        }
    }
}

ClassAdapter Derive(const TClassInfo* info, const ClassAdapter& base, std::vector<PropertyAdapter> own) {
    ClassAdapter adapter{info, false, false, base.All};
    Declare(adapter.All, std::move(own));
    return adapter;
}

// Every class adapter, built once. Each Declare... function fills the adapters of one family; an
// adapter derives from one declared before it.
struct Table final {
    TClassInfo ControlInfo{"TControl", &ComponentClass()};
    TClassInfo FormInfo{"TForm", &ControlInfo};
    TClassInfo GroupBoxInfo{"TGroupBox", &ControlInfo};
    TClassInfo LabelInfo{"TLabel", &ControlInfo};
    TClassInfo ButtonInfo{"TButton", &ControlInfo};
    TClassInfo MenuButtonInfo{"TMenuButton", &ButtonInfo};
    TClassInfo ComboBoxInfo{"TComboBox", &ControlInfo};
    TClassInfo EditInfo{"TEdit", &ControlInfo};
    TClassInfo SpinEditInfo{"TSpinEdit", &ControlInfo};
    TClassInfo PanelInfo{"TPanel", &ControlInfo};
    TClassInfo StatusBarInfo{"TStatusBar", &ControlInfo};
    TClassInfo PopupMenuInfo{"TPopupMenu", &ComponentClass()};
    TClassInfo MenuItemInfo{"TMenuItem", &ComponentClass()};
    TClassInfo MarkerInfo{"TGnuGettextComponentMarker", &ComponentClass()};
    TClassInfo FontInfo{"TFont", nullptr};
    TClassInfo StringsInfo{"TStrings", nullptr};
    TClassInfo StatusPanelsInfo{"TStatusPanels", &CollectionClass()};
    TClassInfo StatusPanelInfo{"TStatusPanel", nullptr};

    ClassAdapter Component, Control, Form, GroupBox, Label, Button, MenuButton, ComboBox, Edit, SpinEdit,
        Panel, StatusBar, PopupMenu, MenuItem, Marker, Font, Strings, StatusPanels, LabelPanel, MessagePanel;

    Table() {
        DeclareFacets();
        DeclareCaptionedControls();
        DeclareInputControls();
        DeclareContainersAndMenus();
    }

    // The parts of an object that the layer shows as objects of their own: a widget's font, a combo
    // box's items, a status bar's panels.
    void DeclareFacets() {
        Font = {&FontInfo, false, false, {}};
        Declare(Font.All, {TextProperty(
                              "Name", [](QObject* o) { return As<QWidget>(o)->font().family(); },
                              [](QObject* o, const QString& v) {
                                  auto* w = As<QWidget>(o);
                                  // Setting the same family would pin the widget's font and stop it
                                  // following its parent's.
                                  if (w->font().family() != v) {
                                      QFont f = w->font();
                                      f.setFamily(v);
                                      w->setFont(f);
                                  }
                              })});
        Strings = {&StringsInfo, true, false, {}};
        StatusPanels = {&StatusPanelsInfo, false, true, {}};
        LabelPanel = {&StatusPanelInfo, false, false, {}};
        Declare(LabelPanel.All, {TextProperty(
                                    "Text", [](QObject* o) { return As<QLabel>(o)->text(); },
                                    [](QObject* o, const QString& v) { As<QLabel>(o)->setText(v); })});
        MessagePanel = {&StatusPanelInfo, false, false, {}};
        Declare(MessagePanel.All,
                {TextProperty(
                    "Text", [](QObject* o) { return As<QStatusBar>(o)->currentMessage(); },
                    [](QObject* o, const QString& v) { As<QStatusBar>(o)->showMessage(v); })});
    }

    // Every component, every control, and the controls whose one text is their Caption.
    void DeclareCaptionedControls() {
        Component = {&ComponentClass(), false, false, {}};
        Declare(Component.All, {TextProperty(
                                   "Name", [](QObject* o) { return o->objectName(); },
                                   [](QObject* o, const QString& v) { o->setObjectName(v); })});
        Control = Derive(&ControlInfo, Component,
                         {ObjectProperty("Font", [this](QObject* o) { return WrapFacet(o, Font, kFont); }),
                          TextProperty(
                              "Hint", [](QObject* o) { return As<QWidget>(o)->toolTip(); },
                              [](QObject* o, const QString& v) { As<QWidget>(o)->setToolTip(v); }),
                          DynamicProperty("HelpKeyword")});
        const auto caption = [](auto read, auto write) { return TextProperty("Caption", read, write); };
        Form = Derive(&FormInfo, Control,
                      {caption([](QObject* o) { return As<QWidget>(o)->windowTitle(); },
                               [](QObject* o, const QString& v) { As<QWidget>(o)->setWindowTitle(v); }),
                       DynamicProperty("HelpFile")});
        GroupBox = Derive(&GroupBoxInfo, Control,
                          {caption([](QObject* o) { return As<QGroupBox>(o)->title(); },
                                   [](QObject* o, const QString& v) { As<QGroupBox>(o)->setTitle(v); })});
        // Written through Qt's property system, so that a label class that redeclares its "text"
        // property (one whose size follows its text, say) sees the write.
        Label = Derive(&LabelInfo, Control,
                       {caption([](QObject* o) { return As<QLabel>(o)->text(); },
                                [](QObject* o, const QString& v) { o->setProperty("text", v); })});
        Button = Derive(&ButtonInfo, Control,
                        {caption([](QObject* o) { return As<QAbstractButton>(o)->text(); },
                                 [](QObject* o, const QString& v) { As<QAbstractButton>(o)->setText(v); })});
        MenuButton = Derive(&MenuButtonInfo, Button, {ObjectProperty("DropDownMenu", [](QObject* o) {
            return WrapObject(As<QToolButton>(o)->menu());
        })});
    }

    // The controls that hold what the user enters or picks.
    void DeclareInputControls() {
        ComboBox =
            Derive(&ComboBoxInfo, Control,
                   {TextProperty(
                        "Text", [](QObject* o) { return As<QComboBox>(o)->currentText(); },
                        [](QObject* o, const QString& v) { As<QComboBox>(o)->setCurrentText(v); }),
                    DynamicProperty("ImeName"),
                    ObjectProperty("Items", [this](QObject* o) { return WrapFacet(o, Strings, kItems); })});
        Edit = Derive(&EditInfo, Control,
                      {TextProperty(
                           "Text", [](QObject* o) { return As<QLineEdit>(o)->text(); },
                           [](QObject* o, const QString& v) { As<QLineEdit>(o)->setText(v); }),
                       DynamicProperty("ImeName")});
        SpinEdit = Derive(&SpinEditInfo, Control, {OtherProperty("Value"), DynamicProperty("ImeName")});
    }

    // The controls that hold others, the menus, and the marker a translated component owns.
    void DeclareContainersAndMenus() {
        Panel = Derive(&PanelInfo, Control, {DynamicProperty("Caption")});
        StatusBar = Derive(
            &StatusBarInfo, Control,
            {ObjectProperty("Panels", [this](QObject* o) { return WrapFacet(o, StatusPanels, kPanels); }),
             DynamicProperty("SimpleText")});
        PopupMenu = Derive(&PopupMenuInfo, Component, {});
        MenuItem = Derive(
            &MenuItemInfo, Component,
            {TextProperty(
                 "Caption", [](QObject* o) { return As<QAction>(o)->text(); },
                 [](QObject* o, const QString& v) { As<QAction>(o)->setText(v); }),
             // QAction answers its text as tool tip when none was set; only a tool tip of its own is a Hint.
             TextProperty(
                 "Hint",
                 [](QObject* o) {
                     auto* a = As<QAction>(o);
                     QString text = a->text();
                     text.remove(QLatin1Char('&'));
                     return a->toolTip() == text ? QString() : a->toolTip();
                 },
                 [](QObject* o, const QString& v) { As<QAction>(o)->setToolTip(v); })});
        Marker = Derive(&MarkerInfo, Component, {});
    }
};

const Table& Classes() {
    static const Table table;
    return table;
}

}  // namespace

const PropertyAdapter* ClassAdapter::Find(const std::string& name) const {
    for (const PropertyAdapter& p : All) {
        if (p.Name == name) {
            return &p;
        }
    }
    return nullptr;
}

MarkerObject::MarkerObject(std::unique_ptr<TGnuGettextComponentMarker> marker, QObject* owner)
    : QObject(owner), marker_(std::move(marker)) {
    setObjectName(QLatin1String(kMarkerName));
}

const ClassAdapter& AdapterFor(const QObject* object) {
    const Table& t = Classes();
    if (object == nullptr) {
        return t.Component;
    }
    // The first kind that the object is wins: a more derived Qt class stands before its base.
    using IsKind = bool (*)(const QObject*);
    static constexpr std::pair<IsKind, ClassAdapter Table::*> kKinds[] = {
        {Is<MarkerObject>, &Table::Marker},
        {Is<QAction>, &Table::MenuItem},
        {Is<QMenu>, &Table::PopupMenu},
        {Is<QComboBox>, &Table::ComboBox},
        {Is<QAbstractSpinBox>, &Table::SpinEdit},
        {Is<QLineEdit>, &Table::Edit},
        {Is<QToolButton>, &Table::MenuButton},
        {Is<QAbstractButton>, &Table::Button},
        {Is<QLabel>, &Table::Label},
        {Is<QGroupBox>, &Table::GroupBox},
        {Is<QStatusBar>, &Table::StatusBar},
    };
    for (const auto& [is, adapter] : kKinds) {
        if (is(object)) {
            return t.*adapter;
        }
    }
    if (const auto* widget = qobject_cast<const QWidget*>(object)) {
        return widget->isWindow() ? t.Form : t.Panel;
    }
    return t.Component;
}

std::vector<ObjectPtr> StatusPanels(QObject* statusBar) {
    std::vector<ObjectPtr> panels;
    for (QLabel* label : statusBar->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
        panels.push_back(WrapFacet(label, Classes().LabelPanel, kPanel));
    }
    if (panels.empty()) {
        panels.push_back(WrapFacet(statusBar, Classes().MessagePanel, kPanel));
    }
    return panels;
}

}  // namespace i18n::qt
