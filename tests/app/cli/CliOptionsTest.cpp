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
        {{"send"}, "unknown command \"send\"; expected sms, check-port, judge-mapping or wan-ip"},
        {{"sms", "extra"}, "unexpected argument \"extra\""},
        {{"--port", "8000"}, "no command given; expected sms, check-port, judge-mapping or wan-ip"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(UsageError(row.args), row.expected);
    }
}

}  // namespace
}  // namespace app
