// dtusms judge-mapping: prints whether the server needs port mapping in its router.

#include <ostream>

#include "app/cli/CliFields.h"
#include "app/cli/Subcommands.h"
#include "net/ServerChecks.h"

namespace app {

int RunJudgeMapping(const CliRequest& request, const CliOutput& output) {
    const net::MappingResult result =
        net::JudgePortMapping(TargetOf(LoadFields(request, true)), output.translate);
    if (result.missingField) {
        output.err << MissingFieldMessage(output, *result.missingField) << '\n';
        return kExitFailed;
    }
    output.out << result.verdictText << '\n';
    return kExitDone;
}

}  // namespace app
