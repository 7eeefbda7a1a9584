#pragma once

// Where the localization engine's own messages ("Localization problem", "Error") go: a message box
// without owner in the window program, a line on standard error on the command line.

#include <string>

#include "i18n/GnuGettextInstance.h"

namespace app {

class MessagePresenter;

// Shows each message through `messages`' ShowMessage, without owner window. `messages` must outlive
// the sink.
class WindowEngineMessages final : public i18n::MessageSink {
public:
    explicit WindowEngineMessages(MessagePresenter& messages) : messages_(messages) {}
    void ShowMessage(const std::string& caption, const std::string& text) override;

private:
    MessagePresenter& messages_;
};

// Writes "caption: text" and a line end to standard error.
class StreamEngineMessages final : public i18n::MessageSink {
public:
    void ShowMessage(const std::string& caption, const std::string& text) override;
};

}  // namespace app
