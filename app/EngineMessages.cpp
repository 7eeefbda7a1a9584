#include "app/EngineMessages.h"

#include <iostream>

#include <QString>

#include "app/MessageBoxes.h"

namespace app {

void WindowEngineMessages::ShowMessage(const std::string& caption, const std::string& text) {
    messages_.ShowMessage(nullptr, QString::fromStdString(caption), QString::fromStdString(text));
}

StreamEngineMessages::StreamEngineMessages() : stream_(std::cerr) {}

void StreamEngineMessages::ShowMessage(const std::string& caption, const std::string& text) {
    stream_ << caption << ": " << text << '\n';
    stream_.flush();
}

}  // namespace app
