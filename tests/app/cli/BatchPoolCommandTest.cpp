// dtusms batch --send through several modems at once: each row goes out once through one of them,
// the output keeps the input's order and names the modem of each row, a modem that fails leaves the
// pool while the others carry on, --rate spaces each modem's messages, and a DTU's reply is matched
// to its row whichever modem receives it.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "net/HttpGet.h"
#include "net/WanAddress.h"
#include "tests/app/cli/ProgramRunner.h"
#include "tests/modem/FakeModem.h"
#include "tests/modem/SerialTestSupport.h"
#include "tests/net/LoopbackPeers.h"
#include "tests/sms/TempDir.h"

namespace app {
namespace {

using sms::testing::ReadBytes;
using sms::testing::TempDir;
using sms::testing::WriteBytes;
using testing::Outcome;

std::string Phone(int row) {
    return "138001" + std::to_string(38000 + row);
}

// One output row: its DTU, phone, sent cell, reply and modem.
struct OutputRow {
    std::string dtu;
    std::string phone;
    std::string sent;
    std::string modem;
    std::string reply;
};

class BatchPoolCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(settings_, "[Main]\r\nPort=6000\r\nStatic IP=10.0.0.1\r\nDTU number=TQ-GP000001\r\n");
    }

    void WriteRows(int rows) {
        std::string csv = "dtu,phone\r\n";
        for (int row = 1; row <= rows; ++row) {
            csv += "TQ-" + std::to_string(row) + "," + Phone(row) + "\r\n";
        }
        WriteBytes(input_, csv);
    }

    Outcome Run(const std::vector<const modem_test::FakeModem*>& modems,
                const std::vector<std::string>& more = {}) {
        std::vector<std::string> args{"batch",  input_,     "--settings", settings_,
                                      "--send", "--output", output_};
        for (const modem_test::FakeModem* fake : modems) {
            args.insert(args.end(), {"--modem", fake->path()});
        }
        args.insert(args.end(), more.begin(), more.end());
        return testing::RunProgram(args);
    }

    // The output's rows after its header; the cells are those of this test's rows, without commas
    // (the modem is the last cell, the sent cell the fourth from the end).
    std::vector<OutputRow> Output() const {
        std::istringstream lines(ReadBytes(output_));
        std::string line;
        std::getline(lines, line);
        EXPECT_EQ(line, "dtu,phone,command,parts,status,sent,reply,modem\r");
        std::vector<OutputRow> rows;
        while (std::getline(lines, line)) {
            const std::string record = line.substr(0, line.find('\r'));
            std::vector<std::string> cells(1);
            for (const char c : record) {
                if (c == ',') {
                    cells.emplace_back();
                } else {
                    cells.back() += c;
                }
            }
            EXPECT_GE(cells.size(), 8U) << line;
            if (cells.size() >= 8) {
                rows.push_back(
                    {cells[0], cells[1], cells[cells.size() - 3], cells.back(), cells[cells.size() - 2]});
            }
        }
        return rows;
    }

    TempDir dir_;
    std::string settings_ = dir_.File("GPRSInfo.ini");
    std::string input_ = dir_.File("fleet.csv");
    std::string output_ = dir_.File("out.csv");
};

// The phone numbers each fake received, with how often.
std::map<std::string, int> Received(const std::vector<const modem_test::FakeModem*>& modems,
                                    std::map<std::string, std::string>* receivedBy = nullptr) {
    std::map<std::string, int> received;
    for (const modem_test::FakeModem* fake : modems) {
        for (const sms::SubmitPdu& part : modem_test::DecodedParts(*fake)) {
            ++received[part.destination.number];
            if (receivedBy != nullptr) {
                (*receivedBy)[part.destination.number] = fake->path();
            }
        }
    }
    return received;
}

