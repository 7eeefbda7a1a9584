// Takes the README's picture of the "Send SMS" dialog: the real window and dialog after a send through
// the fake modem of the tests (a pseudo-terminal, so no modem is needed), with the DTU's reply and
// the log shown.
//
// Usage: dtusms_send_dialog_shot --settings FILE --output FILE.png
// The settings file gives the fields, the DTU phone number and the language (nLanguageID). Exit 0
// when the picture is saved, 1 when it is not, 2 for bad arguments.

#include <cstdio>
#include <string>

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "app/EngineMessages.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "app/SendSmsDialog.h"
#include "base/ProgramPath.h"
#include "i18n/EngineStartup.h"
#include "i18n/qt/BuiltInTextTranslator.h"
#include "settings/Settings.h"
#include "sms/PhoneNumber.h"
#include "tests/modem/FakeModem.h"

namespace {

// Nothing in the picture's run asks the user anything; a box would only block it.
class ConsolePresenter final : public app::MessagePresenter {
public:
    void ShowPrompt(QWidget*, const QString& caption, const QString& text) override { Print(caption, text); }
    void ShowError(QWidget*, const QString& caption, const QString& text) override { Print(caption, text); }
    void Beep() override {}

private:
    static void Print(const QString& caption, const QString& text) {
        std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
    }
};

int Shoot(const std::string& settings, const QString& output) {
    ConsolePresenter messages;
    app::WindowEngineMessages engineMessages(messages);
    const i18n::EngineSession engine(base::ProgramFilePath(), i18n::SystemLocaleSource(), engineMessages);
    i18n::qt::InstallBuiltInTextTranslator();
    app::Ttntfrm_Main window(messages, settings);
    window.show();

    const sms::TGPRSInfo fields = settings::LoadSettings(settings, {});
    modem_test::FakeModem fake;
    const std::string dtu = sms::NormalizePhoneNumber(fields.DTUPhoneNumber).value_or("+8613800138000");
    fake.AddDelivery(modem_test::DeliverPdu(dtu, "OK"), 300, 1);
    modem::TransportOptions options;
    options.useModemManager = false;
    options.candidatePorts = {fake.path()};

    auto* dialog = new app::SendSmsDialog(messages, settings, options, &window);
    dialog->Open(fields);
    dialog->findChild<QPushButton*>(QStringLiteral("tntbtn_SearchModems"))->click();
    if (!QTest::qWaitFor([dialog] { return !dialog->Busy(); }, 20000)) {
        std::fprintf(stderr, "dtusms_send_dialog_shot: the search for the fake modem did not end\n");
        return 1;
    }
    // The automatic choice, which finds the fake modem as it would find a USB stick.
    dialog->findChild<QPushButton*>(QStringLiteral("tntbtn_Send"))->click();
    if (!QTest::qWaitFor([dialog] { return !dialog->Busy(); }, 20000)) {
        std::fprintf(stderr, "dtusms_send_dialog_shot: the send did not end\n");
        return 1;
    }
    dialog->findChild<QPushButton*>(QStringLiteral("tntbtn_Details"))->click();
    // Lets the dialog take its new size and paint before it is grabbed.
    QTest::qWait(300);
    if (!dialog->grab().save(output)) {
        std::fprintf(stderr, "dtusms_send_dialog_shot: cannot save %s\n", output.toUtf8().constData());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const qsizetype settings = arguments.indexOf(QStringLiteral("--settings"));
    const qsizetype output = arguments.indexOf(QStringLiteral("--output"));
    if (settings < 0 || output < 0 || settings + 1 >= arguments.size() || output + 1 >= arguments.size()) {
        std::fprintf(stderr, "usage: dtusms_send_dialog_shot --settings FILE --output FILE.png\n");
        return 2;
    }
    return Shoot(arguments[settings + 1].toStdString(), arguments[output + 1]);
}
