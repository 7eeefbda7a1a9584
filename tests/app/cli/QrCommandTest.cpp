// dtusms sms --length and dtusms qr, end to end through the built program (the terminal's colours in
// process, since the program's output is a file here).

#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/cli/CommandLine.h"
#include "qr/QrCode.h"
#include "qr/QrImage.h"
#include "tests/app/cli/ProgramRunner.h"
#include "tests/sms/TempDir.h"

namespace app {
namespace {

using sms::testing::ReadBytes;
using sms::testing::TempDir;
using sms::testing::WriteBytes;
using testing::Outcome;
using testing::RunProgram;

constexpr const char* kSettings =
    "[Main]\r\nServer address mode=0\r\nPort=6000\r\nStatic IP=192.168.1.100\r\nService network(APN)=0\r\n"
    "DTU number=TQ-GP000001\r\nDTU phone number=+86 138 0013 8000\r\n";

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

// What zbarimg reads in a PNG, or in an SVG once rsvg-convert drew it.
std::string Decode(const std::string& image) {
    std::string png = image;
    if (image.ends_with(".svg") || image.ends_with(".SVG")) {
        png = image + ".png";
        if (!RunTool("rsvg-convert -o '" + png + "' '" + image + "'")) {
            return "<not drawn>";
        }
    }
    const std::optional<std::string> out = RunTool("zbarimg --quiet --raw --nodbus '" + png + "'");
    return out && out->ends_with("\n") ? out->substr(0, out->size() - 1) : "<nothing decoded>";
}

class QrCommandTest : public ::testing::Test {
protected:
    void SetUp() override { WriteBytes(settings_, kSettings); }
    std::string SettingsFlag() const { return "--settings=" + settings_; }

    TempDir dir_;
    std::string settings_ = dir_.File("GPRSInfo.ini");
};

TEST_F(QrCommandTest, SmsLengthAddsOneLineOnStandardError) {
    const struct {
        std::vector<std::string> flags;
        std::string err;
    } rows[] = {
        {{}, "parts=1 encoding=gsm7 units=49 limit=160\n"},
        {{"--dtu", "TQ-{1}"}, "parts=1 encoding=gsm7 units=46 limit=160\n"},
        {{"--dtu", "测试"}, "parts=1 encoding=ucs2 units=40 limit=70\n"},
        {{"--dtu", std::string(1000, 'x')}, "parts=7 encoding=gsm7 units=1038 limit=153\n"},
        {{"--dtu", std::string(1490, 'x')}, "parts=10 encoding=gsm7 units=1528 limit=153\n"},
        {{"--type", "query"}, "parts=1 encoding=gsm7 units=8 limit=160\n"},
    };
    for (const auto& row : rows) {
        std::vector<std::string> args{"sms", SettingsFlag(), "--length"};
        args.insert(args.end(), row.flags.begin(), row.flags.end());
        const Outcome outcome = RunProgram(args);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.err, row.err);
        std::vector<std::string> plain = args;
        plain.erase(plain.begin() + 2);
        EXPECT_EQ(outcome.out, RunProgram(plain).out) << "the command itself is printed as without --length";
    }
    // Nothing to measure when the command cannot be composed.
    const Outcome missing = RunProgram({"sms", SettingsFlag(), "--length", "--ip="});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Please enter valid \"Static IP\"\n");
}

TEST_F(QrCommandTest, PicturesHoldTheSmsToPayloadExactly) {
    const struct {
        std::vector<std::string> flags;
        std::string payload;
    } rows[] = {
        {{}, "SMSTO:+8613800138000:(A55A#1*192.168.1.100*6000#3*CMNET#4*TQ-GP000001)"},
        {{"--apn", "cmwap", "--phone", "138-0013-8000"},
         "SMSTO:13800138000:(A55A#1*192.168.1.100*6000#3*CMWAP#4*TQ-GP000001)"},
        {{"--apn", "uninet", "--mode", "domain", "--domain", "dtu.example.com"},
         "SMSTO:+8613800138000:(A55A#2*dtu.example.com*6000#3*UNINET#4*TQ-GP000001)"},
        {{"--apn", "other", "--other-apn", "my.apn"},
         "SMSTO:+8613800138000:(A55A#1*192.168.1.100*6000#3*my.apn#4*TQ-GP000001)"},
        {{"--dtu", "设备一号"}, "SMSTO:+8613800138000:(A55A#1*192.168.1.100*6000#3*CMNET#4*设备一号)"},
        {{"--dtu", std::string(1000, 'x')},
         "SMSTO:+8613800138000:(A55A#1*192.168.1.100*6000#3*CMNET#4*" + std::string(1000, 'x') + ")"},
    };
    for (const auto& row : rows) {
        for (const std::string name : {"code.png", "CODE.SVG"}) {
            const std::string path = dir_.File(name);
            std::vector<std::string> args{"qr", SettingsFlag(), "--output", path};
            args.insert(args.end(), row.flags.begin(), row.flags.end());
            const Outcome outcome = RunProgram(args);
            EXPECT_EQ(outcome.status, 0) << outcome.err;
            EXPECT_EQ(outcome.out, "");
            EXPECT_EQ(Decode(path), row.payload) << name;
        }
    }
}

