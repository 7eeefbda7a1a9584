#pragma once

// Where the localization engine's own messages ("Localization problem", "Error") go on the command
// line: one line each on a stream, standard error in the program.

#include <iosfwd>
#include <string>

#include "i18n/GnuGettextInstance.h"

namespace app {

// Writes "caption: text" and a line end to `stream`, flushed at once. `stream` must outlive the sink.
class StreamEngineMessages final : public i18n::MessageSink {
public:
    explicit StreamEngineMessages(std::ostream& stream) : stream_(stream) {}
    void ShowMessage(const std::string& caption, const std::string& text) override;

private:
    std::ostream& stream_;
};

}  // namespace app
