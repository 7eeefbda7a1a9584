// Crash safety of the settings file: a writer process saves keys one after another and is killed
// with SIGKILL at random moments, a few hundred times. After every kill the file must hold every key,
// each with its value from before the kill or one that the writer saved, in the order it saved them:
// never a truncated or mixed value. Temporary files of killed writers must not pile up.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/WholeFile.h"
#include "settings/ProfileText.h"
#include "settings/Settings.h"
#include "tests/faults/FaultsSupport.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 250;
constexpr std::string_view kIntegerKeys[] = {sms::keys::kLanguageId, sms::keys::kServerAddressMode,
                                             sms::keys::kPort, sms::keys::kSmsCommandType,
                                             sms::keys::kServiceNetwork};
constexpr std::string_view kTextKeys[] = {sms::keys::kStaticIp, sms::keys::kDomainAddress,
                                          sms::keys::kOtherApn, sms::keys::kDtuNumber};
constexpr int kKeyCount = 9;

std::string_view KeyOf(int write) {
    const int k = write % kKeyCount;
    return k < 5 ? kIntegerKeys[k] : kTextKeys[k - 5];
}

// The value of the write numbered `write` in `round`. Text values are long (so that a kill often
// lands inside the write) and say how long they are, so a truncated one cannot pass for whole.
std::string ValueOf(int round, int write) {
    if (write % kKeyCount < 5) {
        return std::to_string(round * 100000 + write);
    }
    const std::size_t fill = 200 + static_cast<std::size_t>(write * 37 % 1500);
    std::string value =
        "r" + std::to_string(round) + "w" + std::to_string(write) + "n" + std::to_string(fill) + ":";
    value.append(fill, static_cast<char>('a' + (round + write) % 26));
    return value + ":end";
}

// Saves writes 0, 1, 2 ... of `round` until killed (or `limit` writes, then exits).
[[noreturn]] void RunWriter(const std::string& path, int round, int limit) {
    for (int write = 0; write < limit; ++write) {
        try {
            if (write % kKeyCount < 5) {
                settings::SaveSetting(path, KeyOf(write), round * 100000 + write);
            } else {
                settings::SaveSetting(path, KeyOf(write), ValueOf(round, write));
            }
        } catch (...) {
            ::_exit(3);
        }
    }
    ::_exit(0);
}

pid_t StartWriter(const std::string& path, int round, int limit) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        RunWriter(path, round, limit);
    }
    return pid;
}

