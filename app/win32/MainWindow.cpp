#include "app/win32/MainWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <utility>

#include "app/logic/PortValue.h"
#include "app/win32/WideText.h"
#include "app/win32/WindowPicture.h"

namespace app::win32 {

namespace {

constexpr UINT kJobDone = WM_APP + 1;
constexpr UINT kPostedWaiting = WM_APP + 2;
constexpr UINT_PTR kPostedTimer = 1;
constexpr int kFirstLanguageId = 1000;
constexpr int kIconResource = 1;
// The drop-down lists' own part: the selection field inside its 3-pixel borders.
constexpr int kListFieldHeight = 15;
constexpr int kDropDownHeight = 150;

// Present from Windows 10 1607; looked up so that older systems still start, at 96 DPI.
UINT DpiOf(HWND window) {
    using Fn = UINT(WINAPI*)(HWND);
    static const auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const UINT dpi = fn != nullptr ? fn(window) : 0;
    return dpi != 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

// The size of `metric` (SM_CXICON, SM_CXSMICON) at `dpi`; present from Windows 10 1607, the system's
// own DPI answers before it.
int MetricFor(int metric, UINT dpi) {
    using Fn = int(WINAPI*)(int, UINT);
    static const auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    return fn != nullptr ? fn(metric, dpi) : GetSystemMetrics(metric);
}

// The program's icon in `size` pixels, picked from the sizes the icon resource holds; the caller
// destroys it.
HICON ProgramIcon(HINSTANCE instance, int size) {
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

// The program's icon as the system shares it, in the standard size of `metric`, for the window class.
HICON SharedProgramIcon(HINSTANCE instance, int metric) {
    const int size = GetSystemMetrics(metric);
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, size, size, LR_SHARED));
}

void DestroyIcons(std::initializer_list<HICON> icons) {
    for (HICON icon : icons) {
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
    }
}

RECT FrameFor(int clientWidth, int clientHeight, DWORD style, UINT dpi) {
    RECT frame{0, 0, clientWidth, clientHeight};
    using Fn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    if (fn != nullptr) {
        fn(&frame, style, FALSE, 0, dpi);
    } else {
        AdjustWindowRectEx(&frame, style, FALSE, 0);
    }
    return frame;
}

const wchar_t* ClassOf(Kind kind) {
    switch (kind) {
        case Kind::GroupBox:
        case Kind::Button:
        case Kind::MenuButton:
            return WC_BUTTONW;
        case Kind::Label:
        case Kind::AutoWidthLabel:
            return WC_STATICW;
        case Kind::DropDownList:
            return WC_COMBOBOXW;
        case Kind::Edit:
        case Kind::PortEdit:
            return WC_EDITW;
        case Kind::StatusBar:
            return STATUSCLASSNAMEW;
    }
    return WC_STATICW;
}

DWORD StyleOf(Kind kind) {
    constexpr DWORD child = WS_CHILD | WS_VISIBLE;
    switch (kind) {
        case Kind::GroupBox:
            return child | BS_GROUPBOX;
        case Kind::Button:
            return child | WS_TABSTOP | BS_PUSHBUTTON;
        case Kind::MenuButton:
            return child | WS_TABSTOP | BS_SPLITBUTTON;
        // One line each: a text that does not fit even its grown box ends in an ellipsis instead of
        // breaking into lines of which only the first would show.
        case Kind::Label:
            return child | SS_RIGHT | SS_ENDELLIPSIS;
        case Kind::AutoWidthLabel:
            return child | SS_LEFT | SS_ENDELLIPSIS;
        case Kind::DropDownList:
            return child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        case Kind::Edit:
        case Kind::PortEdit:
            return child | WS_TABSTOP | ES_AUTOHSCROLL;
        case Kind::StatusBar:
            return child;
    }
    return child;
}

}  // namespace

struct MainWindow::Job {
    HWND window = nullptr;
    HANDLE thread = nullptr;
    std::function<void()> work;
    std::function<void()> done;

