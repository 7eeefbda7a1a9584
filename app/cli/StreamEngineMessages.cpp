#include "app/cli/StreamEngineMessages.h"

#include <ostream>

namespace app {

void StreamEngineMessages::ShowMessage(const std::string& caption, const std::string& text) {
    stream_ << caption << ": " << text << '\n';
    stream_.flush();
}

}  // namespace app
