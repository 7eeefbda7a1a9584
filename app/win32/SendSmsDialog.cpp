#include "app/win32/SendSmsDialog.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "app/SendSmsState.h"
#include "app/SendSmsTexts.h"
#include "app/win32/SendSmsDialogLayout.h"
#include "app/win32/WideText.h"
#include "base/AsciiText.h"
#include "i18n/EngineStartup.h"
#include "modem/Texts.h"
#include "sms/PhoneNumber.h"

namespace app::win32 {

namespace {

constexpr UINT kModemEvents = WM_APP + 10;
constexpr COLORREF kMistakeColour = RGB(0xD0, 0x00, 0x00);

std::string Translated(const std::string& english) {
    return i18n::Translate(english);
}

std::string Tr(std::string_view english) {
    return Translated(std::string(english));
}

// Line ends as an edit control shows them.
std::wstring WithCrLf(const std::string& text) {
    std::wstring shown;
    for (const wchar_t c : Wide(text)) {
        if (c == L'\n') {
            shown += L"\r\n";
        } else if (c != L'\r') {
            shown += c;
        }
    }
    return shown;
}

// `message` with the spaces inside quotation marks made no-break spaces, so that a quoted name such
// as "DTU phone number" is never broken across lines.
std::wstring KeepQuotesTogether(const std::wstring& message) {
    std::wstring kept = message;
    bool quoted = false;
    for (wchar_t& c : kept) {
        if (c == L'"') {
            quoted = !quoted;
        } else if (c == L'\u201C' || c == L'\u300C') {
            quoted = true;
        } else if (c == L'\u201D' || c == L'\u300D') {
            quoted = false;
        } else if (quoted && c == L' ') {
            c = L'\u00A0';
        }
    }
    return kept;
}

// The automatic entry as it stands before a search has said what it would choose.
modem::ModemInfo AutomaticEntry() {
    modem::ModemInfo automatic;
    automatic.id = "auto";
    automatic.kind = modem::ModemKind::Automatic;
    automatic.status = modem::text::Make(modem::text::kStatusAutoNone);
    return automatic;
}

std::wstring EntryText(HWND list, LRESULT index) {
    const auto length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) {
        return {};
    }
    std::wstring entry(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(entry.data()));
    entry.resize(static_cast<std::size_t>(length));
    return entry;
}

RECT WorkAreaOf(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

}  // namespace

SendSmsDialog::SendSmsDialog(HINSTANCE instance, HWND owner, modem::TransportOptions modemOptions,
                             Hooks hooks)
    : instance_(instance), owner_(owner), modemOptions_(std::move(modemOptions)), hooks_(std::move(hooks)) {}

SendSmsDialog::~SendSmsDialog() = default;

void SendSmsDialog::Open(const sms::TGPRSInfo& fields, const std::string& settingsPath) {
    command_ = sms::GenerateSMSCommand(fields);
    settingsPath_ = settingsPath;
    const std::vector<WORD> dialogTemplate = SendDialogTemplate(Wide(Tr(sendsms::kTitle)));
    DialogBoxIndirectParamW(instance_, reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()), owner_,
                            &SendSmsDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    // Closing waited for the modem's work to end; the worker is idle and goes with the window.
    jobs_.reset();
    dialog_ = nullptr;
}

INT_PTR CALLBACK SendSmsDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<SendSmsDialog*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        self->dialog_ = dialog;
        self->Run([self] { self->Initialize(); });
        // The focus was given to the phone number.
        return FALSE;
    }
    auto* self = reinterpret_cast<SendSmsDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (self == nullptr || self->dialog_ != dialog) {
        return FALSE;
    }
    return self->Handle(message, wParam, lParam);
}

void SendSmsDialog::Run(const std::function<void()>& handler) {
    if (hooks_.run) {
        hooks_.run(handler);
    } else {
        handler();
    }
}

HWND SendSmsDialog::Item(std::string_view name) const {
    return GetDlgItem(dialog_, kFirstSendControlId + static_cast<int>(SendDialogIndex(name)));
}

std::string SendSmsDialog::ItemText(std::string_view name) const {
    return Utf8(WindowText(Item(name)));
}

void SendSmsDialog::SetItemText(std::string_view name, const std::string& text) {
    const std::wstring wide = WithCrLf(text);
    // Rewriting the same text would drop a selection in it and flicker.
    if (WindowText(Item(name)) != wide) {
        placing_ = true;
        SetWindowTextW(Item(name), wide.c_str());
        placing_ = false;
    }
}

