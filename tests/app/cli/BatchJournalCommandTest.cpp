// dtusms batch --send killed and stopped: the journal beside the output lets a resumed run send each
// row once, whatever instant the earlier run died at.

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/cli/ProgramRunner.h"
#include "tests/modem/FakeModem.h"
#include "tests/modem/SerialTestSupport.h"
#include "tests/sms/TempDir.h"

namespace app {
namespace {

using sms::testing::ReadBytes;
using sms::testing::TempDir;
using sms::testing::WriteBytes;
using testing::Outcome;

constexpr int kRows = 6;

std::string Phone(int row) {
    return "1380013800" + std::to_string(row);
}

class BatchJournalCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(settings_, "[Main]\r\nPort=6000\r\nStatic IP=10.0.0.1\r\nDTU number=TQ-GP000001\r\n");
        std::string csv = "dtu,phone\r\n";
        for (int row = 1; row <= kRows; ++row) {
            csv += "TQ-" + std::to_string(row) + "," + Phone(row) + "\r\n";
        }
        WriteBytes(input_, csv);
    }

    std::vector<std::string> Args(const modem_test::FakeModem& fake, bool resume,
                                  const std::vector<std::string>& more = {}) const {
        std::vector<std::string> args{"batch",   input_,      "--settings", settings_, "--send",
                                      "--modem", fake.path(), "--output",   output_,   "--quiet"};
        if (resume) {
            args.emplace_back("--resume");
        }
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }

    // The arguments of a run through every fake of `pool`.
    std::vector<std::string> PoolArgs(const std::vector<std::unique_ptr<modem_test::FakeModem>>& pool,
                                      bool resume) const {
        std::vector<std::string> args{"batch",  input_,     "--settings", settings_,
                                      "--send", "--output", output_,      "--quiet"};
        for (const auto& fake : pool) {
            args.insert(args.end(), {"--modem", fake->path()});
        }
        if (resume) {
            args.emplace_back("--resume");
        }
        return args;
    }

    // The files in the folder other than the settings, the input, the output and its journal.
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
            const std::string name = entry.path().filename().string();
            if (name != "GPRSInfo.ini" && name != "fleet.csv" && name != "out.csv" &&
                name != "out.csv.journal") {
                names.push_back(name);
            }
        }
        return names;
    }

    // Counts the parts each phone number received from `fake`.
    static void CountParts(const modem_test::FakeModem& fake, std::map<std::string, int>& parts) {
        for (const sms::SubmitPdu& part : modem_test::DecodedParts(fake)) {
            ++parts[part.destination.number];
        }
    }

    // The output line of row `row`.
    std::string OutputLine(int row) const {
        std::istringstream lines(ReadBytes(output_));
        std::string line;
        while (std::getline(lines, line)) {
            if (line.starts_with("TQ-" + std::to_string(row) + ",")) {
                return line.substr(0, line.find('\r'));
            }
        }
        return {};
    }

    // Runs killed with SIGKILL at random instants, each resumed by the next, until one ends by itself,
    // with a pool of `modems` fakes. Whatever the instants: no row reaches a modem twice, and every
    // row is either sent (its reference in the output) or marked in doubt, never silently dropped;
    // no temporary file stays.
    void KillAndResume(int modems) {
        const int wanted = std::getenv("DTUSMS_KILL_INSTANTS") != nullptr
                               ? std::atoi(std::getenv("DTUSMS_KILL_INSTANTS"))
                               : 30;
        const unsigned seed = std::random_device{}();
        std::mt19937 random(seed);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(modems) + " modems");
        auto makePool = [modems] {
            std::vector<std::unique_ptr<modem_test::FakeModem>> pool;
            for (int i = 0; i < modems; ++i) {
                pool.push_back(std::make_unique<modem_test::FakeModem>());
                pool.back()->SetAnswerDelayMs(5);
            }
            return pool;
        };

        // How long a whole run takes, so that the instants spread over all of it.
        long long runMs = 0;
        {
            const auto pool = makePool();
            const auto started = std::chrono::steady_clock::now();
            const Outcome whole = testing::RunProgram(PoolArgs(pool, false));
            runMs = modem_test::MillisecondsSince(started);
            ASSERT_EQ(whole.status, 0) << whole.err;
            ASSERT_FALSE(std::filesystem::exists(output_ + ".journal"))
                << "a run with every row ok keeps no journal";
            std::filesystem::remove(output_);
        }

        int instants = 0;
        int doubtfulRows = 0;
        while (instants < wanted) {
            std::filesystem::remove(output_);
            std::filesystem::remove(output_ + ".journal");
            std::map<std::string, int> parts;
            int kills = 0;
            bool ended = false;
            for (int run = 0; !ended; ++run) {
                const auto pool = makePool();
                testing::RunningProgram program(PoolArgs(pool, run > 0));
                // After four kills in a row the run is left to end, so that the chain always finishes.
                if (kills < 4 && instants < wanted) {
                    std::uniform_int_distribution<long long> instant(0, runMs);
                    std::this_thread::sleep_for(std::chrono::milliseconds(instant(random)));
                    program.Signal(SIGKILL);
                }
                const Outcome outcome = program.Wait();
                for (const auto& fake : pool) {
                    CountParts(*fake, parts);
                }
                if (outcome.signal == SIGKILL) {
                    ++kills;
                    ++instants;
                    continue;
                }
                ended = true;
                EXPECT_TRUE(outcome.status == 0 || outcome.status == 1) << outcome.err;
            }
            int doubtful = 0;
            for (int row = 1; row <= kRows; ++row) {
                SCOPED_TRACE("row " + std::to_string(row));
                const std::string line = OutputLine(row);
                const int received = parts[Phone(row)];
                EXPECT_LE(received, 1) << "sent twice";
                const bool inDoubt = line.find("in doubt") != std::string::npos;
                const bool sent = std::regex_search(line, std::regex(",1,ok,[0-9]+,,[^,]+$"));
                EXPECT_TRUE(sent || inDoubt) << "lost: " << line;
                if (sent) {
                    EXPECT_EQ(received, 1) << "recorded as sent, but the modem never took it";
                }
                doubtful += inDoubt ? 1 : 0;
            }
            // Each modem of the pool may have had a row in its hands when a run died.
            EXPECT_LE(doubtful, kills * modems)
                << "only a row in a modem's hands when a run died can be in doubt";
            EXPECT_EQ(Leftovers(), std::vector<std::string>{});
            doubtfulRows += doubtful;

            if (doubtful > 0) {
                // The user's say: send the doubtful rows again; then every row is sent and the journal goes.
                modem_test::FakeModem fake;
                const Outcome resent = testing::RunProgram(Args(fake, true, {"--resend-doubtful"}));
                EXPECT_EQ(resent.status, 0) << resent.err;
                EXPECT_EQ(fake.Pdus().size(), static_cast<std::size_t>(doubtful));
                EXPECT_FALSE(std::filesystem::exists(output_ + ".journal"));
            }
            if (HasFailure()) {
                break;
            }
        }
        std::cout << "[ kill test ] " << modems << " modems: " << instants << " instants (a run lasts about "
                  << runMs << " ms), " << doubtfulRows << " rows left in doubt\n";
    }

    TempDir dir_;
    std::string settings_ = dir_.File("GPRSInfo.ini");
    std::string input_ = dir_.File("fleet.csv");
    std::string output_ = dir_.File("out.csv");
};