TEST_F(BatchPoolCommandTest, EveryRowGoesOutOnceThroughOneModemAndTheOutputKeepsTheInputOrder) {
    constexpr int kRows = 15;
    WriteRows(kRows);
    modem_test::FakeModem a;
    modem_test::FakeModem b;
    modem_test::FakeModem c;
    // Modems of unequal speed, so that rows finish out of their order.
    a.SetAnswerDelayMs(2);
    b.SetAnswerDelayMs(15);
    c.SetAnswerDelayMs(40);
    const std::vector<const modem_test::FakeModem*> pool{&a, &b, &c};
    const Outcome outcome = Run(pool, {"--quiet"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;

    std::map<std::string, std::string> receivedBy;
    const std::map<std::string, int> received = Received(pool, &receivedBy);
    const std::vector<OutputRow> rows = Output();
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kRows));
    std::map<std::string, int> perModem;
    for (int row = 1; row <= kRows; ++row) {
        const OutputRow& written = rows[row - 1];
        SCOPED_TRACE(written.dtu);
        EXPECT_EQ(written.dtu, "TQ-" + std::to_string(row)) << "in the input's order";
        EXPECT_EQ(received.count(Phone(row)) ? received.at(Phone(row)) : 0, 1) << "sent exactly once";
        EXPECT_EQ(written.modem, receivedBy[Phone(row)]) << "the modem named is the one that sent it";
        ++perModem[written.modem];
    }
    EXPECT_EQ(perModem.size(), 3U) << "every modem took rows";
    EXPECT_GT(perModem[a.path()], perModem[c.path()]) << "the quick modem took more rows than the slow one";
    EXPECT_FALSE(std::filesystem::exists(output_ + ".journal"));
}

// A modem that cannot send leaves the pool after the row it failed: the other modem sends the rest.
TEST_F(BatchPoolCommandTest, AFailingModemLeavesThePoolAndTheOthersCarryOn) {
    constexpr int kRows = 8;
    const struct {
        const char* name;
        void (*breakIt)(modem_test::FakeModem&);
        int failedRows;  // the rows it fails before it leaves
    } faults[] = {
        {"no SIM card", [](modem_test::FakeModem& fake) { fake.SetPinState(""); }, 1},
        {"every send refused",
         [](modem_test::FakeModem& fake) {
             for (int part = 1; part <= kRows; ++part) {
                 fake.SetPartError(part, "+CMS ERROR: 38");
             }
         },
         3},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.name);
        WriteRows(kRows);
        std::filesystem::remove(output_);
        std::filesystem::remove(output_ + ".journal");
        modem_test::FakeModem broken;
        fault.breakIt(broken);
        broken.SetAnswerDelayMs(1);
        modem_test::FakeModem working;
        // Slow enough that the broken modem gets the rows it fails on before the working one is done.
        working.SetAnswerDelayMs(20);
        const Outcome outcome = Run({&broken, &working}, {"--quiet"});
        EXPECT_EQ(outcome.status, 1);
        const std::map<std::string, int> received = Received({&working});
        int failed = 0;
        for (const OutputRow& row : Output()) {
            if (row.modem == broken.path()) {
                ++failed;
                EXPECT_EQ(received.count(row.phone), 0U) << row.dtu;
            } else {
                EXPECT_EQ(row.modem, working.path()) << row.dtu;
                EXPECT_EQ(received.count(row.phone) ? received.at(row.phone) : 0, 1) << row.dtu;
            }
        }
        EXPECT_EQ(failed, fault.failedRows);
        EXPECT_EQ(Output().size(), static_cast<std::size_t>(kRows));
    }
}

// When every modem has left, the rows left are written as not sent, and a resume sends just those.
TEST_F(BatchPoolCommandTest, RowsLeftWhenEveryModemFailedAreSentByAResume) {
    constexpr int kRows = 5;
    WriteRows(kRows);
    modem_test::FakeModem noSim;
    noSim.SetPinState("");
    modem_test::FakeModem locked;
    locked.SetPinState("SIM PIN");
    const Outcome failed = Run({&noSim, &locked}, {"--quiet"});
    EXPECT_EQ(failed.status, 1);
    const std::vector<OutputRow> rows = Output();
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kRows));
    int notSent = 0;
    for (const OutputRow& row : rows) {
        notSent += row.sent.starts_with("not sent: every modem of the pool failed") ? 1 : 0;
    }
    EXPECT_EQ(notSent, kRows - 2) << "one row failed on each modem, the rest found none";

    modem_test::FakeModem working;
    const Outcome resumed = Run({&working}, {"--quiet", "--resume"});
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(Received({&working}).size(), static_cast<std::size_t>(kRows));
    for (const OutputRow& row : Output()) {
        EXPECT_EQ(row.modem, working.path());
    }
}

