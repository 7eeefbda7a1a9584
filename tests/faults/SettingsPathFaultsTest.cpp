// The settings file when its path stops being usable while the program runs, and field values at
// the edges: a 10,000-character static IP and a DTU number in CJK characters and emoji. Every fault
// is made in a way that holds for root too (root ignores permission bits).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/AsciiText.h"
#include "base/WholeFile.h"
#include "settings/ProfileFile.h"
#include "settings/ProfileText.h"
#include "settings/Settings.h"
#include "sms/SmsCommand.h"
#include "tests/faults/FaultsSupport.h"

namespace {

namespace fs = std::filesystem;

sms::TGPRSInfo Load(const std::string& path) {
    return settings::LoadSettings(path, [] { return std::string("192.168.1.100"); });
}

std::string RawValue(const std::string& path, std::string_view key) {
    const settings::ProfileText text(base::ReadWholeFile(path).bytes);
    return std::string(text.Find(sms::keys::kSection, key).value_or("<missing>"));
}

void ExpectSameFields(const sms::TGPRSInfo& expected, const sms::TGPRSInfo& actual) {
    EXPECT_EQ(expected.nLanguageID, actual.nLanguageID);
    EXPECT_EQ(expected.ServerAddressMode, actual.ServerAddressMode);
    EXPECT_EQ(expected.Port, actual.Port);
    EXPECT_EQ(expected.StaticIP, actual.StaticIP);
    EXPECT_EQ(expected.DomainAddress, actual.DomainAddress);
    EXPECT_EQ(expected.SMSCommandType, actual.SMSCommandType);
    EXPECT_EQ(expected.ServiceNetwork, actual.ServiceNetwork);
    EXPECT_EQ(expected.OtherAPN, actual.OtherAPN);
    EXPECT_EQ(expected.DTUNumber, actual.DTUNumber);
}

TEST(SettingsPathFaultsTest, UnusablePathRefusesWritesWithTheMessageReadsDefaultsAndLosesNothing) {
    struct Row {
        const char* fault;
        // Breaks the path while the program runs; the returned function puts it back.
        std::function<std::function<void()>(const fs::path& folder, const fs::path& file)> breakPath;
    };
    const std::vector<Row> rows = {
        {"the settings file is replaced by a folder of the same name",
         [](const fs::path&, const fs::path& file) -> std::function<void()> {
             const fs::path aside = file.string() + ".aside";
             fs::rename(file, aside);
             fs::create_directory(file);
             fs::create_directory(file / "inner");
             return [file, aside] {
                 fs::remove_all(file);
                 fs::rename(aside, file);
             };
         }},
        {"the settings folder is replaced by a file of the same name",
         [](const fs::path& folder, const fs::path&) -> std::function<void()> {
             const fs::path aside = folder.string() + ".aside";
             fs::rename(folder, aside);
             std::ofstream(folder) << "not a folder";
             return [folder, aside] {
                 fs::remove(folder);
                 fs::rename(aside, folder);
             };
         }},
        {"the settings folder is removed",
         [](const fs::path& folder, const fs::path&) -> std::function<void()> {
             const fs::path aside = folder.string() + ".aside";
             fs::rename(folder, aside);
             return [folder, aside] { fs::rename(aside, folder); };
         }},
    // Symbolic links to a device or to themselves: POSIX only.
#ifndef _WIN32
        {"the settings file is replaced by a link to a device",
         [](const fs::path&, const fs::path& file) -> std::function<void()> {
             const fs::path aside = file.string() + ".aside";
             fs::rename(file, aside);
             fs::create_symlink("/dev/full", file);
             return [file, aside] {
                 fs::remove(file);
                 fs::rename(aside, file);
             };
         }},
        {"the settings file is replaced by a link that loops",
         [](const fs::path&, const fs::path& file) -> std::function<void()> {
             const fs::path aside = file.string() + ".aside";
             fs::rename(file, aside);
             fs::create_symlink(file.filename(), file);
             return [file, aside] {
                 fs::remove(file);
                 fs::rename(aside, file);
             };
         }},
#endif
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fault);
        faults::TempFolder root;
        const fs::path folder = root.path() / "program";
        fs::create_directory(folder);
        const std::string path = (folder / settings::kSettingsFileName).string();
        settings::SaveSetting(path, sms::keys::kPort, 8000);
        settings::SaveSetting(path, sms::keys::kStaticIp, "10.1.2.3");
        settings::SaveSetting(path, sms::keys::kDtuNumber, "TQ-GP000042");
        settings::SaveSetting(path, sms::keys::kServiceNetwork, 2);
        const sms::TGPRSInfo stored = Load(path);

        const std::function<void()> restore = row.breakPath(folder, path);
        try {
            settings::SaveSetting(path, sms::keys::kPort, 9000);
            ADD_FAILURE() << "the write was not refused";
        } catch (const settings::ProfileWriteError& error) {
            EXPECT_EQ("Unable to write to " + path, std::string(error.what()));
            EXPECT_EQ(path, error.path());
        }
        EXPECT_THROW(settings::SaveSetting(path, sms::keys::kDtuNumber, "lost?"),
                     settings::ProfileWriteError);
        sms::TGPRSInfo defaults;
        defaults.StaticIP = "192.168.1.100";
        ExpectSameFields(defaults, Load(path));

        restore();
        ExpectSameFields(stored, Load(path));
        std::vector<std::string> entries;
        for (const auto& entry : fs::directory_iterator(folder)) {
            entries.push_back(entry.path().filename().string());
        }
        EXPECT_EQ(std::vector<std::string>{std::string(settings::kSettingsFileName)}, entries);
        settings::SaveSetting(path, sms::keys::kPort, 9000);
        EXPECT_EQ(9000, Load(path).Port);
    }
}

