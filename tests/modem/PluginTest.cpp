// The plugin boundary: a program without Qt loads libdtusms_modem.so and sends through the fake
// modem, as the command line will.

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/cli/ModemPlugin.h"
#include "tests/modem/SerialTestSupport.h"
#include "tests/sms/TempDir.h"

namespace modem {
namespace {

using modem_test::DecodedParts;
using modem_test::FakeModem;
using modem_test::FastOptions;
using modem_test::Request;

using app::LoadModemTransport;

// The folder that holds the built plugin, as the program's own folder would.
std::vector<std::string> PluginFolder() {
    return {std::filesystem::path(DTUSMS_MODEM_PLUGIN).parent_path().string() + "/"};
}

bool QtLoaded() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find("libQt6Core") != std::string::npos) {
            return true;
        }
    }
    return false;
}

TEST(ModemPlugin, AProgramWithoutQtSendsThroughIt) {
    ASSERT_FALSE(QtLoaded()) << "this test must prove that the program itself needs no Qt";
    FakeModem fake;
    TransportOptions options = FastOptions({});
    std::vector<Stage> stages;
    options.onProgress = [&](const Progress& progress) { stages.push_back(progress.stage); };
    std::string error;
    const std::unique_ptr<SmsTransport> transport = LoadModemTransport(PluginFolder(), options, error);
    ASSERT_TRUE(transport) << error;
    EXPECT_TRUE(QtLoaded());

    const SendResult result = transport->Send(Request(fake.path(), "+8613800138000", "(A55A#s)"));
    ASSERT_EQ(result.error.kind, ErrorKind::None) << RenderMessage(result.error.message);
    EXPECT_EQ(result.references, std::vector<std::string>{"17"});
    const std::vector<sms::SubmitPdu> parts = DecodedParts(fake);
    ASSERT_EQ(parts.size(), 1U);
    EXPECT_EQ(parts[0].destination.number, "+8613800138000");
    EXPECT_EQ(parts[0].userData.text, "(A55A#s)");
    EXPECT_EQ(stages, (std::vector<Stage>{Stage::Opening, Stage::CheckingSim, Stage::Sending}));
    EXPECT_FALSE(transport->Log().empty());

    // A second transport from the same plugin shares its application object.
    const std::unique_ptr<SmsTransport> again = LoadModemTransport(PluginFolder(), options, error);
    ASSERT_TRUE(again) << error;
    EXPECT_EQ(again->Send(Request(fake.path(), "+8613800138000", "x")).references,
              std::vector<std::string>{"18"});
}

TEST(ModemPlugin, ALibraryThatIsNotThePluginIsRefused) {
    std::string error;
    EXPECT_FALSE(LoadModemTransport({"/nonexistent/"}, {}, error));
    EXPECT_NE(error.find("/nonexistent/libdtusms_modem.so"), std::string::npos) << error;

    // Another library under the plugin's name: loaded, but without the entry points.
    sms::testing::TempDir folder;
    std::filesystem::copy_file(DTUSMS_OTHER_LIBRARY, folder.File("libdtusms_modem.so"));
    EXPECT_FALSE(LoadModemTransport({folder.path().string() + "/"}, {}, error));
    EXPECT_NE(error.find("libdtusms_modem.so"), std::string::npos) << error;
    EXPECT_NE(error.find("dtusms_modem_create"), std::string::npos) << error;
}

}  // namespace
}  // namespace modem
