#pragma once

// Where the localization engine's own messages ("Localization problem", "Error") go in the window
// program: a message box without owner (the command line's sink is app/cli/StreamEngineMessages.h).

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

}  // namespace app
