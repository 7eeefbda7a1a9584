// dtusms.exe send and batch --send under Wine, through the fake modem of the Linux tests: Wine maps
// COMn to the Unix device that the link dosdevices/comn in its prefix names, so the Windows program
// opens the fake modem's pseudo-terminal as a COM port. The output must be what the Linux program
// prints for the same modem (the same texts as the Linux tests), apart from the CR LF line ends.
//
// A native program, run by the Windows stage: check_wine_modem [gtest flags] --wine WINE --program
// DTUSMS.EXE, with WINEPREFIX naming the stage's Wine prefix.

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/cli/ProgramRunner.h"
#include "tests/modem/FakeModem.h"
#include "tests/modem/SerialTestSupport.h"
#include "tests/sms/TempDir.h"

namespace {

using app::testing::Outcome;
using modem_test::DecodedParts;
using modem_test::DeliverPdu;
using modem_test::FakeModem;
using sms::testing::ReadBytes;
using sms::testing::TempDir;
using sms::testing::WriteBytes;

std::string wine;     // NOLINT: set once by main
std::string program;  // NOLINT: set once by main

std::string WithoutCarriageReturns(std::string text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            plain += text[i];
        }
    }
    return plain;
}

// The Unix path `path` as the Windows program names it (Wine's drive Z: is the root folder).
std::string WindowsPath(const std::string& path) {
    return "Z:" + path;
}

// Makes COM<number> of the Wine prefix name `device` while it lives.
class ComPort final {
public:
    ComPort(int number, const std::string& device)
        : name_("COM" + std::to_string(number)),
          link_(std::filesystem::path(std::getenv("WINEPREFIX")) / "dosdevices" /
                ("com" + std::to_string(number))) {
        std::error_code ignored;
        std::filesystem::remove(link_, ignored);
        std::filesystem::create_symlink(device, link_);
    }
    ~ComPort() {
        std::error_code ignored;
        std::filesystem::remove(link_, ignored);
    }
    ComPort(const ComPort&) = delete;
    ComPort& operator=(const ComPort&) = delete;
    const std::string& name() const { return name_; }

private:
    std::string name_;
    std::filesystem::path link_;
};

Outcome RunWindowsProgram(const std::vector<std::string>& args) {
    std::vector<std::string> command{program};
    command.insert(command.end(), args.begin(), args.end());
    Outcome outcome = app::testing::RunProgramFile(wine, command);
    outcome.out = WithoutCarriageReturns(outcome.out);
    outcome.err = WithoutCarriageReturns(outcome.err);
    return outcome;
}

class WineModemTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("WINEPREFIX"), nullptr);
        WriteBytes(settings_,
                   "[Main]\r\nPort=6000\r\nStatic IP=192.168.1.100\r\nDTU number=TQ-GP000001\r\n"
                   "DTU phone number=+86 138 0013 8000\r\n");
    }
    std::vector<std::string> Send(const std::string& port, const std::vector<std::string>& flags = {}) const {
        std::vector<std::string> args{"send", "--settings=" + WindowsPath(settings_), "--modem", port};
        args.insert(args.end(), flags.begin(), flags.end());
        return args;
    }

    TempDir dir_;
    std::string settings_ = dir_.File("GPRSInfo.ini");
};

