#include "app/WindowApplication.h"

#include <exception>

#include <QIcon>

#include "app/ApplicationTitle.h"
#include "app/MessageBoxes.h"

namespace app {

WindowApplication::WindowApplication(int& argc, char** argv, MessagePresenter& messages)
    : QApplication(argc, argv), messages_(messages) {
    // The title is not made Qt's display name: Qt would append it to every window and box caption
    // ("Prompt — TQ-3VOVE SMS configuration tool"). Error boxes name it as their caption instead.
    setApplicationName(QStringLiteral("dtusms"));
    // Every window and box of the program shows the icon the package installs for it.
    setWindowIcon(QIcon(QStringLiteral(":/dtusms/window-icon.png")));
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