// A quote never closed further down ends the reading; the rows the pool already had are still sent
// and written, so the output records every message that went out.
TEST_F(BatchPoolCommandTest, ABrokenLineKeepsTheRowsSentBeforeItInTheOutput) {
    std::string csv = "dtu,phone\r\n";
    for (int row = 1; row <= 4; ++row) {
        csv += "TQ-" + std::to_string(row) + "," + Phone(row) + "\r\n";
    }
    WriteBytes(input_, csv + "TQ-5,\"13800138005\r\n");
    modem_test::FakeModem a;
    modem_test::FakeModem b;
    a.SetAnswerDelayMs(10);
    b.SetAnswerDelayMs(10);
    const Outcome outcome = Run({&a, &b}, {"--quiet"});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find("The 4 rows before it were written to " + output_), std::string::npos)
        << outcome.err;
    const std::map<std::string, int> received = Received({&a, &b});
    EXPECT_EQ(received.size(), 4U);
    const std::vector<OutputRow> rows = Output();
    ASSERT_EQ(rows.size(), 4U);
    for (const OutputRow& row : rows) {
        EXPECT_EQ(received.count(row.phone), 1U) << row.dtu;
        EXPECT_TRUE(row.modem == a.path() || row.modem == b.path()) << row.dtu;
    }
}

// The network between two fakes: the DTU that a part of one goes to answers "OK <its number>"
// through the other. The answers wait until both fakes took a part, so that both are waiting.
class CrossedAnswers final {
public:
    CrossedAnswers(modem_test::FakeModem& a, modem_test::FakeModem& b) {
        a.SetOnPart([this, &b](const std::string& pdu) { Answer(b, pdu); });
        b.SetOnPart([this, &a](const std::string& pdu) { Answer(a, pdu); });
    }

private:
    void Answer(modem_test::FakeModem& through, const std::string& pdu) {
        const std::string phone = sms::DecodeSubmitPdu(pdu).pdu.destination.number;
        const std::lock_guard lock(mutex_);
        held_.push_back({&through, modem_test::DeliverPdu(phone, "OK " + phone)});
        if (held_.size() == 2) {
            for (const auto& [fake, answer] : held_) {
                fake->DeliverIn(answer, 100);
            }
        }
    }

    std::mutex mutex_;
    std::vector<std::pair<modem_test::FakeModem*, std::string>> held_;
};

