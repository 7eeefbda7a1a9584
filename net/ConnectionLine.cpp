#include <cstdio>

#include "net/ConnectionListener.h"

namespace net {
namespace {

bool IsShownAsText(unsigned char c) {
    return (c >= 0x20 && c <= 0x7E) || c == '\r' || c == '\n' || c == '\t';
}

}  // namespace

std::string FormatReceived(std::string_view bytes) {
    if (bytes.empty()) {
        return "(nothing)";
    }
    bool text = true;
    for (const char c : bytes) {
        text = text && IsShownAsText(static_cast<unsigned char>(c));
    }
    std::string out;
    if (text) {
        out += '"';
        for (const char c : bytes) {
            switch (c) {
                case '"':
                    out += "\\\"";
                    break;
                case '\\':
                    out += "\\\\";
                    break;
                case '\r':
                    out += "\\r";
                    break;
                case '\n':
                    out += "\\n";
                    break;
                case '\t':
                    out += "\\t";
                    break;
                default:
                    out += c;
            }
        }
        out += '"';
        return out;
    }
    constexpr char kDigits[] = "0123456789abcdef";
    out = "hex";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out += ' ';
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0F];
    }
    return out;
}

namespace {

std::string TimeText(const std::tm& localTime) {
    char time[64];
    std::snprintf(time, sizeof(time), "%04d-%02d-%02d %02d:%02d:%02d", localTime.tm_year + 1900,
                  localTime.tm_mon + 1, localTime.tm_mday, localTime.tm_hour, localTime.tm_min,
                  localTime.tm_sec);
    return time;
}

std::tm LocalTimeOf(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
#ifdef _WIN32
    ::localtime_s(&local, &seconds);
#else
    ::localtime_r(&seconds, &local);
#endif
    return local;
}

}  // namespace

std::string PeerText(const ConnectionReport& report) {
    const bool ipv6 = report.peerAddress.find(':') != std::string::npos;
    const std::string peer = ipv6 ? "[" + report.peerAddress + "]" : report.peerAddress;
    return peer + ":" + std::to_string(report.peerPort);
}

std::string FormatConnectionLine(const ConnectionReport& report, const std::tm& localTime) {
    return TimeText(localTime) + " " + PeerText(report) + " " + FormatReceived(report.received);
}

std::string FormatConnectionLine(const ConnectionReport& report) {
    return FormatConnectionLine(report, LocalTimeOf(report.arrived));
}

std::string LocalTimeText(std::chrono::system_clock::time_point when) {
    return TimeText(LocalTimeOf(when));
}

}  // namespace net
