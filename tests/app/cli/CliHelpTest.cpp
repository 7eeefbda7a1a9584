#include "app/cli/CliHelp.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace app {
namespace {

TEST(CliHelpTest, TheAssembledHelpIsTheHelpTextByteForByte) {
    EXPECT_EQ(EnglishHelpText(),
              "Usage: dtusms [COMMAND] [OPTIONS]\n"
              "Composes the configuration SMS for a TQ-3VOVE DTU and checks the server side.\n"
              "Without a command the window opens.\n"
              "\n"
              "Commands:\n"
              "  sms            print the SMS command\n"
              "  check-port     test a TCP connection to the server address and port\n"
              "  judge-mapping  tell whether the server needs port mapping in its router\n"
              "  wan-ip         print this computer's public address\n"
              "\n"
              "Options (fields are read from the settings file; each option replaces one):\n"
              "  --settings FILE                  settings file (default: GPRSInfo.ini beside the program)\n"
              "  --lang CODE                      language of the messages: en, zh_cn, zh_tw, ... or \"\"\n"
              "                                   for automatic (default: the window's choice in the file)\n"
              "  --type config|query              SMS command type\n"
              "  --mode static|domain             server address mode\n"
              "  --ip TEXT                        static IP\n"
              "  --domain TEXT                    domain address\n"
              "  --port N                         server port, 1000 to 99999\n"
              "  --apn cmnet|cmwap|uninet|other   service network (APN)\n"
              "  --other-apn TEXT                 APN used with --apn other\n"
              "  --dtu TEXT                       DTU number\n"
              "  --help                           show this help\n"
              "  --version                        show the version\n"
              "Both \"--option value\" and \"--option=value\" are accepted.\n"
              "\n"
              "Exit status: 0 done, 1 missing field or failed check, 2 bad option.\n");
}

TEST(CliHelpTest, TheHelpIsTranslatedAsOneMessage) {
    std::vector<std::string> asked;
    const std::string help = HelpText([&asked](const std::string& english) {
        asked.push_back(english);
        return std::string("translated");
    });
    EXPECT_EQ(help, "translated");
    EXPECT_EQ(asked, std::vector<std::string>{EnglishHelpText()});
    EXPECT_EQ(HelpText({}), EnglishHelpText());
}

}  // namespace
}  // namespace app
