#include "sms/SmsLengthLine.h"

#include "base/Placeholders.h"

namespace sms {

std::string LengthLine(const SmsLength& length, const base::TranslateFn& translate) {
    if (length.parts <= 1) {
        return base::FillPlaceholders(base::TranslateOrKeep(translate, std::string(kLengthOnePart)),
                                      {length.units, length.limit});
    }
    return base::FillPlaceholders(base::TranslateOrKeep(translate, std::string(kLengthParts)),
                                  {length.parts, length.units, length.limit});
}

}  // namespace sms
