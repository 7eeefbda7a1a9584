#include "app/MessageBoxes.h"

#include <stdexcept>

#include <QApplication>
#include <QMessageBox>

#include "base/ErrorText.h"
#include "i18n/qt/QtObjectAccess.h"

namespace app {

namespace {

void ShowBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption, const QString& text) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    // Texts hold what the user typed or a server sent; "<b>x</b>" is shown as typed, not as markup.
    box.setTextFormat(Qt::PlainText);
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
    return QString::fromStdString(base::WithFullStop(message.toStdString()));
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