void SendSmsDialog::Initialize() {
    jobs_ = std::make_unique<ModemJobs>(modemOptions_, dialog_, kModemEvents);
    for (const DialogControlSpec& place : SendDialogControls()) {
        if (!place.text.empty()) {
            SetItemText(place.name, Tr(place.text));
        }
    }
    SendMessageW(Item("tntbtn_Details"), BM_SETCHECK, detailsShown_ ? BST_CHECKED : BST_UNCHECKED, 0);
    SetWindowTextW(Item("tntmemo_Log"), log_.c_str());

    // Placing the stored number is no change of the field: nothing is written.
    const std::string stored = settings::LoadSettings(settingsPath_, {}).DTUPhoneNumber;
    SetItemText("tntedt_DTUPhoneNumber", stored);
    // A number typed at an earlier opening was edited then; an empty field waits for the user.
    phoneChecked_ = !stored.empty();

    ShowNumberAndCode();
    ShowModems();
    ShowProgressAndOutcome();
    UpdateControls();
    Place();
    SetFocus(Item("tntedt_DTUPhoneNumber"));
}

INT_PTR SendSmsDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id == IDCANCEL) {
                // Escape and the close box.
                Run([this] { CloseClick(); });
                return TRUE;
            }
            const std::vector<DialogControlSpec>& controls = SendDialogControls();
            if (id >= kFirstSendControlId && id < kFirstSendControlId + static_cast<int>(controls.size())) {
                const std::string_view name =
                    controls[static_cast<std::size_t>(id - kFirstSendControlId)].name;
                const UINT code = HIWORD(wParam);
                Run([this, name, code] { Command(name, code); });
                return TRUE;
            }
            if (id == IDOK) {
                // Enter: the default button.
                Run([this] { SendClick(); });
                return TRUE;
            }
            return FALSE;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item->hwndItem == Item("tntimg_QRCode")) {
                DrawCode(*item);
                return TRUE;
            }
            return FALSE;
        }
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == Item("tntlbl_PhoneNumberMessage")) {
                auto* dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, kMistakeColour);
                SetBkMode(dc, TRANSPARENT);
                return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
            }
            return FALSE;
        case kModemEvents:
            Run([this] { TakeEvents(); });
            return TRUE;
        default:
            return FALSE;
    }
}

void SendSmsDialog::Command(std::string_view name, UINT code) {
    if (name == "tntedt_DTUPhoneNumber" && code == EN_CHANGE && !placing_) {
        PhoneNumberChanged();
    } else if (name == "tntcomb_Modem" && code == CBN_DROPDOWN) {
        // The first look at the list fills it; later ones show what was found (Search looks again).
        if (!searched_ && !jobs_->Busy()) {
            StartSearch();
        }
    } else if (code != BN_CLICKED) {
        return;
    } else if (name == "tntbtn_Send") {
        SendClick();
    } else if (name == "tntbtn_CancelSend") {
        StartCancel();
    } else if (name == "tntbtn_SearchModems") {
        StartSearch();
    } else if (name == "tntbtn_Details") {
        DetailsClick();
    } else if (name == "tntbtn_DialogClose") {
        CloseClick();
    }
}

void SendSmsDialog::PhoneNumberChanged() {
    // Shown at once, saved whatever it holds: a half-typed number is kept as typed, like every field.
    phoneChecked_ = true;
    ShowNumberAndCode();
    hooks_.save(sms::keys::kDtuPhoneNumber, ItemText("tntedt_DTUPhoneNumber"));
}

void SendSmsDialog::CloseClick() {
    if (jobs_->Busy()) {
        closeRequested_ = true;
        StartCancel();
        return;
    }
    Finish();
}

void SendSmsDialog::Finish() {
    // The modem chosen or the port typed is there again at the next opening.
    HWND list = Item("tntcomb_Modem");
    const auto index = SendMessageW(list, CB_GETCURSEL, 0, 0);
    const std::wstring shown = WindowText(list);
    typedModem_ = index >= 0 && shown == EntryText(list, index) ? std::wstring() : shown;
    chosenModem_ = ChosenModem();
    EndDialog(dialog_, IDCANCEL);
}

void SendSmsDialog::DetailsClick() {
    detailsShown_ = SendMessageW(Item("tntbtn_Details"), BM_GETCHECK, 0, 0) == BST_CHECKED;
    Place();
}

void SendSmsDialog::Prompt(const std::string& text) const {
    MessageBoxW(dialog_, Wide(text).c_str(), Wide(Tr("Prompt")).c_str(), MB_OK | MB_ICONINFORMATION);
}

