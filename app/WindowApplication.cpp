#include "app/WindowApplication.h"

#include <exception>

#include "app/ApplicationTitle.h"
#include "app/MessageBoxes.h"

namespace app {

WindowApplication::WindowApplication(int& argc, char** argv, MessagePresenter& messages)
    : QApplication(argc, argv), messages_(messages) {
    setApplicationName(QStringLiteral("dtusms"));
    setApplicationDisplayName(QString::fromUtf8(kApplicationTitle));
}

bool WindowApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        try {
            messages_.ShowError(activeWindow(), QString::fromUtf8(kApplicationTitle), ErrorBoxText(error));
        } catch (...) {
            // The box itself could not be shown; the event is dropped and the program goes on.
        }
        return false;
    }
}

}  // namespace app
