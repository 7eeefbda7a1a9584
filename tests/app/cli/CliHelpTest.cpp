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
              "  qr             draw the SMS as a QR code that a phone's camera opens as a message\n"
              "  send           send the SMS to the DTU through a GSM modem\n"
              "  batch          compose (and send) the SMS for every row of a CSV file\n"
              "  listen         show each DTU that connects to the server port\n"
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
              "\n"
              "Options of single commands:\n"
              "  --length                         sms: also print parts=, encoding=, units= and limit=\n"
              "                                   on standard error\n"
              "  --phone NUMBER                   qr, send: the DTU's phone number\n"
              "                                   (default: the one stored by the window)\n"
              "  --output FILE                    qr: a picture, FILE.png or FILE.svg (default: drawn\n"
              "                                   on the terminal); batch: the CSV written\n"
              "                                   (default: standard output)\n"
              "  --modem auto|mm|DEVICE           send, batch: the modem (default: auto)\n"
              "  --smsc NUMBER                    send, batch: service-centre number (default: the SIM's)\n"
              "  --wait-reply SECONDS             send, batch: wait for the DTU's reply, 1 to 86400\n"
              "  batch FILE.csv                   columns dtu, phone, type, mode, ip, domain, port, apn,\n"
              "                                   other_apn; an empty cell takes the settings file's field\n"
              "  --qr-dir DIR                     batch: a QR code picture per row in DIR\n"
              "  --send                           batch: send each row through the modem\n"
              "  --resume                         batch: keep the rows already sent in --output\n"
              "  --resend-doubtful                batch: with --resume, send again the rows that may\n"
              "                                   have been sent\n"
              "  --encoding utf-8|gb18030         batch: the file's encoding (default: UTF-8 when it is\n"
              "                                   valid UTF-8, else GB18030)\n"
              "  --quiet                          batch: no progress on standard error\n"
              "  --port N                         listen: the port, 1 to 65535 (default: the server port)\n"
              "  --bind ADDRESS                   listen: the local address (default: 0.0.0.0, every one)\n"
              "  --timeout SECONDS                listen: stop after this long\n"
              "  --count N                        listen: stop after N connections\n"
              "Both \"--option value\" and \"--option=value\" are accepted.\n"
              "\n"
              "Exit status: 0 done, 1 missing field or failed check, 2 bad option.\n"
              "send, batch and listen also exit with 1 when the modem or a row failed, no reply\n"
              "came in time, or no DTU connected.\n");
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
