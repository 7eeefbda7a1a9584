#include "app/cli/CliOptions.h"

#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

namespace app {
namespace {

using Args = std::vector<std::string>;

CliRequest Parsed(const Args& args) {
    const CliParseResult result = ParseCommandLine(args);
    if (const auto* error = std::get_if<CliUsageError>(&result)) {
        ADD_FAILURE() << "usage error: " << base::FillPlaceholders(error->format, error->arguments);
        return {};
    }
    return std::get<CliRequest>(result);
}

std::string UsageError(const Args& args) {
    const CliParseResult result = ParseCommandLine(args);
    const auto* error = std::get_if<CliUsageError>(&result);
    return error ? base::FillPlaceholders(error->format, error->arguments) : "(parsed)";
}

TEST(CliOptionsTest, ChoosesTheCommand) {
    const struct {
        Args args;
        CliCommand expected;
    } rows[] = {
        {{}, CliCommand::Help},
        {{"--help"}, CliCommand::Help},
        {{"-h"}, CliCommand::Help},
        {{"sms", "--help"}, CliCommand::Help},
        {{"--version"}, CliCommand::Version},
        {{"--help", "--version"}, CliCommand::Help},
        {{"sms"}, CliCommand::Sms},
        {{"check-port"}, CliCommand::CheckPort},
        {{"judge-mapping"}, CliCommand::JudgeMapping},
        {{"wan-ip"}, CliCommand::WanIp},
        {{"--port", "8000", "sms"}, CliCommand::Sms},
        {{"qr"}, CliCommand::Qr},
        {{"send", "--phone", "1234"}, CliCommand::Send},
        {{"batch", "a.csv"}, CliCommand::Batch},
        {{"listen"}, CliCommand::Listen},
        {{"batch", "--help"}, CliCommand::Help},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Parsed(row.args).command, row.expected);
    }
}

TEST(CliOptionsTest, ReadsEveryFieldFlagInBothForms) {
    const CliRequest spaced =
        Parsed({"sms", "--settings", "/x/a.ini", "--type", "query", "--mode", "domain", "--ip", " 1.2.3.4 ",
                "--domain", "host", "--port", "8000", "--apn", "other", "--other-apn", "-apn-", "--dtu", ""});
    const CliRequest joined =
        Parsed({"sms", "--settings=/x/a.ini", "--type=QUERY", "--mode=Domain", "--ip= 1.2.3.4 ",
                "--domain=host", "--port=8000", "--apn=OTHER", "--other-apn=-apn-", "--dtu="});
    for (const CliRequest& request : {spaced, joined}) {
        EXPECT_EQ(request.settingsPath, "/x/a.ini");
        EXPECT_EQ(request.fields.smsCommandType, 1);
        EXPECT_EQ(request.fields.serverAddressMode, 1);
        EXPECT_EQ(request.fields.staticIp, " 1.2.3.4 ");
        EXPECT_EQ(request.fields.domainAddress, "host");
        EXPECT_EQ(request.fields.port, 8000);
        EXPECT_EQ(request.fields.serviceNetwork, 3);
        EXPECT_EQ(request.fields.otherApn, "-apn-");
        EXPECT_EQ(request.fields.dtuNumber, "");
    }
    const CliRequest bare = Parsed({"sms"});
    EXPECT_FALSE(bare.settingsPath.has_value());
    EXPECT_FALSE(bare.fields.port.has_value());
    EXPECT_FALSE(bare.fields.staticIp.has_value());
    EXPECT_EQ(Parsed({"sms", "--apn", "cmwap", "--apn", "uninet", "--ip=a=b"}).fields.serviceNetwork, 2);
    EXPECT_EQ(Parsed({"sms", "--ip=a=b"}).fields.staticIp, "a=b");
}

TEST(CliOptionsTest, PortAcceptsOnlyTheFieldRange) {
    EXPECT_EQ(Parsed({"sms", "--port", "1000"}).fields.port, 1000);
    EXPECT_EQ(Parsed({"sms", "--port", "99999"}).fields.port, 99999);
    EXPECT_EQ(Parsed({"sms", "--port", "06000"}).fields.port, 6000);
    for (const char* bad : {"999", "100000", "0", "-6000", "+6000", "abc", "", "6000x", " 6000", "1e4",
                            "99999999999999999999"}) {
        EXPECT_EQ(UsageError({"sms", "--port", bad}),
                  "--port: \"" + std::string(bad) + "\" is not a number from 1000 to 99999");
    }
}

TEST(CliOptionsTest, NamesTheFlagAndWhatItAccepts) {
    const struct {
        Args args;
        std::string expected;
    } rows[] = {
        {{"sms", "--mode", "dynamic"}, "--mode: \"dynamic\" is not one of static|domain"},
        {{"sms", "--apn=cmnet2"}, "--apn: \"cmnet2\" is not one of cmnet|cmwap|uninet|other"},
        {{"sms", "--type", ""}, "--type: \"\" is not one of config|query"},
        {{"sms", "--mode"}, "--mode needs a value, one of static|domain"},
        {{"sms", "--port"}, "--port needs a value, a number from 1000 to 99999"},
        {{"sms", "--dtu"}, "--dtu needs a value"},
        {{"sms", "--settings"}, "--settings needs a file name"},
        {{"sms", "--settings="}, "--settings needs a file name"},
        {{"sms", "--bogus"}, "unknown option \"--bogus\""},
        {{"sms", "-x"}, "unknown option \"-x\""},
        {{"sms", "--bogus=1"}, "unknown option \"--bogus\""},
        {{"--help=yes"}, "--help takes no value"},
        {{"sned"},
         "unknown command \"sned\"; expected sms, check-port, judge-mapping, wan-ip, qr, send, batch or "
         "listen"},
        {{"sms", "extra"}, "unexpected argument \"extra\""},
        {{"--port", "8000"},
         "no command given; expected sms, check-port, judge-mapping, wan-ip, qr, send, batch or listen"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(UsageError(row.args), row.expected);
    }
}

TEST(CliOptionsTest, ReadsTheOptionsOfQrSendBatchAndListen) {
    const CliRequest sms = Parsed({"sms", "--length"});
    EXPECT_TRUE(sms.showLength);
    EXPECT_FALSE(Parsed({"sms"}).showLength);

    const CliRequest qr = Parsed({"qr", "--phone", "+86 138", "--output=code.SVG"});
    EXPECT_EQ(qr.phone, "+86 138");
    EXPECT_EQ(qr.outputPath, "code.SVG");

    const CliRequest send = Parsed({"send", "--phone=abc", "--modem", "/dev/ttyUSB2", "--smsc",
                                    "+8613800100500", "--wait-reply", "60", "--dtu", "TQ-1"});
    EXPECT_EQ(send.phone, "abc");  // checked by the command, which names the field
    EXPECT_EQ(send.modem.modem, "/dev/ttyUSB2");
    EXPECT_EQ(send.modem.smsc, "+8613800100500");
    EXPECT_EQ(Parsed({"send", "--smsc", "+86 138 0010-0500"}).modem.smsc, "+8613800100500") << "as dialled";
    EXPECT_EQ(send.modem.waitReplySeconds, 60);
    EXPECT_EQ(send.fields.dtuNumber, "TQ-1");
    EXPECT_EQ(Parsed({"send"}).modem.modem, "auto");
    EXPECT_FALSE(Parsed({"send"}).modem.waitReplySeconds.has_value());
    EXPECT_EQ(Parsed({"send", "--gateway-listen=[::1]:8800"}).modem.gatewayListen, "[::1]:8800");

    const CliRequest batch =
        Parsed({"batch", "--send", "fleet.csv", "--output", "out.csv", "--qr-dir", "codes", "--resume",
                "--encoding", "GBK", "--quiet", "--modem=mm", "--wait-reply=5"});
    EXPECT_EQ(batch.batch.inputPath, "fleet.csv");
    EXPECT_EQ(batch.outputPath, "out.csv");
    EXPECT_EQ(batch.batch.qrDirectory, "codes");
    EXPECT_TRUE(batch.batch.send);
    EXPECT_TRUE(batch.batch.resume);
    EXPECT_TRUE(batch.batch.quiet);
    EXPECT_EQ(batch.batch.encoding, fleet::EncodingChoice::Gb18030);
    EXPECT_EQ(batch.modem.modem, "mm");
    const CliRequest pool = Parsed(
        {"batch", "f.csv", "--send", "--modem", "/dev/ttyUSB0,/dev/ttyUSB1", "--modem=mm", "--rate", "6"});
    EXPECT_EQ(pool.modem.modems, (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyUSB1", "mm"}));
    EXPECT_EQ(pool.modem.ratePerMinute, 6);
    // send keeps the last modem given, as it always did, and splits nothing.
    EXPECT_EQ(Parsed({"send", "--modem", "/dev/ttyUSB0", "--modem", "/dev/ttyUSB0"}).modem.modem,
              "/dev/ttyUSB0");
    EXPECT_EQ(Parsed({"send", "--modem", "a", "--modem", "b,c"}).modem.modem, "b,c");
    EXPECT_EQ(Parsed({"batch", "-"}).batch.inputPath, "-");
    EXPECT_EQ(Parsed({"batch", "x.csv"}).batch.encoding, fleet::EncodingChoice::Detect);

    // listen reads --port as its own port, with the whole TCP range.
    const CliRequest listen =
        Parsed({"listen", "--port", "80", "--bind", "127.0.0.1", "--timeout", "30", "--count=2"});
    EXPECT_EQ(listen.listen.port, 80);
    EXPECT_FALSE(listen.fields.port.has_value());
    EXPECT_EQ(listen.listen.bindAddress, "127.0.0.1");
    EXPECT_EQ(listen.listen.timeoutSeconds, 30);
    EXPECT_EQ(listen.listen.count, 2);
    EXPECT_EQ(Parsed({"--port", "65535", "listen"}).listen.port, 65535);
    EXPECT_EQ(Parsed({"listen"}).listen.bindAddress, "0.0.0.0");
}

TEST(CliOptionsTest, RefusesOptionsOutsideTheirCommandsAndValuesOutsideTheirRange) {
    const struct {
        Args args;
        std::string expected;
    } rows[] = {
        {{"sms", "--phone", "123"}, "--phone does not apply to sms"},
        {{"check-port", "--length"}, "--length does not apply to check-port"},
        {{"qr", "--send"}, "--send does not apply to qr"},
        {{"batch", "a.csv", "--dtu", "x"}, "--dtu does not apply to batch"},
        {{"listen", "--ip", "1.2.3.4"}, "--ip does not apply to listen"},
        {{"--phone", "1", "wan-ip"}, "--phone does not apply to wan-ip"},
        {{"sms", "--length=yes"}, "--length takes no value"},
        {{"batch", "a.csv", "--send=1"}, "--send takes no value"},
        {{"qr", "--output", "code.jpg"}, "--output: \"code.jpg\" must end in .png or .svg"},
        {{"qr", "--output", "png"}, "--output: \"png\" must end in .png or .svg"},
        {{"qr", "--output="}, "--output needs a file name"},
        {{"send", "--smsc", "+86 12a"}, "--smsc: \"+86 12a\" is not a phone number"},
        {{"send", "--wait-reply", "0"}, "--wait-reply: \"0\" is not a number from 1 to 86400"},
        {{"send", "--wait-reply", "1.5"}, "--wait-reply: \"1.5\" is not a number from 1 to 86400"},
        {{"send", "--wait-reply"}, "--wait-reply needs a value"},
        {{"send", "--modem="}, "--modem needs a value"},
        {{"send", "--gateway-listen", "localhost:8800"},
         "--gateway-listen: \"localhost:8800\" is not ADDRESS:PORT (a numeric address, IPv6 in brackets)"},
        {{"send", "--gateway-listen", "::1:8800"},
         "--gateway-listen: \"::1:8800\" is not ADDRESS:PORT (a numeric address, IPv6 in brackets)"},
        {{"batch", "a.csv", "--gateway-listen", "127.0.0.1:8800"}, "--gateway-listen needs --send"},
        {{"batch"}, "batch needs a CSV file"},
        {{"batch", "a.csv", "b.csv"}, "unexpected argument \"b.csv\""},
        {{"batch", "a.csv", "--resume", "--send"}, "--resume needs --output"},
        {{"batch", "-", "--resume", "--output", "o.csv"}, "--resume needs a file, not standard input"},
        {{"batch", "a.csv", "--wait-reply", "9"}, "--wait-reply needs --send"},
        {{"batch", "a.csv", "--modem", "mm"}, "--modem needs --send"},
        {{"batch", "a.csv", "--rate", "5"}, "--rate needs --send"},
        {{"batch", "a.csv", "--send", "--rate", "0"}, "--rate: \"0\" is not a number from 1 to 6000"},
        {{"send", "--rate", "5"}, "--rate does not apply to send"},
        {{"batch", "a.csv", "--send", "--modem", "a,", "--modem", "b"},
         "--modem: \"a,\" names an empty modem"},
        {{"batch", "a.csv", "--send", "--modem", "a,b", "--modem", "a"}, "--modem: a is named twice"},
        {{"batch", "a.csv", "--send", "--modem", "all,a"},
         "--modem: all stands alone, for every modem found"},
        {{"batch", "a.csv", "--send", "--output", "o.csv", "--resend-doubtful"},
         "--resend-doubtful needs --resume"},
        {{"batch", "a.csv", "--resume", "--output", "o.csv", "--resend-doubtful"},
         "--resend-doubtful needs --send"},
        {{"sms", "--resend-doubtful"}, "--resend-doubtful does not apply to sms"},
        {{"batch", "a.csv", "--encoding", "latin1"}, "--encoding: \"latin1\" is not one of utf-8|gb18030"},
        {{"batch", "a.csv", "--encoding"}, "--encoding needs a value, one of utf-8|gb18030"},
        {{"batch", "a.csv", "--qr-dir"}, "--qr-dir needs a folder name"},
        {{"listen", "--port", "0"}, "--port: \"0\" is not a number from 1 to 65535"},
        {{"listen", "--port", "65536"}, "--port: \"65536\" is not a number from 1 to 65535"},
        {{"sms", "--port", "70000x"}, "--port: \"70000x\" is not a number from 1000 to 99999"},
        {{"listen", "--timeout", "-1"}, "--timeout: \"-1\" is not a number from 1 to 604800"},
        {{"listen", "--count", "0"}, "--count: \"0\" is not a number from 1 to 1000000"},
        {{"listen", "--bind"}, "--bind needs a value"},
        {{"listen", "--output", "board.csv"}, "--output needs --fleet"},
        {{"listen", "--fleet"}, "--fleet needs a file name"},
        {{"batch", "a.csv", "--fleet", "f.csv"}, "--fleet does not apply to batch"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(UsageError(row.args), row.expected) << row.args.front();
    }
}

TEST(CliOptionsTest, AnOptionNeverTakesTheNextOptionAsItsValue) {
    const struct {
        Args args;
        std::string expected;
    } rows[] = {
        {{"sms", "--dtu", "--length"}, "--dtu needs a value"},
        {{"sms", "--port", "--settings", "f"}, "--port needs a value, a number from 1000 to 99999"},
        {{"sms", "--settings", "--dtu", "x"}, "--settings needs a file name"},
        {{"sms", "--lang", "--help"},
         "--lang needs a language code such as en, zh_cn or zh_tw (\"\" for automatic)"},
        {{"send", "--phone", "--dtu", "x"}, "--phone needs a value"},
        {{"batch", "a.csv", "--output", "--send"}, "--output needs a file name"},
        {{"batch", "a.csv", "--encoding", "--quiet"}, "--encoding needs a value, one of utf-8|gb18030"},
        {{"listen", "--bind", "--count", "1"}, "--bind needs a value"},
        {{"listen", "--bind", "999.1.1.1"}, "--bind: \"999.1.1.1\" is no numeric IPv4 or IPv6 address"},
        {{"listen", "--bind=localhost"}, "--bind: \"localhost\" is no numeric IPv4 or IPv6 address"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(UsageError(row.args), row.expected) << row.args[1];
    }
    // Written inline, a value may begin with "--"; a lone "-" or "-x" is a value like any other.
    EXPECT_EQ(Parsed({"sms", "--dtu=--x"}).fields.dtuNumber, "--x");
    EXPECT_EQ(Parsed({"sms", "--dtu", "-"}).fields.dtuNumber, "-");
    EXPECT_EQ(Parsed({"sms", "--other-apn", "-apn"}).fields.otherApn, "-apn");
    EXPECT_EQ(Parsed({"batch", "--output", "-", "-"}).outputPath, "-");
    EXPECT_EQ(Parsed({"listen", "--bind", "::1"}).listen.bindAddress, "::1");
}

TEST(CliOptionsTest, FieldValuesReadTheSameFromFlagsAndCells) {
    const struct {
        FieldName field;
        std::string value;
        bool accepted;
        std::string accepts;  // the choices named when refused
    } rows[] = {
        {FieldName::Type, "Query", true, ""},   {FieldName::Type, "q", false, "config|query"},
        {FieldName::Mode, "DOMAIN", true, ""},  {FieldName::Mode, "", false, "static|domain"},
        {FieldName::Apn, "uniNet", true, ""},   {FieldName::Apn, "cmnet ", false, "cmnet|cmwap|uninet|other"},
        {FieldName::Port, "99999", true, ""},   {FieldName::Port, "999", false, ""},
        {FieldName::Port, "6000.0", false, ""}, {FieldName::Ip, "any text", true, ""},
        {FieldName::Dtu, "", true, ""},
    };
    for (const auto& row : rows) {
        CliFieldOverrides fields;
        const std::optional<FieldValueError> error = ApplyFieldValue(row.field, row.value, fields);
        EXPECT_EQ(!error.has_value(), row.accepted) << row.value;
        if (error) {
            EXPECT_EQ(error->accepted, row.accepts) << row.value;
            EXPECT_EQ(error->kind == FieldValueError::Kind::NotAPort, row.field == FieldName::Port)
                << row.value;
        }
    }
}

}  // namespace
}  // namespace app