TEST_F(QrCommandTest, TheTerminalDrawingIsPlainInAFileAndColouredOnATerminal) {
    const std::string payload = "SMSTO:+8613800138000:(A55A#1*192.168.1.100*6000#3*CMNET#4*TQ-GP000001)";
    const qr::QrCode code = qr::QrCode::Encode(payload);
    const Outcome outcome = RunProgram({"qr", SettingsFlag()});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, qr::RenderTerminal(code, qr::TerminalStyle::kPlain));

    for (const bool terminal : {false, true}) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunCommandLine({"qr", SettingsFlag()}, {out, err, {}, false, terminal});
        EXPECT_EQ(status, 0) << err.str();
        EXPECT_EQ(out.str(), qr::RenderTerminal(code, terminal ? qr::TerminalStyle::kAnsiColours
                                                               : qr::TerminalStyle::kPlain));
    }
}

TEST_F(QrCommandTest, AMissingOrInvalidNumberOrFieldIsNamedAndNothingIsWritten) {
    const std::string phoneMessage = "Please enter valid \"DTU phone number\"\n";
    const struct {
        std::string file;
        std::vector<std::string> flags;
        int status;
        std::string err;
    } rows[] = {
        {"[Main]\r\nStatic IP=h\r\n", {}, 1, phoneMessage},
        {"[Main]\r\nStatic IP=h\r\nDTU phone number=\r\n", {}, 1, phoneMessage},
        {kSettings, {"--phone", "138OO138000"}, 1, phoneMessage},
        {kSettings, {"--phone", "12"}, 1, phoneMessage},
        {kSettings, {"--phone", std::string(21, '1')}, 1, phoneMessage},
        {kSettings, {"--phone", ""}, 1, phoneMessage},
        {kSettings, {"--ip", ""}, 1, "Please enter valid \"Static IP\"\n"},
        {kSettings, {"--dtu", ""}, 1, "Please enter valid \"DTU number\"\n"},
        {kSettings, {"--dtu", std::string(3000, 'x')}, 1, "The command is too long for a QR code\n"},
        {kSettings,
         {"--output", "x.jpg"},
         2,
         "dtusms: --output: \"x.jpg\" must end in .png or .svg. See dtusms --help.\n"},
    };
    const std::string output = dir_.File("out.png");
    for (const auto& row : rows) {
        WriteBytes(settings_, row.file);
        std::vector<std::string> args{"qr", SettingsFlag(), "--output", output};
        args.insert(args.end(), row.flags.begin(), row.flags.end());
        const Outcome outcome = RunProgram(args);
        EXPECT_EQ(outcome.status, row.status) << row.err;
        EXPECT_EQ(outcome.err, row.err);
        EXPECT_FALSE(std::filesystem::exists(output)) << row.err;
    }
}

TEST_F(QrCommandTest, AnOutputThatCannotBeWrittenLeavesNothingBehind) {
    std::filesystem::create_directory(dir_.File("folder.png"));
    WriteBytes(dir_.File("old.svg"), "old picture");
    const struct {
        std::string path;
        std::string err;
    } rows[] = {
        {dir_.File("missing/code.png"),
         "Unable to write to " + dir_.File("missing/code.png") + ": No such file or directory\n"},
        {dir_.File("folder.png"), "Unable to write to " + dir_.File("folder.png") + ": it is a folder\n"},
    };
    for (const auto& row : rows) {
        const Outcome outcome = RunProgram({"qr", SettingsFlag(), "--output", row.path});
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.err, row.err);
    }
    // A refused request keeps the old picture, and no temporary file stays behind.
    const Outcome failed =
        RunProgram({"qr", SettingsFlag(), "--phone", "x", "--output", dir_.File("old.svg")});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(ReadBytes(dir_.File("old.svg")), "old picture");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 3U) << "GPRSInfo.ini, folder.png and old.svg only";
}

}  // namespace
}  // namespace app