TEST_F(BatchJournalCommandTest, KilledAtRandomInstantsAndResumedNoRowIsSentTwiceOrLost) {
    KillAndResume(1);
}

TEST_F(BatchJournalCommandTest, APoolKilledAtRandomInstantsAndResumedSendsNoRowTwiceAndLosesNone) {
    KillAndResume(2);
}

// The signals a closed terminal, a polite kill and Ctrl-\ send stop the batch as Ctrl-C does: the rows
// done are written, nothing temporary is left, and a resumed run sends the rest.
TEST_F(BatchJournalCommandTest, HangUpTerminateAndQuitStopAsCtrlCDoes) {
    for (const int signal : {SIGHUP, SIGTERM, SIGQUIT}) {
        SCOPED_TRACE("signal " + std::to_string(signal));
        std::filesystem::remove(output_);
        std::filesystem::remove(output_ + ".journal");
        modem_test::FakeModem stalling;
        stalling.SetPromptMissing(true);
        testing::RunningProgram program(Args(stalling, false));
        const auto started = std::chrono::steady_clock::now();
        while (modem_test::CommandsStartingWith(stalling, "AT+CMGS=").empty() &&
               modem_test::MillisecondsSince(started) < 20000) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        program.Signal(signal);
        const Outcome stopped = program.Wait();
        EXPECT_EQ(stopped.signal, 0);
        EXPECT_EQ(stopped.status, 1);
        EXPECT_EQ(stopped.err, "Interrupted: 1 rows were written to " + output_ +
                                   "; run again with --resume to send the rest.\n");
        EXPECT_EQ(Leftovers(), std::vector<std::string>{});

        modem_test::FakeModem working;
        const Outcome resumed = testing::RunProgram(Args(working, true));
        EXPECT_EQ(resumed.status, 0) << resumed.err;
        EXPECT_EQ(working.Pdus().size(), static_cast<std::size_t>(kRows));
    }
}

TEST_F(BatchJournalCommandTest, LeftoversOfAKilledRunAreRemovedAndAJournalOfAnotherInputIsRefused) {
    // A temporary file of a process that no longer runs (a pid above any the system hands out).
    const std::string stray = dir_.File(".out.csv.tmp-999999999-0");
    WriteBytes(stray, "half");
    const std::string codes = dir_.File("codes");
    std::filesystem::create_directory(codes);
    const std::string strayPicture = codes + "/.TQ-1.png.tmp-999999999-3";
    const std::string notAPicture = codes + "/.notes.tmp-999999999-draft";
    WriteBytes(strayPicture, "half");
    WriteBytes(notAPicture, "kept");
    modem_test::FakeModem fake;
    const Outcome outcome = testing::RunProgram(Args(fake, false, {"--qr-dir", codes}));
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_FALSE(std::filesystem::exists(stray));
    EXPECT_FALSE(std::filesystem::exists(strayPicture));
    EXPECT_TRUE(std::filesystem::exists(notAPicture)) << "a name that is no temporary file's stays";

    // A run of a file with other columns that kept its journal (a row failed), then a resume of this
    // file into the same output: its rows are not those the journal speaks of.
    const std::string otherInput = dir_.File("other.csv");
    WriteBytes(otherInput, "dtu,phone,site\r\nTQ-1," + Phone(1) + ",x\r\n");
    modem_test::FakeModem refusing;
    refusing.SetPartError(1, "+CMS ERROR: 38");
    std::vector<std::string> args = Args(refusing, false);
    args[1] = otherInput;
    EXPECT_EQ(testing::RunProgram(args).status, 1);
    ASSERT_TRUE(std::filesystem::exists(output_ + ".journal"));
    std::filesystem::remove(output_);
    modem_test::FakeModem again;
    const Outcome refused = testing::RunProgram(Args(again, true));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("Cannot resume from " + output_ + ": its journal"), std::string::npos)
        << refused.err;
    EXPECT_TRUE(again.Pdus().empty());
}

}  // namespace
}  // namespace app
