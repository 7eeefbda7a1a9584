#include "app/win32/MainWindowLayout.h"

#include "app/SendSmsTexts.h"

namespace app::win32 {

namespace {

// Container origins in the client area.
constexpr int kNetworkTop = 0;
constexpr int kSmsTop = 109;
constexpr int kPanelTop = 251;

constexpr int kSecondColumnLeft = 278;
constexpr int kWindowLeft = 0;
constexpr int kFirstColumnRight = 274;

}  // namespace

int LabelLeftLimit(const ControlPlace& label) {
    return label.left >= kSecondColumnLeft ? kFirstColumnRight : kWindowLeft;
}

const std::vector<ControlPlace>& Controls() {
    using logic::Control;
    static const std::vector<ControlPlace> controls = {
        {"tntgrp_NetWork", Kind::GroupBox, 0, kNetworkTop, 495, 109, "Network configuration", {}},
        {"tntlbl_ServerNetMode", Kind::Label, 5, kNetworkTop + 21, 105, 13, "Server address mode", {}},
        {"tntcomb_ServerNetMode",
         Kind::DropDownList,
         111,
         kNetworkTop + 17,
         162,
         21,
         "",
         Control::ServerNetMode,
         {"Static IP", "Domain resolution"}},
        {"tntlbl_Port", Kind::Label, 278, kNetworkTop + 22, 76, 13, "Port", {}},
        {"rzspnedt_Port", Kind::PortEdit, 356, kNetworkTop + 17, 119, 21, "1000", Control::Port},
        {"tntlbl_StaticIP", Kind::Label, 5, kNetworkTop + 51, 105, 13, "Static IP", Control::StaticIPLabel},
        {"tntedt_StaticIP", Kind::Edit, 111, kNetworkTop + 47, 110, 21, "", Control::StaticIP},
        {"tntbtn_StaticIP", Kind::Button, 224, kNetworkTop + 47, 49, 21, "Obtain IP", Control::ObtainIP},
        {"tntlbl_DomainAddress", Kind::Label, 278, kNetworkTop + 51, 76, 13, "Domain address",
         Control::DomainLabel},
        {"tntedt_DomainAddress", Kind::Edit, 356, kNetworkTop + 47, 119, 21, "", Control::DomainAddress},
        {"tntbtn_TestServerPort", Kind::Button, 356, kNetworkTop + 77, 119, 25, "Test server port", {}},
        {"tntbtn_JudgeMaping",
         Kind::Button,
         24,
         kNetworkTop + 77,
         249,
         25,
         "Judge whether the server port mapping",
         {}},
        {"tntgrp_SMSCommandFormat", Kind::GroupBox, 0, kSmsTop, 495, 142, "SMS command format", {}},
        {"tntlbl_ServiceNetwork", Kind::Label, 5, kSmsTop + 21, 105, 13, "Service network(APN)", {}},
        {"tntcomb_ServiceNetwork",
         Kind::DropDownList,
         111,
         kSmsTop + 17,
         162,
         21,
         "",
         Control::ServiceNetwork,
         {"CMNET(China Mobile)", "CMWAP(China Mobile)", "UNINET(China Unicom)", "Other"}},
        {"tntlbl_Ohter", Kind::Label, 278, kSmsTop + 21, 76, 13, "Other", {}},
        {"tntedt_Other", Kind::Edit, 356, kSmsTop + 17, 119, 21, "", Control::Other},
        {"tntlbl_DTUNumber", Kind::Label, 5, kSmsTop + 51, 105, 13, "DTU number", {}},
        {"tntedt_DTUNumber", Kind::Edit, 111, kSmsTop + 47, 162, 21, "", Control::DTUNumber},
        {"tntlbl1", Kind::Label, 5, kSmsTop + 82, 105, 13, "SMS command type", {}},
        {"tntcomb_SMSCommandType",
         Kind::DropDownList,
         111,
         kSmsTop + 78,
         162,
         21,
         "",
         Control::SMSCommandType,
         {"DTU configuration parameters", "DTU running query"}},
        {"tntlbl_SMSCommandFormat",
         Kind::AutoWidthLabel,
         5,
         kSmsTop + 112,
         103,
         13,
         "SMS command format",
         {}},
        {"tntedt_SMSCommandFormat", Kind::Edit, 111, kSmsTop + 108, 364, 21, "", Control::SMSCommandFormat},
        {"rzMenubtn_Language", Kind::MenuButton, 19, kPanelTop + 5, 90, 25, " Language", {}},
        {"tntbtn_Close", Kind::Button, 400, kPanelTop + 5, 75, 25, "Close", {}},
        {"tntbtn_GenerationSMS", Kind::Button, 287, kPanelTop + 5, 90, 25, "Generation SMS", {}},
        {"tntbtn_SendSMS", Kind::Button, 153, kPanelTop + 5, 90, 25, sendsms::kSendSmsButton, {}},
        {"tntstsbr_Status", Kind::StatusBar, 0, 286, 495, 19, "", Control::Status},
    };
    return controls;
}

}  // namespace app::win32
