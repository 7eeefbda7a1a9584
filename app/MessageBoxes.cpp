#include "app/MessageBoxes.h"

#include <stdexcept>

#include <QApplication>
#include <QMessageBox>

#include "i18n/qt/QtObjectAccess.h"

namespace app {

namespace {

void ShowBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption, const QString& text) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

}  // namespace

void QMessageBoxPresenter::ShowPrompt(QWidget* owner, const QString& caption, const QString& text) {
    ShowBox(owner, QMessageBox::Information, caption, text);
}

void QMessageBoxPresenter::ShowError(QWidget* owner, const QString& caption, const QString& text) {
    ShowBox(owner, QMessageBox::Critical, caption, text);
}

void QMessageBoxPresenter::ShowMessage(QWidget* owner, const QString& caption, const QString& text) {
    ShowBox(owner, QMessageBox::NoIcon, caption, text);
}

void QMessageBoxPresenter::Beep() {
    QApplication::beep();
}

QString ErrorBoxText(const QString& message) {
    // A sentence that already ends in punctuation such as "!" or ")" sorts before "." and keeps its
    // own ending; one that ends in a letter or digit gets a full stop.
    if (!message.isEmpty() && message.back() > QChar(u'.')) {
        return message + u'.';
    }
    return message;
}

QString ErrorBoxText(const std::exception_ptr& error) {
    try {
        if (error) {
            std::rethrow_exception(error);
        }
    } catch (const std::exception& e) {
        return ErrorBoxText(QString::fromUtf8(e.what()));
    } catch (...) {
    }
    return ErrorBoxText(i18n::qt::Translate(QStringLiteral("An unexpected error occurred")));
}

}  // namespace app
