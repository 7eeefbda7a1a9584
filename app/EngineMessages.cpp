#include "app/EngineMessages.h"

#include <QString>

#include "app/MessageBoxes.h"

namespace app {

void WindowEngineMessages::ShowMessage(const std::string& caption, const std::string& text) {
    messages_.ShowMessage(nullptr, QString::fromStdString(caption), QString::fromStdString(text));
}

}  // namespace app