    static DWORD WINAPI Main(void* self) {
        auto* job = static_cast<Job*>(self);
        job->work();
        // When the window is gone the post fails; the window's owner waits for the thread anyway.
        PostMessageW(job->window, kJobDone, 0, reinterpret_cast<LPARAM>(job));
        return 0;
    }
};

MainWindow::MainWindow(HINSTANCE instance, Options options)
    : instance_(instance), options_(std::move(options)) {
    INITCOMMONCONTROLSEX common{sizeof(INITCOMMONCONTROLSEX),
                                ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&common);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &MainWindow::WindowProc;
    windowClass.hInstance = instance_;
    // The icon resource is the program's: the window's own module may be a library linked into it.
    windowClass.hIcon = SharedProgramIcon(GetModuleHandleW(nullptr), SM_CXICON);
    windowClass.hIconSm = SharedProgramIcon(GetModuleHandleW(nullptr), SM_CXSMICON);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);

    // A fixed single border with the system menu and the close box only.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    window_ = CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, L"TQ-3VOVE configuration tool", style,
                              CW_USEDEFAULT, CW_USEDEFAULT, kClientWidth, kClientHeight, nullptr, nullptr,
                              instance_, this);
    // Every control is made at its place for the window's DPI and in its font: moving them all once
    // more would cost a good part of the start-up. Run() gives the window its size.
    dpi_ = DpiOf(window_);
    font_ = FontFor(dpi_);
    CreateControls();
    FitLabels();
    ApplyIcons();

    logic::WindowLogic::Options logicOptions;
    logicOptions.settingsPath = options_.settingsPath;
    logic_ =
        std::make_unique<logic::WindowLogic>(static_cast<logic::WindowView&>(*this), std::move(logicOptions));
    logic_->FormCreate();
}

MainWindow::~MainWindow() {
    if (logic_) {
        logic_->Closing();
    }
    for (HANDLE worker : workers_) {
        WaitForSingleObject(worker, INFINITE);
        CloseHandle(worker);
    }
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
    if (menu_ != nullptr) {
        DestroyMenu(menu_);
    }
    if (font_ != nullptr) {
        DeleteObject(font_);
    }
    DestroyIcons({bigIcon_, smallIcon_});
}

void MainWindow::CreateControls() {
    const std::vector<ControlPlace>& places = Controls();
    controls_.resize(places.size());
    labelBoxes_.resize(places.size());
    for (std::size_t i = 0; i < places.size(); ++i) {
        const ControlPlace& place = places[i];
        const DWORD exStyle = place.kind == Kind::Edit || place.kind == Kind::PortEdit ? WS_EX_CLIENTEDGE : 0;
        const RECT box = BoxOf(place);
        HWND control = CreateWindowExW(
            exStyle, ClassOf(place.kind), Wide(std::string(place.text)).c_str(), StyleOf(place.kind),
            box.left, box.top, box.right - box.left, box.bottom - box.top, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)), instance_, nullptr);
        controls_[i] = control;
        labelBoxes_[i] = box;
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        if (place.kind == Kind::DropDownList) {
            SendMessageW(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), Scaled(kListFieldHeight));
        }
        for (std::string_view item : place.items) {
            SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(std::string(item)).c_str()));
        }
        if (place.kind == Kind::PortEdit) {
            // The field's keys, wheel and focus rules; the up-down control steps it by 1 in its range.
            SetWindowSubclass(control, &MainWindow::PortEditProc, 0, reinterpret_cast<DWORD_PTR>(this));
            portUpDown_ = CreateWindowExW(
                0, UPDOWN_CLASSW, nullptr,
                WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_SETBUDDYINT | UDS_NOTHOUSANDS, 0,
                0, 0, 0, window_, nullptr, instance_, nullptr);
            SendMessageW(portUpDown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(control), 0);
            SendMessageW(portUpDown_, UDM_SETRANGE32, logic::kPortMinimum, logic::kPortMaximum);
        }
        if (place.name == "tntedt_DTUNumber") {
            // A limit for the keyboard only: a longer number from the settings file is shown whole.
            SendMessageW(control, EM_SETLIMITTEXT, kDtuNumberKeyboardLimit, 0);
        }
        if (place.kind == Kind::StatusBar) {
            const int parts[] = {-1};
            SendMessageW(control, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(parts));
            // A status bar places itself along the bottom edge, as tall as its font asks.
            SendMessageW(control, WM_SIZE, 0, 0);
        }
    }
    // Item 0 of the command type is selected from the start; the other lists start without one.
    SendMessageW(controls_[IndexOf("tntcomb_SMSCommandType")], CB_SETCURSEL, 0, 0);

    menu_ = CreatePopupMenu();
    for (std::size_t i = 0; i < kLanguageItemTexts.size(); ++i) {
        AppendMenuW(menu_, MF_STRING, kFirstLanguageId + i, Wide(std::string(kLanguageItemTexts[i])).c_str());
    }
}