int Wait(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

using Values = std::map<std::string, std::string, std::less<>>;

Values ReadAll(const std::string& path) {
    const settings::ProfileText text(base::ReadWholeFile(path).bytes);
    Values values;
    for (int k = 0; k < kKeyCount; ++k) {
        if (const std::optional<std::string_view> value = text.Find(sms::keys::kSection, KeyOf(k))) {
            values[std::string(KeyOf(k))] = std::string(*value);
        }
    }
    return values;
}

// The write number that `value` carries when it was written in `round`, else nullopt.
std::optional<int> WriteNumberIn(int round, int key, const std::string& value) {
    for (int write = key; write < 1'000'000; write += kKeyCount) {
        const std::string expected = ValueOf(round, write);
        if (key < 5) {
            const long number = std::strtol(value.c_str(), nullptr, 10);
            if (number / 100000 != round) {
                return std::nullopt;
            }
            const int found = static_cast<int>(number % 100000);
            return (found % kKeyCount == key && value == std::to_string(number)) ? std::optional<int>(found)
                                                                                 : std::nullopt;
        }
        if (value == expected) {
            return write;
        }
        if (!value.starts_with("r" + std::to_string(round) + "w")) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::size_t StrayFiles(const std::filesystem::path& folder) {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        count += entry.path().filename() != settings::kSettingsFileName;
    }
    return count;
}

TEST(SettingsKillSoakTest, EveryKillLeavesEachKeyWithItsOldOrANewerValueInWriteOrder) {
    faults::TempFolder folder;
    const std::string path = folder.File(std::string(settings::kSettingsFileName));

    // Round 0 writes every key once and ends normally; its time gives the pace of one write.
    const auto seedStart = Clock::now();
    ASSERT_EQ(0, Wait(StartWriter(path, 0, 3 * kKeyCount)));
    const auto perWrite = (Clock::now() - seedStart) / (3 * kKeyCount);
    Values before = ReadAll(path);
    ASSERT_EQ(static_cast<std::size_t>(kKeyCount), before.size());

    std::mt19937 random(20240611);
    // Kills land anywhere from the first write to about the ninth; on a slow disk the cap keeps the
    // test short.
    const long pace = std::chrono::duration_cast<std::chrono::microseconds>(perWrite).count();
    std::uniform_int_distribution<long> delayUs(std::clamp<long>(pace, 50, 3'000),
                                                std::clamp<long>(pace * 9, 500, 25'000));
    int roundsWithNewValues = 0;
    int roundsWithStrayTemporary = 0;
    std::size_t mostStrays = 0;
    long totalWrites = 0;
    for (int round = 1; round <= kRounds; ++round) {
        const pid_t writer = StartWriter(path, round, 100'000);
        ASSERT_GT(writer, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ::kill(writer, SIGKILL);
        const int status = Wait(writer);
        ASSERT_TRUE(WIFSIGNALED(status))
            << "round " << round << ": the writer ended on its own, status " << status;

        const Values after = ReadAll(path);
        ASSERT_EQ(before.size(), after.size()) << "round " << round << ": a key went missing";
        // The last write that reached the file; every key must show the state right after it.
        int last = -1;
        for (int k = 0; k < kKeyCount; ++k) {
            const std::string& value = after.at(std::string(KeyOf(k)));
            if (value == before.at(std::string(KeyOf(k)))) {
                continue;
            }
            const std::optional<int> write = WriteNumberIn(round, k, value);
            ASSERT_TRUE(write.has_value()) << "round " << round << ": \"" << KeyOf(k)
                                           << "\" holds a value nobody wrote: " << value.substr(0, 80);
            last = std::max(last, *write);
        }
        for (int k = 0; k < kKeyCount; ++k) {
            const std::string key(KeyOf(k));
            const int lastOfKey = last < k ? -1 : last - (last - k) % kKeyCount;
            const std::string expected = lastOfKey < 0 ? before.at(key)
                                         : after.at(key).empty()
                                             ? ""
                                             : [&] {
                                                   return k < 5 ? std::to_string(round * 100000 + lastOfKey)
                                                                : ValueOf(round, lastOfKey);
                                               }();
            ASSERT_EQ(expected, after.at(key))
                << "round " << round << ": writes reached the file out of order";
        }
        roundsWithNewValues += last >= 0;
        totalWrites += last + 1;
        const std::size_t strays = StrayFiles(folder.path());
        roundsWithStrayTemporary += strays > 0;
        mostStrays = std::max(mostStrays, strays);
        // A later writer clears what killed ones left, so the count stays small however many die.
        ASSERT_LE(strays, 8u) << "round " << round << ": temporary files of killed writers pile up";
        before = after;
    }

    // A writer that runs to its end leaves nothing but the settings file.
    ASSERT_EQ(0, Wait(StartWriter(path, kRounds + 1, kKeyCount)));
    EXPECT_EQ(0u, StrayFiles(folder.path()));
    EXPECT_GT(roundsWithNewValues, kRounds / 3) << "the kills came too early to test anything";

    std::cout << "[ soak ] " << kRounds << " kills, " << roundsWithNewValues << " after at least one write, "
              << totalWrites << " writes reached the file, " << roundsWithStrayTemporary
              << " kills left a temporary file (at most " << mostStrays << " at once), one write takes "
              << std::chrono::duration_cast<std::chrono::microseconds>(perWrite).count() << " us\n";
}

}  // namespace
