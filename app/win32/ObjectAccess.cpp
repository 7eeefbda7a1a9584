#include "app/win32/ObjectAccess.h"

#include <windows.h>

#include <commctrl.h>

#include <stdexcept>
#include <utility>

#include "app/win32/MainWindow.h"
#include "app/win32/MainWindowLayout.h"
#include "app/win32/WideText.h"
#include "i18n/WindowTranslation.h"

namespace app::win32 {

namespace {

using i18n::ObjectPtr;
using i18n::PropertyInfo;
using i18n::PropertyKind;
using i18n::TClassInfo;

struct Classes {
    TClassInfo Control{"TControl", &i18n::ComponentClass()};
    TClassInfo Form{"TForm", &Control};
    TClassInfo GroupBox{"TGroupBox", &Control};
    TClassInfo Label{"TLabel", &Control};
    TClassInfo Button{"TButton", &Control};
    TClassInfo MenuButton{"TMenuButton", &Button};
    TClassInfo ComboBox{"TComboBox", &Control};
    TClassInfo Edit{"TEdit", &Control};
    TClassInfo SpinEdit{"TSpinEdit", &Control};
    TClassInfo StatusBar{"TStatusBar", &Control};
    TClassInfo PopupMenu{"TPopupMenu", &i18n::ComponentClass()};
    TClassInfo MenuItem{"TMenuItem", &i18n::ComponentClass()};
    TClassInfo Marker{"TGnuGettextComponentMarker", &i18n::ComponentClass()};
    TClassInfo Strings{"TStrings", nullptr};
    TClassInfo StatusPanels{"TStatusPanels", &i18n::CollectionClass()};
    TClassInfo StatusPanel{"TStatusPanel", nullptr};
};

const Classes& Class() {
    static const Classes classes;
    return classes;
}

enum Facet { kWhole = 0, kItems = 1, kPanels = 2, kPanel = 3, kMenuItem = 10 };

[[noreturn]] void NoSuchProperty(const std::string& name) {
    throw std::invalid_argument("no property " + name);
}

const PropertyInfo kName{"Name", PropertyKind::Text, true};
const PropertyInfo kCaption{"Caption", PropertyKind::Text, true};
const PropertyInfo kText{"Text", PropertyKind::Text, true};

// A combo box's items as a line list.
class ItemsAccess final : public i18n::TObjectAccess, public i18n::TLineListAccess {
public:
    explicit ItemsAccess(HWND combo) : combo_(combo) {}
    i18n::ObjectIdentity Identity() const override { return {combo_, kItems}; }
    const TClassInfo* Class() const override { return &win32::Class().Strings; }
    std::vector<PropertyInfo> Properties() const override { return {}; }
    std::string ReadText(const std::string& name) const override { NoSuchProperty(name); }
    bool WriteText(const std::string&, const std::string&) override { return false; }
    ObjectPtr ReadObject(const std::string&) const override { return nullptr; }
    i18n::TLineListAccess* AsLineList() override { return this; }

