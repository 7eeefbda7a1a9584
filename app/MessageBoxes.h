#pragma once

// How the window speaks to the user outside its controls: the prompt box (information icon, one OK
// button), the error box (critical icon, one OK button) and the system's default beep. All of them go
// through a MessagePresenter, so that tests record them instead of blocking on a modal loop.

#include <exception>

#include <QString>

class QWidget;

namespace app {

class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    // A modal information box owned by `owner` with one OK button; returns when it is closed.
    virtual void ShowPrompt(QWidget* owner, const QString& caption, const QString& text) = 0;
    // A modal error box owned by `owner` with one OK button; returns when it is closed.
    virtual void ShowError(QWidget* owner, const QString& caption, const QString& text) = 0;
    // A modal box without icon, with one OK button; `owner` may be nullptr. Used for the localization
    // engine's messages. Shown as an error box unless a presenter has a plainer one.
    virtual void ShowMessage(QWidget* owner, const QString& caption, const QString& text) {
        ShowError(owner, caption, text);
    }
    // The system's default beep, for a key that a field refuses; returns at once.
    virtual void Beep() = 0;
};

// Shows real QMessageBox dialogs, their texts as plain text (never read as markup), and sounds
// QApplication::beep.
class QMessageBoxPresenter final : public MessagePresenter {
public:
    void ShowPrompt(QWidget* owner, const QString& caption, const QString& text) override;
    void ShowError(QWidget* owner, const QString& caption, const QString& text) override;
    void ShowMessage(QWidget* owner, const QString& caption, const QString& text) override;
    void Beep() override;
};

// The text of the error box for `error`: its message (UTF-8 what() of a std::exception, a fixed text
// for anything else), followed by "." when its last character comes after "." in character order.
QString ErrorBoxText(const std::exception_ptr& error);
QString ErrorBoxText(const QString& message);

}  // namespace app