TEST(SettingsPathFaultsTest, LongStaticIpIsComposedWholeKeptWholeInTheFileAndReadBackCutAt2047Bytes) {
    struct Row {
        const char* name;
        std::string value;
        std::size_t readBackBytes;
    };
    std::string cjk;
    for (int i = 0; i < 3400; ++i) {
        cjk += "地";  // three bytes each
    }
    const std::vector<Row> rows = {
        {"ASCII", std::string(10'000, '7'), 2047},
        // 2047 bytes would end inside a character, which is left out whole.
        {"CJK", cjk, 2046},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sms::TGPRSInfo info;
        info.StaticIP = row.value;
        const sms::SmsCommandResult command = sms::GenerateSMSCommand(info);
        ASSERT_TRUE(command.ok);
        EXPECT_EQ("(A55A#1*" + row.value + "*6000#3*CMNET#4*TQ-GP000001)", command.command);

        faults::TempFolder folder;
        const std::string path = folder.File(std::string(settings::kSettingsFileName));
        settings::SaveSetting(path, sms::keys::kStaticIp, row.value);
        EXPECT_EQ(row.value.substr(0, row.readBackBytes), Load(path).StaticIP);
        EXPECT_EQ(row.value.substr(0, row.readBackBytes),
                  settings::ProfileFile(path).ReadString(sms::keys::kSection, sms::keys::kStaticIp, ""));
        // Writing other keys leaves the long value whole in the file.
        settings::SaveSetting(path, sms::keys::kPort, 7000);
        settings::SaveSetting(path, sms::keys::kDomainAddress, "after");
        EXPECT_EQ(row.value, RawValue(path, sms::keys::kStaticIp));
        EXPECT_EQ("after", Load(path).DomainAddress);
    }
}

TEST(SettingsPathFaultsTest, CjkAndEmojiDtuNumberRoundTripsAsUtf8) {
    const std::vector<std::string> numbers = {"设备编号-一号", "設備編號📡🛰️", "TQ-GP🙂000001",
                                              "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x94\xA7 工程师",
                                              " 前后有空格 "};
    for (const std::string& number : numbers) {
        SCOPED_TRACE(number);
        faults::TempFolder folder;
        const std::string path = folder.File(std::string(settings::kSettingsFileName));
        settings::SaveSetting(path, sms::keys::kDtuNumber, number);
        settings::SaveSetting(path, sms::keys::kPort, 6001);
        const sms::TGPRSInfo info = Load(path);
        // Blanks at the ends are dropped by the reader, as for any value; nothing else changes.
        const std::string trimmed(base::TrimBlanks(number));
        EXPECT_EQ(trimmed, info.DTUNumber);
        EXPECT_EQ(trimmed, RawValue(path, sms::keys::kDtuNumber));
        const sms::SmsCommandResult command = sms::GenerateSMSCommand(info);
        ASSERT_TRUE(command.ok);
        EXPECT_EQ("(A55A#1*192.168.1.100*6001#3*CMNET#4*" + trimmed + ")", command.command);
    }
}

}  // namespace