void SendSmsDialog::SendClick() {
    // Send is disabled while the modem works; a click that still arrives is ignored.
    if (jobs_->Busy()) {
        return;
    }
    const std::optional<std::string> phone = sms::NormalizePhoneNumber(ItemText("tntedt_DTUPhoneNumber"));
    if (!phone) {
        phoneChecked_ = true;
        ShowNumberAndCode();
        Prompt(sms::FormatValidationMessage(Translated, std::string(sms::kLabelDtuPhoneNumber)));
        return;
    }
    const sendsms::CommandShown command = sendsms::ShowCommand(command_, Translated);
    if (!command.ok) {
        Prompt(command.line);
        return;
    }
    modem::SendRequest request;
    request.modem = ChosenModem();
    request.number = *phone;
    request.text = command.command;
    request.smsc = std::string(base::TrimBlanks(ItemText("tntedt_SMSC")));
    request.replyTimeoutSeconds = SendMessageW(Item("tntchk_WaitReply"), BM_GETCHECK, 0, 0) == BST_CHECKED
                                      ? sendsms::kReplyTimeoutSeconds
                                      : 0;
    if (!jobs_->StartSending(request)) {
        return;
    }
    sending_ = true;
    result_.reset();
    progress_.reset();
    log_.clear();
    SetWindowTextW(Item("tntmemo_Log"), L"");
    ShowProgressAndOutcome();
    UpdateControls();
    // The keyboard follows the work: Space or Enter now cancels it.
    SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item("tntbtn_CancelSend")), TRUE);
}

bool SendSmsDialog::StartSearch() {
    if (!jobs_->StartListing()) {
        return false;
    }
    searching_ = true;
    progress_.reset();
    ShowModems();
    ShowProgressAndOutcome();
    UpdateControls();
    return true;
}

void SendSmsDialog::StartCancel() {
    if (!jobs_->Busy() || cancelling_) {
        return;
    }
    cancelling_ = true;
    jobs_->Cancel();
    ShowProgressAndOutcome();
    UpdateControls();
}

void SendSmsDialog::TakeEvents() {
    for (ModemJobs::Event& event : jobs_->TakeEvents()) {
        if (auto* progress = std::get_if<modem::Progress>(&event)) {
            progress_ = std::move(*progress);
            ShowProgressAndOutcome();
        } else if (const auto* entry = std::get_if<modem::LogEntry>(&event)) {
            AppendLog(modem::FormatLogEntry(*entry));
        } else if (auto* modems = std::get_if<std::vector<modem::ModemInfo>>(&event)) {
            modems_ = std::move(*modems);
            // A search cut short by a cancel is done again at the next look.
            searched_ = !cancelling_;
        } else if (auto* result = std::get_if<modem::SendResult>(&event)) {
            result_ = std::move(*result);
        } else {
            WorkFinished();
        }
    }
}

void SendSmsDialog::WorkFinished() {
    searching_ = false;
    sending_ = false;
    cancelling_ = false;
    progress_.reset();
    ShowModems();
    ShowProgressAndOutcome();
    const bool cancelHadFocus = GetFocus() == Item("tntbtn_CancelSend");
    UpdateControls();
    if (cancelHadFocus) {
        SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item("tntbtn_Send")), TRUE);
    }
    if (closeRequested_) {
        closeRequested_ = false;
        Finish();
    }
}