// Each DTU's answer reaches the other modem than the one that sent its row: every row still gets
// its own reply.
TEST_F(BatchPoolCommandTest, AReplyIsMatchedToItsRowWhicheverModemReceivesIt) {
    WriteRows(2);
    modem_test::FakeModem a;
    modem_test::FakeModem b;
    const CrossedAnswers network(a, b);
    const Outcome outcome = Run({&a, &b}, {"--quiet", "--wait-reply", "10"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    const std::vector<OutputRow> rows = Output();
    ASSERT_EQ(rows.size(), 2U);
    EXPECT_NE(rows[0].modem, rows[1].modem) << "each modem sent one row and received the other's reply";
    for (const OutputRow& row : rows) {
        EXPECT_EQ(row.reply, "OK " + row.phone) << row.dtu;
    }
}

// A message from a row's DTU that came while an earlier row waited, before this row was sent, is
// not taken for its reply.
TEST_F(BatchPoolCommandTest, AMessageThatCameBeforeTheRowWasSentIsNotItsReply) {
    WriteRows(2);
    modem_test::FakeModem fake;
    fake.SetOnPart([&fake](const std::string& pdu) {
        const std::string phone = sms::DecodeSubmitPdu(pdu).pdu.destination.number;
        if (phone == Phone(1)) {
            fake.DeliverIn(modem_test::DeliverPdu(Phone(2), "early"), 50);
            fake.DeliverIn(modem_test::DeliverPdu(phone, "OK " + phone), 600);
        } else {
            fake.DeliverIn(modem_test::DeliverPdu(phone, "OK " + phone), 500);
        }
    });
    const Outcome outcome = Run({&fake}, {"--quiet", "--wait-reply", "10"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    const std::vector<OutputRow> rows = Output();
    ASSERT_EQ(rows.size(), 2U);
    EXPECT_EQ(rows[0].reply, "OK " + Phone(1));
    EXPECT_EQ(rows[1].reply, "OK " + Phone(2));
}

// Two gateways in one pool (two accounts, say) share the one --gateway-listen receiver: the batch
// starts, every row gets the answer Kannel brings for its number, and each gateway's references
// carry a prefix of their own, which tells their delivery reports apart.
TEST_F(BatchPoolCommandTest, TwoGatewaysShareOneReceiver) {
    WriteRows(2);
    const nettest::HttpServer first("0: Accepted for delivery", false, "202 Accepted");
    const nettest::HttpServer second("0: Accepted for delivery", false, "202 Accepted");
    const auto sendUrl = [](const nettest::HttpServer& kannel) {
        const std::string url = kannel.Url();
        return url.substr(0, url.find('/', std::string("http://").size())) + "/cgi-bin/sendsms";
    };
    const std::string receiver = "http://127.0.0.1:" + std::to_string(nettest::RefusedPort());
    // Kannel bringing both DTUs' answers over and over until the batch ends; those that came before
    // a row was sent are not its reply.
    std::atomic<bool> ended{false};
    std::thread kannel([&] {
        while (!ended) {
            for (int row = 1; row <= 2; ++row) {
                try {
                    net::HttpGet(
                        receiver + "/kannel/mo?from=" + Phone(row) + "&text=OK+" + Phone(row),
                        [] { return true; }, std::chrono::seconds(2));
                } catch (const net::WanRequestError&) {
                    // Not listening yet.
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    const Outcome outcome =
        testing::RunProgram({"batch", input_, "--settings", settings_, "--send", "--output", output_,
                             "--quiet", "--modem", sendUrl(first), "--modem", sendUrl(second),
                             "--gateway-listen", receiver.substr(7), "--wait-reply", "10"});
    ended = true;
    kannel.join();
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    const std::vector<OutputRow> rows = Output();
    ASSERT_EQ(rows.size(), 2U);
    std::set<std::string> modems;
    std::set<std::string> prefixes;
    for (const OutputRow& row : rows) {
        EXPECT_EQ(row.reply, "OK " + row.phone) << row.dtu;
        modems.insert(row.modem);
        prefixes.insert(row.sent.substr(0, row.sent.find('-')));
    }
    EXPECT_EQ(modems, (std::set<std::string>{sendUrl(first), sendUrl(second)}));
    EXPECT_EQ(prefixes.size(), 2U);
}

TEST_F(BatchPoolCommandTest, RateSpacesTheMessagesOfEachModem) {
    WriteRows(3);
    modem_test::FakeModem fake;
    const auto started = std::chrono::steady_clock::now();
    // 120 a minute: one every half second, so the third starts a second after the first.
    const Outcome outcome = Run({&fake}, {"--quiet", "--rate", "120"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_GE(modem_test::MillisecondsSince(started), 1000);
    EXPECT_EQ(fake.Pdus().size(), 3U);
}

// What keeps a gateway from being used is said as it is, in the user's language: a receiver whose
// port is taken, a URL that is no gateway's. Neither is a lack of modem support.
TEST_F(BatchPoolCommandTest, AGatewayThatCannotBeUsedIsSaidSoInTheUsersLanguage) {
    WriteRows(1);
    const nettest::HttpServer busy("", false, "200 OK");
    const std::string port =
        busy.Url().substr(std::string("http://127.0.0.1:").size(),
                          busy.Url().find('/', 7) - std::string("http://127.0.0.1:").size());
    const std::string gateway = "http://u:p@127.0.0.1:" + port + "/cgi-bin/sendsms";
    const struct {
        std::vector<std::string> args;
        std::string expected;
    } rows[] = {
        {{"--modem", gateway, "--gateway-listen", "127.0.0.1:" + port, "--wait-reply", "5", "--lang", "en"},
         "cannot listen on 127.0.0.1 port " + port + ": the port is already in use"},
        {{"--modem", gateway, "--gateway-listen", "127.0.0.1:" + port, "--wait-reply", "5", "--lang",
          "zh_cn"},
         "无法在 127.0.0.1 的端口 " + port + " 上监听：该端口已被占用"},
        {{"--modem", "https://", "--lang", "zh_tw"}, "「https://」不是網關的 http 或 https URL"},
    };
    for (const auto& row : rows) {
        for (const std::string command : {"send", "batch"}) {
            std::vector<std::string> args{command, "--settings", settings_, "--phone", Phone(1)};
            if (command == "batch") {
                args = {command, input_, "--settings", settings_, "--send", "--output", output_};
            }
            args.insert(args.end(), row.args.begin(), row.args.end());
            const Outcome outcome = testing::RunProgram(args);
            EXPECT_NE(outcome.status, 0) << command;
            EXPECT_NE(outcome.err.find(row.expected), std::string::npos) << command << ": " << outcome.err;
            EXPECT_EQ(outcome.err.find("modem support"), std::string::npos) << command << ": " << outcome.err;
        }
    }
}

}  // namespace
}  // namespace app
