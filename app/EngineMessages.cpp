#include "app/EngineMessages.h"

#include <iostream>

#include <QString>

#include "app/MessageBoxes.h"

namespace app {

void WindowEngineMessages::ShowMessage(const std::string& caption, const std::string& text) {
    messages_.ShowMessage(nullptr, QString::fromStdString(caption), QString::fromStdString(text));
}

void StreamEngineMessages::ShowMessage(const std::string& caption, const std::string& text) {
    std::cerr << caption << ": " << text << '\n';
    std::cerr.flush();
}

}  // namespace app