void SendSmsDialog::AppendLog(const std::string& line) {
    const std::wstring text = WithCrLf(line) + L"\r\n";
    log_ += text;
    HWND log = Item("tntmemo_Log");
    const auto end = static_cast<WPARAM>(GetWindowTextLengthW(log));
    SendMessageW(log, EM_SETSEL, end, static_cast<LPARAM>(end));
    // The caret ends at the start of the empty last line: the view shows the start of the lines and
    // follows the new ones.
    SendMessageW(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(log, EM_SCROLLCARET, 0, 0);
}

void SendSmsDialog::ShowNumberAndCode() {
    const std::string typed = ItemText("tntedt_DTUPhoneNumber");
    SetItemText("tntlbl_PhoneNumberMessage", sendsms::PhoneMistake(typed, phoneChecked_, Translated));

    const sendsms::CommandShown command = sendsms::ShowCommand(command_, Translated);
    SetItemText("tntedt_SMSCommand", command.command);
    SetItemText("tntlbl_SMSLength", command.line);

    const sendsms::QrContent content = sendsms::QrFor(typed, command, Translated);
    code_.reset();
    codeReason_ = content.reason;
    if (!content.payload.empty()) {
        try {
            code_ = qr::QrCode::Encode(content.payload);
        } catch (const qr::QrError& error) {
            codeReason_ = sendsms::QrErrorText(error, Translated);
        }
    }
    InvalidateRect(Item("tntimg_QRCode"), nullptr, TRUE);
}

void SendSmsDialog::DrawCode(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    RECT area = item.rcItem;
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (code_) {
        const int modules = code_->size() + 2 * qr::kQuietZoneModules;
        // Whole pixels per module, so that every module is as wide as every other.
        const int pixel = std::min(width, height) / modules;
        if (pixel >= 1) {
            const int side = modules * pixel;
            const int left = area.left + (width - side) / 2;
            const int top = area.top + (height - side) / 2;
            const RECT paper{left, top, left + side, top + side};
            FillRect(dc, &paper, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            auto* ink = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
            const int origin = qr::kQuietZoneModules * pixel;
            for (int y = 0; y < code_->size(); ++y) {
                for (int x = 0; x < code_->size(); ++x) {
                    if (code_->IsDark(x, y)) {
                        const RECT module{left + origin + x * pixel, top + origin + y * pixel,
                                          left + origin + (x + 1) * pixel, top + origin + (y + 1) * pixel};
                        FillRect(dc, &module, ink);
                    }
                }
            }
            return;
        }
    }
    // In the code's place, why there is none, centred.
    const std::wstring reason = KeepQuotesTogether(Wide(codeReason_));
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(dialog_, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    RECT measured = area;
    DrawTextW(dc, reason.c_str(), -1, &measured, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
    RECT text = area;
    text.top += std::max(0, (height - static_cast<int>(measured.bottom - measured.top)) / 2);
    DrawTextW(dc, reason.c_str(), -1, &text, DT_CENTER | DT_WORDBREAK);
    SelectObject(dc, previous);
}

std::string SendSmsDialog::ChosenModem() const {
    HWND list = Item("tntcomb_Modem");
    const auto index = SendMessageW(list, CB_GETCURSEL, 0, 0);
    const std::wstring shown = WindowText(list);
    if (index >= 0 && static_cast<std::size_t>(index) < modemIds_.size() && shown == EntryText(list, index)) {
        return modemIds_[static_cast<std::size_t>(index)];
    }
    // A port typed in; an emptied list means the automatic choice.
    const std::string typed(base::TrimBlanks(Utf8(shown)));
    return typed.empty() ? std::string("auto") : typed;
}

void SendSmsDialog::ShowModems() {
    HWND list = Item("tntcomb_Modem");
    const auto index = SendMessageW(list, CB_GETCURSEL, 0, 0);
    const std::wstring shown = WindowText(list);
    const bool fresh = SendMessageW(list, CB_GETCOUNT, 0, 0) == 0;
    const bool typed = fresh       ? !typedModem_.empty()
                       : index < 0 ? !shown.empty()
                                   : shown != EntryText(list, index);
    // A list just made takes the choice of the last opening.
    const std::string chosen = fresh ? chosenModem_ : ChosenModem();
    const std::wstring typedText = fresh ? typedModem_ : shown;

    const sendsms::ModemSearch search = searching_  ? sendsms::ModemSearch::Running
                                        : searched_ ? sendsms::ModemSearch::Done
                                                    : sendsms::ModemSearch::NotYet;
    const std::vector<modem::ModemInfo> entries = modems_.empty() ? std::vector{AutomaticEntry()} : modems_;
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    modemIds_.clear();
    HDC dc = GetDC(list);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
    int widest = 0;
    for (const modem::ModemInfo& entry : entries) {
        const std::wstring text = Wide(sendsms::ModemChoiceText(entry, search, Translated));
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        modemIds_.push_back(entry.id);
        SIZE extent{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        widest = std::max(widest, static_cast<int>(extent.cx));
    }
    SelectObject(dc, previous);
    ReleaseDC(list, dc);
    // The list drops down wide enough for its longest entry, whatever the width of the closed box.
    SendMessageW(list, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(widest + GetSystemMetrics(SM_CXVSCROLL) + 8),
                 0);
    if (typed) {
        SetWindowTextW(list, typedText.c_str());
        return;
    }
    const auto found = std::find(modemIds_.begin(), modemIds_.end(), chosen);
    SendMessageW(list, CB_SETCURSEL, found == modemIds_.end() ? 0 : found - modemIds_.begin(), 0);
    // A closed list narrower than its entry shows the entry's start, which names the choice.
    SendMessageW(list, CB_SETEDITSEL, 0, MAKELPARAM(0, 0));
}

void SendSmsDialog::ShowProgressAndOutcome() {
    const bool busy = jobs_->Busy();
    const sendsms::WorkState state{busy, searching_, cancelling_, progress_};
    SetItemText("tntlbl_Progress", sendsms::ProgressLine(state, Translated));

    HWND bar = Item("tntprg_Send");
    ShowWindow(bar, busy ? SW_SHOWNA : SW_HIDE);
    const LONG_PTR style = GetWindowLongPtrW(bar, GWL_STYLE);
    if (const std::optional<int> fill = sendsms::ReplyWaitFill(state)) {
        // The waiting time counts down as a bar that fills up.
        SendMessageW(bar, PBM_SETMARQUEE, FALSE, 0);
        SetWindowLongPtrW(bar, GWL_STYLE, style & ~static_cast<LONG_PTR>(PBS_MARQUEE));
        SendMessageW(bar, PBM_SETRANGE32, 0, sendsms::kReplyTimeoutSeconds);
        SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(*fill), 0);
    } else if (busy) {
        // How long a modem takes to answer is unknown: a busy bar.
        SetWindowLongPtrW(bar, GWL_STYLE, style | PBS_MARQUEE);
        SendMessageW(bar, PBM_SETMARQUEE, TRUE, 0);
    }

    std::string outcome;
    if (result_ && !sending_) {
        for (const std::string& line : sendsms::OutcomeLines(*result_, Translated)) {
            outcome += (outcome.empty() ? "" : "\n") + line;
        }
    }
    SetItemText("tntlbl_Outcome", outcome);
    SetItemText("tntmemo_Reply", result_ && result_->reply ? *result_->reply : std::string());
}

void SendSmsDialog::UpdateControls() {
    const bool busy = jobs_->Busy();
    EnableWindow(Item("tntbtn_Send"), !busy);
    EnableWindow(Item("tntbtn_SearchModems"), !busy);
    EnableWindow(Item("tntbtn_CancelSend"), busy && !cancelling_);
    // What a send was started with stays as it was until the send is over.
    EnableWindow(Item("tntedt_DTUPhoneNumber"), !sending_);
    // The list stays open to a look during a search, which it shows as "Searching…".
    EnableWindow(Item("tntcomb_Modem"), !sending_);
    EnableWindow(Item("tntedt_SMSC"), !busy);
    EnableWindow(Item("tntchk_WaitReply"), !busy);
}

void SendSmsDialog::Place() {
    const RECT area = WorkAreaOf(owner_);
    RECT units{0, 0, kSendDialogWidth, kSendDialogHeight + kSendLogHeight};
    MapDialogRect(dialog_, &units);
    RECT base{0, 0, kSendDialogWidth, kSendDialogHeight};
    MapDialogRect(dialog_, &base);
    RECT least{0, 0, 0, kSendDialogHeight + kSendLogMinimumHeight};
    MapDialogRect(dialog_, &least);

    const auto style = static_cast<DWORD>(GetWindowLongPtrW(dialog_, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(dialog_, GWL_EXSTYLE));
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int frameWidth = frame.right - frame.left;
    const int frameHeight = frame.bottom - frame.top;
    const int roomHeight = static_cast<int>(area.bottom - area.top) - frameHeight;

    int clientHeight = detailsShown_ ? std::max<int>(least.bottom, std::min<int>(units.bottom, roomHeight))
                                     : static_cast<int>(base.bottom);
    clientHeight = std::min(clientHeight, std::max<int>(roomHeight, base.bottom));
    const int width = std::min<int>(base.right + frameWidth, area.right - area.left);
    const int height = std::min<int>(clientHeight + frameHeight, area.bottom - area.top);

    HWND log = Item("tntmemo_Log");
    RECT margin{7, 0, 7, 7};
    MapDialogRect(dialog_, &margin);
    SetWindowPos(log, nullptr, margin.left, base.bottom, base.right - margin.left - margin.right,
                 std::max<int>(0, clientHeight - base.bottom - margin.bottom), SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(log, detailsShown_ ? SW_SHOWNA : SW_HIDE);

    RECT owner{};
    GetWindowRect(owner_, &owner);
    int left = (owner.left + owner.right - width) / 2;
    int top = (owner.top + owner.bottom - height) / 2;
    left = std::max<int>(area.left, std::min<int>(left, area.right - width));
    top = std::max<int>(area.top, std::min<int>(top, area.bottom - height));
    SetWindowPos(dialog_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace app::win32
