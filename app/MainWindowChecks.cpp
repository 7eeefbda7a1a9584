// The three server checks of the main window. They run on the window's thread and let window events
// be handled while they wait, so the window stays responsive; a second check asked for meanwhile is
// ignored, and closing the window stops the one in progress without showing anything.

#include "app/MainWindow.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>

#include "app/MessageBoxes.h"
#include "app/PortSpinEdit.h"
#include "i18n/EngineStartup.h"
#include "i18n/qt/QtObjectAccess.h"
#include "net/ServerChecks.h"
#include "net/WanAddress.h"

namespace app {

net::ServerTarget Ttntfrm_Main::ServerAddressFields() const {
    net::ServerTarget target;
    target.mode = tntcomb_ServerNetMode->currentIndex();
    target.staticIp = tntedt_StaticIP->text().toStdString();
    target.domain = tntedt_DomainAddress->text().toStdString();
    return target;
}

net::EventPump Ttntfrm_Main::WindowPump() {
    return [this] {
        QCoreApplication::processEvents();
        return !closed_;
    };
}

void Ttntfrm_Main::tntbtn_TestServerPortClick() {
    if (checkRunning_) {
        return;
    }
    const QScopedValueRollback running(checkRunning_, true);
    // The caption is taken in the language of the click; a language chosen while the check lets
    // events through shows in the texts that come after it.
    const QString caption = i18n::qt::Translate(QStringLiteral("Prompt"));
    net::ServerTarget target = ServerAddressFields();
    target.port = rzspnedt_Port->Value();
    const net::PortTestResult result = net::RunServerPortTest(
        target, i18n::Translate,
        [this](const std::string& status) { tntstsbr_StatusPanel->setText(QString::fromStdString(status)); },
        WindowPump(), resolver_);
    if (result.abandoned || closed_) {
        return;
    }
    if (result.missingField) {
        ShowValidationPrompt(*result.missingField, caption);
        return;
    }
    const QString outcome = QString::fromStdString(result.outcomeText);
    tntstsbr_StatusPanel->setText(outcome);
    messages_.ShowPrompt(this, caption, outcome);
}

void Ttntfrm_Main::tntbtn_JudgeMapingClick() {
    if (checkRunning_) {
        return;
    }
    const QScopedValueRollback running(checkRunning_, true);
    const QString caption = i18n::qt::Translate(QStringLiteral("Prompt"));
    const net::MappingResult result =
        net::JudgePortMapping(ServerAddressFields(), i18n::Translate, WindowPump(), resolver_);
    if (result.abandoned || closed_) {
        return;
    }
    if (result.missingField) {
        ShowValidationPrompt(*result.missingField, caption);
        return;
    }
    messages_.ShowPrompt(this, caption, QString::fromStdString(result.verdictText));
}

void Ttntfrm_Main::tntbtn_StaticIPClick() {
    if (checkRunning_) {
        return;
    }
    const QScopedValueRollback running(checkRunning_, true);
    std::string address;
    try {
        address = net::GetWanIP(WindowPump());
    } catch (const net::WanRequestAbandoned&) {
        return;
    } catch (const net::WanRequestError&) {
        // Nobody is left to read an error box once the window is closed.
        if (closed_) {
            return;
        }
        throw;
    }
    if (closed_) {
        return;
    }
    // The field's change handler saves the address, as it saves a typed one.
    tntedt_StaticIP->setText(QString::fromStdString(address));
}

}  // namespace app
