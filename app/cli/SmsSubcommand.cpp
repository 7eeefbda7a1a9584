// dtusms sms: prints the SMS command composed from the fields.

#include <ostream>

#include "app/cli/CliFields.h"
#include "app/cli/Subcommands.h"
#include "sms/SmsCommand.h"

namespace app {

int RunSms(const CliRequest& request, const CliOutput& output) {
    const sms::SmsCommandResult result = sms::GenerateSMSCommand(LoadFields(request, true));
    if (!result.ok) {
        output.err << sms::FormatValidationMessage(output.translate, result.failedLabel) << '\n';
        return kExitFailed;
    }
    output.out << result.command << '\n';
    return kExitDone;
}

}  // namespace app
