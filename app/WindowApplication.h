#pragma once

// The QApplication of the window program. It is the last line of defence that keeps an exception
// from crossing Qt's event loop: the window's handlers catch their own errors (RunHandler), and
// anything that still escapes an event is shown in an error box here, after which the program goes
// on.

#include <QApplication>

namespace app {

class MessagePresenter;

class WindowApplication final : public QApplication {
    Q_OBJECT

public:
    // `messages` must outlive the application.
    WindowApplication(int& argc, char** argv, MessagePresenter& messages);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    MessagePresenter& messages_;
};

}  // namespace app