TEST_F(WineModemTest, SendThroughACommPortSaysWhatTheLinuxProgramSays) {
    const struct {
        const char* name;
        std::function<void(FakeModem&)> script;
        std::vector<std::string> flags;
        int status;
        std::string out;
        std::string err;
        std::size_t parts;  // PDUs the modem took
    } rows[] = {
        {"one part", [](FakeModem&) {}, {}, 0, "sent: 17\n", "", 1},
        {"refused",
         [](FakeModem& fake) { fake.SetPartError(1, "+CMS ERROR: 38"); },
         {},
         1,
         "",
         "The modem refused part 1 of 1: network out of order (+CMS ERROR: 38)\n",
         1},
        {"reply",
         [](FakeModem& fake) {
             fake.AddDelivery(DeliverPdu("+8613900139000", "someone else"), 100, 1);
             fake.AddDelivery(DeliverPdu("13800138000", "OK\r\nIP:1.2.3.4\nPORT:6000"), 300, 1);
         },
         {"--wait-reply", "20"},
         0,
         "sent: 17\nreply: OK\\nIP:1.2.3.4\\nPORT:6000\n",
         "",
         1},
        {"no reply",
         [](FakeModem&) {},
         {"--wait-reply", "1"},
         1,
         "sent: 17\n",
         "No reply from +8613800138000 within 1 s\n",
         1},
    };
    int number = 11;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeModem fake;
        row.script(fake);
        const ComPort port(number++, fake.path());
        const Outcome outcome = RunWindowsProgram(Send(port.name(), row.flags));
        EXPECT_EQ(outcome.status, row.status) << outcome.err;
        EXPECT_EQ(outcome.out, row.out);
        EXPECT_EQ(outcome.err, row.err);
        const std::vector<sms::SubmitPdu> parts = DecodedParts(fake);
        EXPECT_EQ(parts.size(), row.parts);
        for (const sms::SubmitPdu& part : parts) {
            EXPECT_EQ(part.destination.number, "+8613800138000");
            EXPECT_EQ(part.userData.text, "(A55A#1*192.168.1.100*6000#3*CMNET#4*TQ-GP000001)");
        }
    }
}

TEST_F(WineModemTest, APortWithoutADeviceIsNamedInTheError) {
    const Outcome outcome = RunWindowsProgram(Send("COM29"));
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find("COM29"), std::string::npos) << outcome.err;
}

TEST_F(WineModemTest, TheAutomaticChoiceFindsTheModemAmongTheSystemsPorts) {
    FakeModem fake;
    const ComPort port(21, fake.path());
    // What Windows' serial driver does when a modem is plugged in; Wine registers its ports only
    // when its device manager starts.
    const Outcome registered =
        app::testing::RunProgramFile(wine, {"reg", "add", "HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM", "/v",
                                            "\\Device\\Serial21", "/t", "REG_SZ", "/d", port.name(), "/f"});
    ASSERT_EQ(registered.status, 0) << registered.err;
    const Outcome outcome = RunWindowsProgram(Send("auto"));
    app::testing::RunProgramFile(
        wine, {"reg", "delete", "HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM", "/v", "\\Device\\Serial21", "/f"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "sent: 17\n");
    EXPECT_EQ(DecodedParts(fake).size(), 1U);
}

TEST_F(WineModemTest, BatchSendRecordsEachRowsOutcome) {
    FakeModem fake;
    fake.SetPartError(2, "+CMS ERROR: 38");
    const ComPort port(22, fake.path());
    const std::string input = dir_.File("in.csv");
    const std::string output = dir_.File("out.csv");
    WriteBytes(input, "dtu,phone\r\nTQ-1,13800138001\r\nTQ-2,13800138002\r\n");
    const Outcome outcome =
        RunWindowsProgram({"batch", WindowsPath(input), "--settings", WindowsPath(settings_), "--send",
                           "--modem", port.name(), "--output", WindowsPath(output), "--quiet"});
    EXPECT_EQ(outcome.status, 1);
    const auto command = [](const std::string& dtu) {
        return "(A55A#1*192.168.1.100*6000#3*CMNET#4*" + dtu + ")";
    };
    EXPECT_EQ(ReadBytes(output),
              "dtu,phone,command,parts,status,sent,reply,modem\r\n"
              "TQ-1,13800138001," +
                  command("TQ-1") + ",1,ok,17,," + port.name() +
                  "\r\n"
                  "TQ-2,13800138002," +
                  command("TQ-2") +
                  ",1,ok,The modem refused part 1 of 1: network out of order "
                  "(+CMS ERROR: 38),," +
                  port.name() + "\r\n");
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--wine") {
            wine = argv[i + 1];
        } else if (flag == "--program") {
            program = argv[i + 1];
        }
    }
    if (wine.empty() || program.empty()) {
        std::fprintf(stderr, "usage: %s [gtest flags] --wine WINE --program DTUSMS.EXE\n", argv[0]);
        return 2;
    }
    return RUN_ALL_TESTS();
}