    std::vector<std::string> Lines() const override {
        std::vector<std::string> lines;
        const auto count = SendMessageW(combo_, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            const auto length = SendMessageW(combo_, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
            std::wstring line(static_cast<std::size_t>(length) + 1, L'\0');
            SendMessageW(combo_, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line.data()));
            line.resize(static_cast<std::size_t>(length));
            lines.push_back(Utf8(line));
        }
        return lines;
    }
    // The selection goes with the old items, as a replaced item list loses it.
    void ReplaceLines(const std::vector<std::string>& lines) override {
        SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
        for (const std::string& line : lines) {
            SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(line).c_str()));
        }
    }
    void BeginUpdate() override { SendMessageW(combo_, WM_SETREDRAW, FALSE, 0); }
    void EndUpdate() override {
        SendMessageW(combo_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(combo_, nullptr, TRUE);
    }

private:
    HWND combo_;
};

// The status bar's one panel.
class PanelAccess final : public i18n::TObjectAccess {
public:
    explicit PanelAccess(HWND bar) : bar_(bar) {}
    i18n::ObjectIdentity Identity() const override { return {bar_, kPanel}; }
    const TClassInfo* Class() const override { return &win32::Class().StatusPanel; }
    std::vector<PropertyInfo> Properties() const override { return {kText}; }
    std::string ReadText(const std::string& name) const override {
        if (name != "Text") {
            NoSuchProperty(name);
        }
        const auto length = LOWORD(SendMessageW(bar_, SB_GETTEXTLENGTHW, 0, 0));
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(bar_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
        text.resize(length);
        return Utf8(text);
    }
    bool WriteText(const std::string& name, const std::string& value) override {
        if (name != "Text") {
            return false;
        }
        SendMessageW(bar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(Wide(value).c_str()));
        return true;
    }
    ObjectPtr ReadObject(const std::string&) const override { return nullptr; }

private:
    HWND bar_;
};

class PanelsAccess final : public i18n::TObjectAccess, public i18n::TCollectionAccess {
public:
    explicit PanelsAccess(HWND bar) : bar_(bar) {}
    i18n::ObjectIdentity Identity() const override { return {bar_, kPanels}; }
    const TClassInfo* Class() const override { return &win32::Class().StatusPanels; }
    std::vector<PropertyInfo> Properties() const override { return {}; }
    std::string ReadText(const std::string& name) const override { NoSuchProperty(name); }
    bool WriteText(const std::string&, const std::string&) override { return false; }
    ObjectPtr ReadObject(const std::string&) const override { return nullptr; }
    i18n::TCollectionAccess* AsCollection() override { return this; }
    std::vector<ObjectPtr> Items() const override { return {std::make_shared<PanelAccess>(bar_)}; }

private:
    HWND bar_;
};

// One control of the window, seen by its kind.
class ControlAccess final : public i18n::TObjectAccess {
public:
    ControlAccess(HWND control, const ControlPlace& place) : control_(control), spec_(place) {}
    i18n::ObjectIdentity Identity() const override { return {control_, kWhole}; }
    const TClassInfo* Class() const override {
        const Classes& c = win32::Class();
        switch (spec_.kind) {
            case Kind::GroupBox:
                return &c.GroupBox;
            case Kind::Label:
            case Kind::AutoWidthLabel:
                return &c.Label;
            case Kind::Button:
                return &c.Button;
            case Kind::MenuButton:
                return &c.MenuButton;
            case Kind::DropDownList:
                return &c.ComboBox;
            case Kind::Edit:
                return &c.Edit;
            case Kind::PortEdit:
                return &c.SpinEdit;
            case Kind::StatusBar:
                return &c.StatusBar;
        }
        return &c.Control;
    }
    std::vector<PropertyInfo> Properties() const override {
        switch (spec_.kind) {
            case Kind::DropDownList:
                return {kName, kText, {"Items", PropertyKind::Object, false}};
            case Kind::Edit:
                return {kName, kText};
            case Kind::PortEdit:
                return {kName, {"Value", PropertyKind::Other, true}};
            case Kind::StatusBar:
                return {kName, {"Panels", PropertyKind::Object, false}};
            default:
                return {kName, kCaption};
        }
    }
    std::string ReadText(const std::string& name) const override {
        if (name == "Name") {
            return std::string(spec_.name);
        }
        if (name == "Text" && spec_.kind == Kind::DropDownList) {
            const auto index = SendMessageW(control_, CB_GETCURSEL, 0, 0);
            if (index < 0) {
                return {};
            }
            const auto length = SendMessageW(control_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
            std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
            SendMessageW(control_, CB_GETLBTEXT, static_cast<WPARAM>(index),
                         reinterpret_cast<LPARAM>(text.data()));
            text.resize(static_cast<std::size_t>(length));
            return Utf8(text);
        }
        if (HasProperty(name)) {
            return Utf8(WindowText(control_));
        }
        NoSuchProperty(name);
    }
    bool WriteText(const std::string& name, const std::string& value) override {
        if (name == "Name" || !HasProperty(name)) {
            return false;
        }
        if (spec_.kind == Kind::DropDownList) {
            // A list without typing shows only its items: the item of that text, if any, is selected.
            const auto index = SendMessageW(control_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                            reinterpret_cast<LPARAM>(Wide(value).c_str()));
            if (index >= 0) {
                SendMessageW(control_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
            }
            return true;
        }
        SetWindowTextW(control_, Wide(value).c_str());
        return true;
    }
    ObjectPtr ReadObject(const std::string& name) const override {
        if (name == "Items" && spec_.kind == Kind::DropDownList) {
            return std::make_shared<ItemsAccess>(control_);
        }
        if (name == "Panels" && spec_.kind == Kind::StatusBar) {
            return std::make_shared<PanelsAccess>(control_);
        }
        return nullptr;
    }

private:
    bool HasProperty(const std::string& name) const {
        for (const PropertyInfo& property : Properties()) {
            if (property.Name == name && property.Kind == PropertyKind::Text) {
                return true;
            }
        }
        return false;
    }

    HWND control_;
    const ControlPlace& spec_;
};

class MenuItemAccess final : public i18n::TObjectAccess {
public:
    MenuItemAccess(HMENU menu, UINT position) : menu_(menu), position_(position) {}
    i18n::ObjectIdentity Identity() const override {
        return {menu_, kMenuItem + static_cast<int>(position_)};
    }
    const TClassInfo* Class() const override { return &win32::Class().MenuItem; }
    std::vector<PropertyInfo> Properties() const override { return {kName, kCaption}; }
    std::string ReadText(const std::string& name) const override {
        if (name == "Name") {
            return std::string(kLanguageItemNames.at(position_));
        }
        if (name != "Caption") {
            NoSuchProperty(name);
        }
        wchar_t text[256] = {};
        GetMenuStringW(menu_, position_, text, 256, MF_BYPOSITION);
        return Utf8(text);
    }
    bool WriteText(const std::string& name, const std::string& value) override {
        if (name != "Caption") {
            return false;
        }
        // Only the text: the item keeps its check mark.
        std::wstring text = Wide(value);
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STRING;
        info.dwTypeData = text.data();
        SetMenuItemInfoW(menu_, position_, TRUE, &info);
        return true;
    }
    ObjectPtr ReadObject(const std::string&) const override { return nullptr; }

private:
    HMENU menu_;
    UINT position_;
};

class MenuAccess final : public i18n::TObjectAccess, public i18n::TComponentAccess {
public:
    explicit MenuAccess(HMENU menu) : menu_(menu) {}
    i18n::ObjectIdentity Identity() const override { return {menu_, kWhole}; }
    const TClassInfo* Class() const override { return &win32::Class().PopupMenu; }
    std::vector<PropertyInfo> Properties() const override { return {kName}; }
    std::string ReadText(const std::string& name) const override {
        if (name != "Name") {
            NoSuchProperty(name);
        }
        return "tntpmn_Language";
    }
    bool WriteText(const std::string&, const std::string&) override { return false; }
    ObjectPtr ReadObject(const std::string&) const override { return nullptr; }
    i18n::TComponentAccess* AsComponent() override { return this; }
    std::vector<ObjectPtr> OwnedComponents() const override {
        std::vector<ObjectPtr> items;
        for (UINT i = 0; i < kLanguageItemNames.size(); ++i) {
            items.push_back(std::make_shared<MenuItemAccess>(menu_, i));
        }
        return items;
    }
    ObjectPtr FindComponent(const std::string&) const override { return nullptr; }
    void InsertComponent(std::unique_ptr<i18n::TGnuGettextComponentMarker>) override {
        throw std::logic_error("the language menu holds no marker");
    }

private:
    HMENU menu_;
};

class MarkerAccess final : public i18n::TObjectAccess {
public:
    explicit MarkerAccess(i18n::TGnuGettextComponentMarker& marker) : marker_(marker) {}
    i18n::ObjectIdentity Identity() const override { return {&marker_, kWhole}; }
    const TClassInfo* Class() const override { return &win32::Class().Marker; }
    std::vector<PropertyInfo> Properties() const override { return {kName}; }
    std::string ReadText(const std::string& name) const override {
        if (name != "Name") {
            NoSuchProperty(name);
        }
        return i18n::kMarkerName;
    }
    bool WriteText(const std::string&, const std::string&) override { return false; }
    ObjectPtr ReadObject(const std::string&) const override { return nullptr; }
    i18n::TGnuGettextComponentMarker* AsMarker() override { return &marker_; }

private:
    i18n::TGnuGettextComponentMarker& marker_;
};

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

class FormAccess final : public i18n::TObjectAccess, public i18n::TComponentAccess {
public:
    explicit FormAccess(MainWindow& window) : window_(window) {}
    i18n::ObjectIdentity Identity() const override { return {window_.Handle(), kWhole}; }
    const TClassInfo* Class() const override { return &win32::Class().Form; }
    std::vector<PropertyInfo> Properties() const override { return {kName, kCaption}; }
    std::string ReadText(const std::string& name) const override {
        if (name == "Name") {
            return "tntfrm_Main";
        }
        if (name != "Caption") {
            NoSuchProperty(name);
        }
        return Utf8(WindowText(window_.Handle()));
    }
    bool WriteText(const std::string& name, const std::string& value) override {
        if (name != "Caption") {
            return false;
        }
        SetWindowTextW(window_.Handle(), Wide(value).c_str());
        return true;
    }
    ObjectPtr ReadObject(const std::string&) const override { return nullptr; }
    i18n::TComponentAccess* AsComponent() override { return this; }

    std::vector<ObjectPtr> OwnedComponents() const override {
        std::vector<ObjectPtr> owned;
        const std::vector<ControlPlace>& places = Controls();
        for (std::size_t i = 0; i < places.size(); ++i) {
            owned.push_back(std::make_shared<ControlAccess>(window_.ControlHandle(i), places[i]));
        }
        owned.push_back(std::make_shared<MenuAccess>(window_.LanguageMenu()));
        if (marker_) {
            owned.push_back(std::make_shared<MarkerAccess>(*marker_));
        }
        return owned;
    }
    ObjectPtr FindComponent(const std::string& name) const override {
        for (const ObjectPtr& component : OwnedComponents()) {
            if (SameName(component->ReadText("Name"), name)) {
                return component;
            }
        }
        return nullptr;
    }
    void InsertComponent(std::unique_ptr<i18n::TGnuGettextComponentMarker> marker) override {
        marker_ = std::move(marker);
    }

private:
    MainWindow& window_;
    std::unique_ptr<i18n::TGnuGettextComponentMarker> marker_;
};

}  // namespace

ObjectPtr WrapWindow(MainWindow& window) {
    return std::make_shared<FormAccess>(window);
}

}  // namespace app::win32
