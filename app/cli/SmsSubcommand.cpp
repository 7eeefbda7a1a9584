// dtusms sms: prints the SMS command composed from the fields; with --length also its length on
// standard error, as the network will carry it.

#include <ostream>

#include "app/cli/CliFields.h"
#include "app/cli/Subcommands.h"
#include "sms/SmsCommand.h"
#include "sms/SmsLength.h"

namespace app {

int RunSms(const CliRequest& request, const CliOutput& output) {
    const sms::SmsCommandResult result = sms::GenerateSMSCommand(LoadFields(request, true));
    if (!result.ok) {
        output.err << MissingFieldMessage(output, result.failedLabel) << '\n';
        return kExitFailed;
    }
    output.out << result.command << '\n';
    if (request.showLength) {
        // The command goes out first, so that a reader of both streams sees the length after it.
        output.out.flush();
        output.err << sms::FormatSmsLength(sms::MeasureSms(result.command)) << '\n';
    }
    return kExitDone;
}

}  // namespace app
