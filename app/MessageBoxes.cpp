#include "app/MessageBoxes.h"

#include <stdexcept>

#include <QMessageBox>

#include "app/Translate.h"
#include "base/ErrorText.h"

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
    return ErrorBoxText(Translate("An unexpected error occurred"));
}

}  // namespace app
