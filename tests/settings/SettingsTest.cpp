#include "settings/Settings.h"

#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

#include "settings/ProfileFile.h"
#include "tests/sms/TempDir.h"

namespace settings {
namespace {

using sms::testing::ReadBytes;
using sms::testing::TempDir;
using sms::testing::WriteBytes;

TEST(SettingsTest, MissingFileGivesEveryDefaultAndAsksForTheLocalAddressOnce) {
    TempDir dir;
    int calls = 0;
    const sms::TGPRSInfo info = LoadSettings(dir.File("GPRSInfo.ini"), [&calls] {
        ++calls;
        return std::string("192.168.1.100");
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(info.nLanguageID, 0);
    EXPECT_EQ(info.ServerAddressMode, 0);
    EXPECT_EQ(info.Port, 6000);
    EXPECT_EQ(info.StaticIP, "192.168.1.100");
    EXPECT_EQ(info.DomainAddress, "");
    EXPECT_EQ(info.SMSCommandType, 0);
    EXPECT_EQ(info.ServiceNetwork, 0);
    EXPECT_EQ(info.OtherAPN, "");
    EXPECT_EQ(info.DTUNumber, "TQ-GP000001");
    EXPECT_EQ(info.DTUPhoneNumber, "");
    EXPECT_EQ(LoadSettings(dir.File("GPRSInfo.ini"), {}).StaticIP, "");
}

TEST(SettingsTest, StoredValuesWinAndTheLocalAddressIsStillAsked) {
    TempDir dir;
    const std::string path = dir.File("GPRSInfo.ini");
    WriteBytes(path,
               "[main]\r\nnLanguageID=2\r\nServer address mode=1\r\nport=8000\r\nStatic IP=  10.0.0.7 \r\n"
               "Domain address=\"my host\"\r\nSMS command type=1\r\nService network(APN)=3\r\n"
               "Other APN=apn.example\r\nDTU number=TQ-GP000002\r\ndtu PHONE number = +86 138 0013 8000\r\n");
    int calls = 0;
    const sms::TGPRSInfo info = LoadSettings(path, [&calls] {
        ++calls;
        return std::string("192.168.1.100");
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(info.nLanguageID, 2);
    EXPECT_EQ(info.ServerAddressMode, 1);
    EXPECT_EQ(info.Port, 8000);
    EXPECT_EQ(info.StaticIP, "10.0.0.7");
    EXPECT_EQ(info.DomainAddress, "my host");
    EXPECT_EQ(info.SMSCommandType, 1);
    EXPECT_EQ(info.ServiceNetwork, 3);
    EXPECT_EQ(info.OtherAPN, "apn.example");
    EXPECT_EQ(info.DTUNumber, "TQ-GP000002");
    EXPECT_EQ(info.DTUPhoneNumber, "+86 138 0013 8000");
}

TEST(SettingsTest, StoredIntegersAreReadByTheProfileRules) {
    const struct {
        const char* stored;
        int expectedPort;
    } rows[] = {
        {"0x1F40", 8000},
        {"$1F40", 8000},
        {"abc", 6000},
        {"2147483648", 6000},
        {"-2147483648", -2147483647 - 1},
        {"+12", 12},
        {" 12 ", 12},
        {"\t12", 12},
        {"'12'", 12},
        {"\" 12 \"", 6000},
        {"", 6000},
        {"200000", 200000},
        {"500", 500},
        {"12 34", 6000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.stored);
        TempDir dir;
        const std::string path = dir.File("GPRSInfo.ini");
        WriteBytes(path, std::string("[Main]\r\nPort=") + row.stored + "\r\n");
        EXPECT_EQ(LoadSettings(path, {}).Port, row.expectedPort);
    }
}

TEST(SettingsTest, FirstStartWritesThreeKeysInOrder) {
    TempDir dir;
    const std::string path = dir.File("GPRSInfo.ini");
    SaveSetting(path, sms::keys::kPort, 6000);
    SaveSetting(path, sms::keys::kStaticIp, "192.168.1.100");
    SaveSetting(path, sms::keys::kDtuNumber, "TQ-GP000001");
    EXPECT_EQ(ReadBytes(path),
              "[Main]\r\nPort=6000\r\nStatic IP=192.168.1.100\r\nDTU number=TQ-GP000001\r\n");

    // Typing into a field rewrites its key in place; the order of first writes stays.
    for (const char* typed : {"6", "60", "600", "6000", "8000"}) {
        SaveSetting(path, sms::keys::kPort, std::stoi(typed));
    }
    SaveSetting(path, sms::keys::kStaticIp, " 10.0.0.1 ");
    EXPECT_EQ(ReadBytes(path), "[Main]\r\nPort=8000\r\nStatic IP= 10.0.0.1 \r\nDTU number=TQ-GP000001\r\n");
}

TEST(SettingsTest, EveryFieldRoundTrips) {
    TempDir dir;
    const std::string path = dir.File("GPRSInfo.ini");
    SaveSetting(path, sms::keys::kLanguageId, 3);
    SaveSetting(path, sms::keys::kServerAddressMode, 1);
    SaveSetting(path, sms::keys::kPort, 99999);
    SaveSetting(path, sms::keys::kStaticIp, "1.2.3.4");
    SaveSetting(path, sms::keys::kDomainAddress, "\xe4\xb8\xad.example");
    SaveSetting(path, sms::keys::kSmsCommandType, 1);
    SaveSetting(path, sms::keys::kServiceNetwork, 2);
    SaveSetting(path, sms::keys::kOtherApn, "a*b#c)");
    SaveSetting(path, sms::keys::kDtuNumber, "TQ-GP000009");
    const sms::TGPRSInfo info = LoadSettings(path, [] { return std::string("9.9.9.9"); });
    EXPECT_EQ(info.nLanguageID, 3);
    EXPECT_EQ(info.ServerAddressMode, 1);
    EXPECT_EQ(info.Port, 99999);
    EXPECT_EQ(info.StaticIP, "1.2.3.4");
    EXPECT_EQ(info.DomainAddress, "\xe4\xb8\xad.example");
    EXPECT_EQ(info.SMSCommandType, 1);
    EXPECT_EQ(info.ServiceNetwork, 2);
    EXPECT_EQ(info.OtherAPN, "a*b#c)");
    EXPECT_EQ(info.DTUNumber, "TQ-GP000009");
}

TEST(SettingsTest, FailedSaveReportsTheSettingsPath) {
    TempDir dir;
    const std::string path = dir.File("no-such-folder/GPRSInfo.ini");
    try {
        SaveSetting(path, sms::keys::kPort, 6000);
        FAIL() << "the write succeeded";
    } catch (const ProfileWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
    }
}

// /proc/self/exe: ProgramPathWindowsTest checks the path GetModuleFileNameW gives.
#ifndef _WIN32
TEST(SettingsTest, SettingsPathIsBesideTheRunningProgram) {
    char self[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
    std::string expected(self);
    expected = expected.substr(0, expected.rfind('/') + 1) + "GPRSInfo.ini";
    EXPECT_EQ(SettingsPathBesideProgram(), expected);
}
#endif

}  // namespace
}  // namespace settings
