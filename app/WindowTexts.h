#pragma once

// The running localization engine's translation in the two shapes the window's code needs: a
// function for the text builders that take one, and a QString for the widgets.

#include <string>
#include <string_view>

#include <QString>

#include "i18n/EngineStartup.h"

namespace app {

inline std::string Translated(const std::string& english) {
    return i18n::Translate(english);
}

inline QString Tr(std::string_view english) {
    return QString::fromStdString(i18n::Translate(english));
}

}  // namespace app
