#pragma once

// The modem list of the "Send SMS" dialog: an editable drop-down list that says when it is about to
// drop down, so that the dialog looks for modems only once the user looks for one. Looking opens
// every serial port and speaks AT to it, which a device other than a modem on such a port (a DTU's
// own configuration port, say) should not get each time the dialog merely shows a QR code.

#include <QComboBox>

namespace app {

class ModemList final : public QComboBox {
    Q_OBJECT

public:
    using QComboBox::QComboBox;

    void showPopup() override {
        emit AboutToDropDown();
        QComboBox::showPopup();
    }

signals:
    void AboutToDropDown();
};

}  // namespace app
