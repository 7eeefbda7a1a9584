#include <cstdio>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "qr/QrCode.h"
#include "qr/QrImage.h"
#include "tests/sms/TempDir.h"

namespace qr {
namespace {

// Standard output of a shell command, or nullopt when it exits non-zero.
std::optional<std::string> RunTool(const std::string& command) {
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) {
        return std::nullopt;
    }
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    return ::pclose(pipe) == 0 ? std::optional(out) : std::nullopt;
}

// The text zbarimg finds in the image. zbar turns the symbol's bytes into UTF-8 by its ECI designator
// when there is one, and by a guess otherwise; --raw keeps zbarimg from converting the result once
// more to the locale's character set. One line break follows the text.
std::string Decode(const std::string& image) {
    const std::optional<std::string> out =
        RunTool(std::string("'") + DTUSMS_ZBARIMG + "' --quiet --raw --nodbus '" + image + "'");
    if (!out || out->empty() || out->back() != '\n') {
        return "<nothing decoded>";
    }
    return out->substr(0, out->size() - 1);
}

TEST(QrDecodeTest, ZbarimgReadsEveryCommandBackExactlyFromPngAndSvg) {
    if (std::string(DTUSMS_ZBARIMG).empty() || std::string(DTUSMS_RSVG_CONVERT).empty()) {
        GTEST_SKIP() << "zbarimg or rsvg-convert was not found when configuring (Debian packages "
                        "zbar-tools and librsvg2-bin; scripts/install-deps.sh installs them)";
    }
    const std::string rows[][2] = {
        {"+8613800138000", "(A55A#1*192.168.1.100*6000#3*CMNET#4*TQ-GP000001)"},
        {"+8613800138000", "(A55A#1*192.168.1.100*6000#3*CMWAP#4*TQ-GP000001)"},
        {"+8613800138000", "(A55A#2*myserver.example.com*8000#3*UNINET#4*TQ-GP000002)"},
        {"13800138000", "(A55A#2*myserver*8000#3*my.apn:Private#4*TQ-gp000002)"},
        {"10086", "(A55A#s)"},
        {"+85291234567", "(A55A#1*10.0.0.1*6000#3*CMNET#4*\xe8\xa8\xad\xe5\x82\x99\xe4\xb8\x80\xe8\x99\x9f)"},
        {"+8613800138000", "(A55A#2*\xe4\xb8\xad\xe6\x96\x87.cn*6000#3*CMNET#4*\xe6\xb5\x8b\xe8\xaf\x95)"},
        // Short UTF-8 that zbar takes for Shift JIS when no ECI designator says otherwise.
        {"+8613800138000", "(A55A#1*10.0.0.1*6000#3*CMNET#4*\xe4\xb8\xad)"},
        {"10086", "(A55A#1*10.0.0.1*6000#3*CMNET#4*TQ-\xc3\xa9)"},
        {"+8613800138000", "(A55A#2*" + std::string(400, 'd') + ".example.com*6000#3*CMNET#4*X)"},
    };
    const sms::testing::TempDir dir;
    for (const auto& [phone, command] : rows) {
        const std::string payload = SmsToPayload(phone, command);
        SCOPED_TRACE(payload);
        const QrCode code = QrCode::Encode(payload);
        for (const int scale : {kMinScale, kDefaultScale}) {
            sms::testing::WriteBytes(dir.File("code.png"), RenderPng(code, scale));
            EXPECT_EQ(Decode(dir.File("code.png")), payload) << "PNG at scale " << scale;
        }
        // rsvg-convert also refuses a document that is not well-formed XML.
        sms::testing::WriteBytes(dir.File("code.svg"), RenderSvg(code));
        ASSERT_TRUE(RunTool("'" + std::string(DTUSMS_RSVG_CONVERT) + "' -o '" + dir.File("svg.png") + "' '" +
                            dir.File("code.svg") + "'"));
        EXPECT_EQ(Decode(dir.File("svg.png")), payload) << "SVG";
    }
}

}  // namespace
}  // namespace qr
