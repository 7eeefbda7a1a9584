#include "modem/KannelProtocol.h"

#include <charconv>
#include <cstdint>
#include <span>

#include "modem/UrlQuery.h"
#include "sms/UnicodeText.h"

namespace modem::gateway {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char a = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (a != prefix[i]) {
            return false;
        }
    }
    return true;
}

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

// Control characters (line ends included) become spaces, so that an answer stays on one line.
std::string OneLine(std::string_view text) {
    std::string line;
    for (const char c : text) {
        line += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    return line;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t point = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            point = lead & 0x1FU;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            point = lead & 0x0FU;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            point = lead & 0x07U;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0U) != 0x80U) {
                return false;
            }
            point = (point << 6) | (next & 0x3FU);
        }
        const bool overlong = (length == 3 && point < 0x800) || (length == 4 && point < 0x10000);
        if (overlong || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string Latin1ToUtf8(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

std::string Field(const std::map<std::string, std::string>& fields, const std::string& name) {
    const auto found = fields.find(name);
    return found == fields.end() ? std::string{} : found->second;
}

}  // namespace

bool IsGatewayUrl(std::string_view modem) {
    return StartsWithNoCase(modem, "http://") || StartsWithNoCase(modem, "https://");
}

std::optional<KannelEndpoint> ParseKannelUrl(std::string_view url) {
    if (!IsGatewayUrl(url)) {
        return std::nullopt;
    }
    const std::size_t schemeEnd = url.find("://") + 3;
    const std::size_t authorityEnd = url.find_first_of("/?#", schemeEnd);
    const std::string_view authority = url.substr(schemeEnd, authorityEnd - schemeEnd);
    const std::string_view rest =
        authorityEnd == std::string_view::npos ? std::string_view{} : url.substr(authorityEnd);
    KannelEndpoint endpoint;
    std::string_view host = authority;
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        const std::string_view user = authority.substr(0, at);
        host = authority.substr(at + 1);
        const std::size_t colon = user.find(':');
        endpoint.username = PercentDecode(user.substr(0, colon));
        if (colon != std::string_view::npos) {
            endpoint.password = PercentDecode(user.substr(colon + 1));
        }
    }
    if (host.empty() || host.front() == ':') {
        return std::nullopt;
    }
    endpoint.url = std::string(url.substr(0, schemeEnd)) + std::string(host) + std::string(rest);
    if (const std::size_t fragment = endpoint.url.find('#'); fragment != std::string::npos) {
        endpoint.url.erase(fragment);
    }
    return endpoint;
}

std::string SendSmsUrl(const KannelEndpoint& endpoint, const SendSmsRequest& request) {
    std::string url = endpoint.url;
    url += endpoint.url.find('?') == std::string::npos ? '?' : '&';
    url += "username=" + PercentEncode(endpoint.username);
    url += "&password=" + PercentEncode(endpoint.password);
    url += "&to=" + PercentEncode(request.to);
    url += "&text=" + PercentEncode(request.text);
    url += "&charset=UTF-8";
    if (request.ucs2) {
        url += "&coding=2";
    }
    if (!request.dlrUrl.empty()) {
        url += "&dlr-mask=" + std::to_string(kDlrMask);
        url += "&dlr-url=" + PercentEncode(request.dlrUrl);
    }
    return url;
}

KannelAnswer ReadKannelAnswer(long httpStatus, std::string_view body) {
    KannelAnswer answer;
    const std::string line = OneLine(body);
    int code = -1;
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), code);
    const bool coded = error == std::errc{} && end != line.data() + line.size() && *end == ':';
    if (coded) {
        std::string_view words(end + 1, line.data() + line.size() - (end + 1));
        while (!words.empty() && words.front() == ' ') {
            words.remove_prefix(1);
        }
        answer.words = words;
    } else {
        answer.words = line;
    }
    const bool success = httpStatus >= 200 && httpStatus < 300;
    answer.accepted = success && coded && (code == 0 || code == 3);
    answer.queued = answer.accepted && code == 3;
    if (answer.words.empty()) {
        answer.words = "HTTP status " + std::to_string(httpStatus) + " without an answer";
    }
    // Kannel's errors can be long HTML pages from a proxy in between: a line is enough.
    constexpr std::size_t kMaxWords = 200;
    if (answer.words.size() > kMaxWords) {
        answer.words.resize(kMaxWords);
        answer.words += "...";
    }
    return answer;
}

std::optional<IncomingMessage> ReadIncomingMessage(const std::map<std::string, std::string>& fields) {
    IncomingMessage message;
    message.from = Field(fields, "from");
    if (message.from.empty()) {
        return std::nullopt;
    }
    message.to = Field(fields, "to");
    message.smsc = Field(fields, "smsc");
    const std::string raw = Field(fields, "text");
    const std::string charset = UpperCase(Field(fields, "charset"));
    const std::string coding = Field(fields, "coding");
    const auto* octets = reinterpret_cast<const std::uint8_t*>(raw.data());
    if (coding == "2" || charset == "UTF-16BE" || charset == "UCS-2" || charset == "UCS-2BE" ||
        charset == "UTF-16") {
        message.text = sms::Utf16BeToUtf8(std::span<const std::uint8_t>(octets, raw.size()));
    } else if (charset == "ISO-8859-1" || charset == "LATIN1" || charset == "WINDOWS-1252" ||
               !IsValidUtf8(raw)) {
        message.text = Latin1ToUtf8(raw);
    } else {
        message.text = raw;
    }
    return message;
}

std::string DeliveryReportUrl(std::string_view receiverBase, std::string_view reference) {
    return std::string(receiverBase) + "/kannel/dlr?ref=" + PercentEncode(reference) + "&status=%d&answer=%A";
}

std::optional<DeliveryReport> ReadDeliveryReport(const std::map<std::string, std::string>& fields) {
    DeliveryReport report;
    report.reference = Field(fields, "ref");
    if (report.reference.empty()) {
        return std::nullopt;
    }
    const std::string status = Field(fields, "status");
    int value = 0;
    const auto [end, error] = std::from_chars(status.data(), status.data() + status.size(), value);
    report.status = error == std::errc{} && end == status.data() + status.size() ? value : 0;
    report.answer = OneLine(Field(fields, "answer"));
    return report;
}

std::string DeliveryStatusWords(int status) {
    switch (status) {
        case 1:
            return "delivered";
        case 2:
            return "failed";
        case 4:
            return "buffered";
        case 8:
            return "accepted by the SMSC";
        case 16:
            return "rejected by the SMSC";
        default:
            return "status " + std::to_string(status);
    }
}

bool DeliveryFailed(int status) {
    return status == 2 || status == 16;
}

}  // namespace modem::gateway
