#include "app/win32/SendSmsDialogLayout.h"

#include <commctrl.h>

#include <string>

#include "app/SendSmsTexts.h"
#include "app/win32/WideText.h"

namespace app::win32 {

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kLabel = kChild | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kField = kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kMemo = kChild | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY;

void Append(std::vector<WORD>& out, const std::wstring& text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

void AlignToDword(std::vector<WORD>& out) {
    if (out.size() % 2 != 0) {
        out.push_back(0);
    }
}

void AppendDword(std::vector<WORD>& out, DWORD value) {
    out.push_back(LOWORD(value));
    out.push_back(HIWORD(value));
}

}  // namespace

const std::vector<DialogControlSpec>& SendDialogControls() {
    using namespace app::sendsms;
    static const std::vector<DialogControlSpec> controls = {
        {"tntlbl_DTUPhoneNumber", WC_STATICW, kLabel, 7, 9, 68, 8, kPhoneLabel},
        {"tntedt_DTUPhoneNumber", WC_EDITW, kField, 78, 7, 104, 12, ""},
        {"tntlbl_PhoneNumberRule", WC_STATICW, kLabel, 78, 21, 104, 8, kPhoneRule},
        {"tntlbl_PhoneNumberMessage", WC_STATICW, kLabel, 7, 32, 175, 16, ""},
        {"tntlbl_SMSCommand", WC_STATICW, kLabel, 7, 50, 175, 8, kCommandLabel},
        {"tntedt_SMSCommand", WC_EDITW, kField | ES_READONLY, 7, 60, 175, 12, ""},
        {"tntlbl_SMSLength", WC_STATICW, kLabel, 7, 75, 175, 32, ""},
        {"tntimg_QRCode", WC_STATICW, kChild | SS_OWNERDRAW, 189, 7, 104, 92, ""},
        {"tntlbl_QRHint", WC_STATICW, kLabel | SS_CENTER, 189, 101, 104, 24, kQrHint},
        {"tntgrp_Modem", WC_BUTTONW, kChild | BS_GROUPBOX, 7, 126, 286, 126, kModemGroup},
        {"tntlbl_Modem", WC_STATICW, kLabel, 14, 141, 52, 8, kModemLabel},
        {"tntcomb_Modem", WC_COMBOBOXW, kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 68,
         139, 148, 100, ""},
        {"tntbtn_SearchModems", WC_BUTTONW, kButton, 220, 138, 66, 14, kSearchModems},
        {"tntlbl_SMSC", WC_STATICW, kLabel, 14, 159, 52, 8, kSmscLabel},
        {"tntedt_SMSC", WC_EDITW, kField, 68, 157, 80, 12, ""},
        {"tntlbl_SMSCNote", WC_STATICW, kLabel, 152, 159, 134, 8, kSmscNote},
        {"tntchk_WaitReply", WC_BUTTONW, kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 68, 173, 150, 10,
         kWaitForReply},
        {"tntbtn_Send", WC_BUTTONW, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 68, 186, 50, 14, kSend},
        {"tntbtn_CancelSend", WC_BUTTONW, kButton, 122, 186, 50, 14, kCancel},
        {"tntprg_Send", PROGRESS_CLASSW, WS_CHILD, 176, 188, 110, 10, ""},
        {"tntlbl_Progress", WC_STATICW, kLabel, 68, 203, 218, 8, ""},
        {"tntlbl_Outcome", WC_STATICW, kLabel, 14, 213, 272, 16, ""},
        {"tntlbl_Reply", WC_STATICW, kLabel, 14, 232, 52, 8, kReplyLabel},
        {"tntmemo_Reply", WC_EDITW, kMemo, 68, 230, 218, 18, ""},
        {"tntbtn_Details", WC_BUTTONW, kChild | WS_TABSTOP | BS_AUTOCHECKBOX | BS_PUSHLIKE, 7, 259, 50, 14,
         kDetails},
        {"tntbtn_DialogClose", WC_BUTTONW, kButton, 243, 259, 50, 14, kClose},
        {"tntmemo_Log", WC_EDITW, (kMemo | WS_HSCROLL | ES_AUTOHSCROLL) & ~WS_VISIBLE, 7, kSendDialogHeight,
         286, kSendLogHeight - 7, ""},
    };
    return controls;
}

std::size_t SendDialogIndex(std::string_view name) {
    const std::vector<DialogControlSpec>& controls = SendDialogControls();
    std::size_t i = 0;
    while (i < controls.size() && controls[i].name != name) {
        ++i;
    }
    return i;
}

std::vector<WORD> SendDialogTemplate(const std::wstring& title) {
    const std::vector<DialogControlSpec>& controls = SendDialogControls();
    std::vector<WORD> out;
    AppendDword(out, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT);
    AppendDword(out, WS_EX_CONTROLPARENT);
    out.push_back(static_cast<WORD>(controls.size()));
    for (short value : {short{0}, short{0}, kSendDialogWidth, kSendDialogHeight}) {
        out.push_back(static_cast<WORD>(value));
    }
    out.push_back(0);  // no menu
    out.push_back(0);  // the standard dialog class
    Append(out, title);
    out.push_back(8);  // points
    Append(out, L"Tahoma");
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const DialogControlSpec& place = controls[i];
        AlignToDword(out);
        AppendDword(out, place.style);
        AppendDword(out, 0);
        for (short value : {place.left, place.top, place.width, place.height}) {
            out.push_back(static_cast<WORD>(value));
        }
        out.push_back(static_cast<WORD>(kFirstSendControlId + i));
        Append(out, place.windowClass);
        Append(out, Wide(std::string(place.text)));
        out.push_back(0);  // no creation data
    }
    return out;
}

}  // namespace app::win32
