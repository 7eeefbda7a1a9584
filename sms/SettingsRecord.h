#pragma once

// The settings record: the fields a command is composed from, and the key each one is stored under
// in section "Main" of the settings file (read and written by settings/Settings.h).

#include <string>
#include <string_view>

namespace sms {

// One field per key of section "Main", with the defaults used when a key is missing or unreadable.
// List choices are 0-based item indexes; texts are stored as typed (not trimmed).
struct TGPRSInfo {
    int nLanguageID = 0;        // 0 automatic, 1 English, 2 Simplified Chinese, 3 Traditional Chinese
    int ServerAddressMode = 0;  // 0 "Static IP", 1 "Domain resolution"
    int Port = 6000;
    std::string StaticIP;  // default: GetLocalIP(), or empty
    std::string DomainAddress;
    int SMSCommandType = 0;  // 0 configuration parameters, 1 running query
    int ServiceNetwork = 0;  // 0 CMNET, 1 CMWAP, 2 UNINET, 3 Other
    std::string OtherAPN;
    std::string DTUNumber = "TQ-GP000001";
    // The DTU's SIM number, for sending the command to it. Written only when the user sets it, so a
    // file that never had it keeps exactly the keys above.
    std::string DTUPhoneNumber;
};

// Key names, exactly as they stand in the file, in load order.
namespace keys {
inline constexpr std::string_view kSection = "Main";
inline constexpr std::string_view kLanguageId = "nLanguageID";
inline constexpr std::string_view kServerAddressMode = "Server address mode";
inline constexpr std::string_view kPort = "Port";
inline constexpr std::string_view kStaticIp = "Static IP";
inline constexpr std::string_view kDomainAddress = "Domain address";
inline constexpr std::string_view kSmsCommandType = "SMS command type";
inline constexpr std::string_view kServiceNetwork = "Service network(APN)";
inline constexpr std::string_view kOtherApn = "Other APN";
inline constexpr std::string_view kDtuNumber = "DTU number";
inline constexpr std::string_view kDtuPhoneNumber = "DTU phone number";
}  // namespace keys

}  // namespace sms