void MainWindow::ApplyIcons() {
    // The title bar and the task switcher take the window's icons over the class's, in these sizes.
    const HINSTANCE program = GetModuleHandleW(nullptr);
    HICON big = ProgramIcon(program, MetricFor(SM_CXICON, dpi_));
    HICON little = ProgramIcon(program, MetricFor(SM_CXSMICON, dpi_));
    if (big == nullptr || little == nullptr) {
        // The icons shown stay (the class's at first) when the resource cannot be read.
        DestroyIcons({big, little});
        return;
    }
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(little));
    DestroyIcons({bigIcon_, smallIcon_});
    bigIcon_ = big;
    smallIcon_ = little;
}

int MainWindow::Scaled(int pixels) const {
    return MulDiv(pixels, static_cast<int>(dpi_), USER_DEFAULT_SCREEN_DPI);
}

RECT MainWindow::BoxOf(const ControlPlace& place) const {
    // A drop-down list's box holds its open list too.
    const int height = place.kind == Kind::DropDownList ? place.height + kDropDownHeight : place.height;
    return {Scaled(place.left), Scaled(place.top), Scaled(place.left + place.width),
            Scaled(place.top + height)};
}

HFONT MainWindow::FontFor(UINT dpi) {
    // Tahoma 8 pt: 11 pixels at 96 DPI.
    return CreateFontW(-MulDiv(8, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
}

RECT MainWindow::Frame() const {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE));
    return FrameFor(Scaled(kClientWidth), Scaled(kClientHeight), style, dpi_);
}

void MainWindow::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    HFONT old = font_;
    font_ = FontFor(dpi_);
    const std::vector<ControlPlace>& places = Controls();
    for (std::size_t i = 0; i < places.size(); ++i) {
        const ControlPlace& place = places[i];
        HWND control = controls_[i];
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        if (place.kind == Kind::StatusBar) {
            SendMessageW(control, WM_SIZE, 0, 0);
            continue;
        }
        const RECT box = BoxOf(place);
        SetWindowPos(control, nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        if (place.kind == Kind::DropDownList) {
            SendMessageW(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), Scaled(kListFieldHeight));
        }
        if (place.kind == Kind::PortEdit) {
            SendMessageW(portUpDown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(control), 0);
        }
    }
    labelBoxes_.clear();
    FitLabels();
    ApplyIcons();
    const RECT frame = Frame();
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    if (old != nullptr) {
        DeleteObject(old);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

void MainWindow::FitLabels() {
    const std::vector<ControlPlace>& places = Controls();
    labelBoxes_.resize(places.size());
    HDC dc = GetDC(window_);
    HGDIOBJ previous = SelectObject(dc, font_);
    for (std::size_t i = 0; i < places.size(); ++i) {
        const ControlPlace& place = places[i];
        if (place.kind != Kind::Label && place.kind != Kind::AutoWidthLabel) {
            continue;
        }
        HWND label = controls_[i];
        const std::wstring text = WindowText(label);
        SIZE extent{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        // A static control breaks a text wider than its box into lines, of which only the first shows:
        // the box grows to the left instead, as far as the column allows.
        const int needed = extent.cx;
        int right = Scaled(place.left + place.width);
        if (place.kind == Kind::AutoWidthLabel) {
            right = std::min(Scaled(place.left) + needed, Scaled(kAutoWidthLabelRightLimit));
        }
        const int left =
            std::max(Scaled(LabelLeftLimit(place)), std::min(Scaled(place.left), right - needed));
        const RECT box{left, Scaled(place.top), right, Scaled(place.top + place.height)};
        // Labels are fitted again after every translation; one that keeps its box is left alone.
        if (EqualRect(&box, &labelBoxes_[i]) != FALSE) {
            continue;
        }
        labelBoxes_[i] = box;
        SetWindowPos(label, nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(label, nullptr, TRUE);
    }
    SelectObject(dc, previous);
    ReleaseDC(window_, dc);
}

int MainWindow::Run() {
    // The window's size for its DPI, centred on the desktop's work area.
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const RECT frame = Frame();
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, width, height, SWP_NOZORDER);
    // The language and the fields are in place before the window becomes visible.
    logic_->FormShow();
    ShowWindow(window_, SW_SHOWNORMAL);
    SetFocus(controls_[IndexOf("tntcomb_ServerNetMode")]);

    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window_ != nullptr && IsDialogMessageW(window_, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return exitCode_;
}

void MainWindow::FirstPaintDone() {
    if (options_.screenshotFile) {
        RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        if (!SaveClientArea(window_, *options_.screenshotFile)) {
            std::fprintf(stderr, "dtusms: cannot save the screenshot to %s\n",
                         options_.screenshotFile->c_str());
            exitCode_ = 1;
        }
    }
    SendMessageW(window_, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->window_ != window) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->Handle(message, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id >= kFirstLanguageId &&
                id < kFirstLanguageId + static_cast<int>(kLanguageItemTexts.size())) {
                logic_->LanguageItemClick(id - kFirstLanguageId);
            } else if (id >= kFirstControlId && id < kFirstControlId + static_cast<int>(controls_.size())) {
                Command(static_cast<std::size_t>(id - kFirstControlId), HIWORD(wParam));
            }
            return 0;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->code == BCN_DROPDOWN) {
                OpenLanguageMenu();
                return 0;
            }
            break;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            BeginPaint(window_, &paint);
            EndPaint(window_, &paint);
            if (!painted_) {
                painted_ = true;
                if (options_.exitAfterPaint || options_.screenshotFile) {
                    // After the controls' own first paint, which follows the window's.
                    Post([this] { FirstPaintDone(); });
                }
            }
            return 0;
        }
        case WM_SIZE:
            // The status bar keeps itself along the bottom edge when told of a new size.
            SendMessageW(Of(logic::Control::Status), WM_SIZE, 0, 0);
            return 0;
        case WM_CTLCOLORSTATIC: {
            // Labels, group boxes and disabled edit lines on the window's button-face background.
            auto* dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, GetSysColor(IsWindowEnabled(reinterpret_cast<HWND>(lParam)) ? COLOR_WINDOWTEXT
                                                                                         : COLOR_GRAYTEXT));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_DPICHANGED: {
            ApplyDpi(HIWORD(wParam));
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
            return 0;
        }
        case kJobDone: {
            auto* job = reinterpret_cast<Job*>(lParam);
            WaitForSingleObject(job->thread, INFINITE);
            CloseHandle(job->thread);
            std::erase(workers_, job->thread);
            const std::unique_ptr<Job> finished(job);
            finished->done();
            return 0;
        }
        case kPostedWaiting:
            // A timer's message comes after the input already queued: keys typed before the task
            // reach their field first.
            SetTimer(window_, kPostedTimer, USER_TIMER_MINIMUM, nullptr);
            return 0;
        case WM_TIMER:
            if (wParam == kPostedTimer) {
                KillTimer(window_, kPostedTimer);
                RunPosted();
                return 0;
            }
            break;
        case WM_CLOSE:
            logic_->Closing();
            DestroyWindow(window_);
            return 0;
        case WM_DESTROY:
            window_ = nullptr;
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void MainWindow::Command(std::size_t index, UINT code) {
    const ControlPlace& place = Controls()[index];
    switch (place.kind) {
        case Kind::Edit:
        case Kind::PortEdit:
            if (code == EN_CHANGE && !placing_ && place.control) {
                logic_->TextChanged(*place.control);
            } else if (code == EN_KILLFOCUS && place.kind == Kind::PortEdit) {
                PortFocusLost();
            }
            return;
        case Kind::DropDownList:
            // Sent for the user's picks only, never for CB_SETCURSEL.
            if (code == CBN_SELCHANGE && place.control) {
                logic_->ItemPicked(*place.control);
            }
            return;
        case Kind::Button:
        case Kind::MenuButton:
            if (code != BN_CLICKED) {
                return;
            }
            if (place.name == "tntbtn_StaticIP") {
                logic_->StaticIPClick();
            } else if (place.name == "tntbtn_TestServerPort") {
                logic_->TestServerPortClick();
            } else if (place.name == "tntbtn_JudgeMaping") {
                logic_->JudgeMapingClick();
            } else if (place.name == "tntbtn_GenerationSMS") {
                logic_->GenerationSMSClick();
            } else if (place.name == "tntbtn_SendSMS") {
                logic_->RunHandler([this] { OpenSendSmsDialog(); });
            } else if (place.name == "tntbtn_Close") {
                logic_->CloseClick();
            } else if (place.name == "rzMenubtn_Language") {
                OpenLanguageMenu();
            }
            return;
        default:
            return;
    }
}

void MainWindow::OpenSendSmsDialog() {
    if (!sendSmsDialog_) {
        SendSmsDialog::Hooks hooks;
        hooks.save = [this](std::string_view key, const std::string& value) {
            logic_->SaveSetting(key, value);
        };
        hooks.run = [this](const std::function<void()>& handler) { logic_->RunHandler(handler); };
        sendSmsDialog_ =
            std::make_unique<SendSmsDialog>(instance_, window_, modem::TransportOptions{}, std::move(hooks));
    }
    sendSmsDialog_->Open(logic_->ReadFields(), logic_->SettingsPath());
}

void MainWindow::OpenLanguageMenu() {
    logic_->LanguagePopup();
    RECT button{};
    GetWindowRect(controls_[IndexOf("rzMenubtn_Language")], &button);
    TrackPopupMenu(menu_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, button.left, button.bottom, 0,
                   window_, nullptr);
}

void MainWindow::RunInBackground(std::function<void()> work, std::function<void()> done) {
    auto job = std::make_unique<Job>();
    job->window = window_;
    job->work = std::move(work);
    job->done = std::move(done);
    job->thread = CreateThread(nullptr, 0, &Job::Main, job.get(), CREATE_SUSPENDED, nullptr);
    if (job->thread == nullptr) {
        // No thread to be had: the check runs here, the window waiting for it.
        job->work();
        job->done();
        return;
    }
    workers_.push_back(job->thread);
    ResumeThread(job.release()->thread);
}

void MainWindow::Post(std::function<void()> task) {
    {
        const std::lock_guard lock(postedLock_);
        posted_.push_back(std::move(task));
    }
    PostMessageW(window_, kPostedWaiting, 0, 0);
}

void MainWindow::RunPosted() {
    std::deque<std::function<void()>> tasks;
    {
        const std::lock_guard lock(postedLock_);
        tasks.swap(posted_);
    }
    for (const auto& task : tasks) {
        logic_->RunHandler(task);
    }
}

}  // namespace app::win32
