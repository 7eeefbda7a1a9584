// The reference for the start-up benchmark: the same window with the same widgets, texts and font,
// but no settings file, no handlers, no address look-up and no language engine. It paints once and
// exits, as dtusms --exit-after-paint does. Its font is found as the program finds it (Wine's Tahoma
// registered when the system has none), so that both draw their texts with the same face.

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include "app/WindowFont.h"

namespace {

class QuitAfterPaint final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            QTimer::singleShot(0, qApp, &QApplication::quit);
        }
        return false;
    }
};

template <typename Widget>
Widget* Place(Widget* widget, int left, int top, int width, int height) {
    widget->setGeometry(left, top, width, height);
    return widget;
}

void Label(QWidget* parent, const char* text, int left, int top, int width) {
    Place(new QLabel(text, parent), left, top, width, 13)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void Combo(QWidget* parent, int left, int top, const QStringList& items) {
    Place(new QComboBox(parent), left, top, 162, 21)->addItems(items);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    app::ProvideTahoma();
    QWidget window;
    window.setWindowTitle("TQ-3VOVE configuration tool");
    window.setFixedSize(495, 305);
    window.setFont(app::WindowFont());

    auto* network = Place(new QGroupBox("Network configuration", &window), 0, 0, 495, 109);
    Label(network, "Server address mode", 0, 21, 110);
    Combo(network, 111, 17, {"Static IP", "Domain resolution"});
    Label(network, "Port", 274, 22, 80);
    Place(new QSpinBox(network), 356, 17, 119, 21)->setRange(1000, 99999);
    Label(network, "Static IP", 0, 51, 110);
    Place(new QLineEdit(network), 111, 47, 110, 21);
    Place(new QPushButton("Obtain IP", network), 224, 47, 49, 21);
    Label(network, "Domain address", 274, 51, 80);
    Place(new QLineEdit(network), 356, 47, 119, 21);
    Place(new QPushButton("Test server port", network), 356, 77, 119, 25);
    Place(new QPushButton("Judge whether the server port mapping", network), 24, 77, 249, 25);

    auto* sms = Place(new QGroupBox("SMS command format", &window), 0, 109, 495, 142);
    Label(sms, "Service network(APN)", 0, 21, 110);
    Combo(sms, 111, 17, {"CMNET(China Mobile)", "CMWAP(China Mobile)", "UNINET(China Unicom)", "Other"});
    Label(sms, "Other", 274, 21, 80);
    Place(new QLineEdit(sms), 356, 17, 119, 21);
    Label(sms, "DTU number", 0, 51, 110);
    Place(new QLineEdit(sms), 111, 47, 162, 21);
    Label(sms, "SMS command type", 0, 82, 110);
    Combo(sms, 111, 78, {"DTU configuration parameters", "DTU running query"});
    Label(sms, "SMS command format", 0, 112, 108);
    Place(new QLineEdit(sms), 111, 108, 364, 21);

    auto* panel = Place(new QFrame(&window), 0, 251, 495, 35);
    auto* language = Place(new QToolButton(panel), 19, 5, 90, 25);
    language->setText(" Language");
    language->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(&window);
    for (const char* item : {"Automatic", "English", "Simplified Chinese", "Traditional Chinese"}) {
        menu->addAction(item)->setCheckable(true);
    }
    language->setMenu(menu);
    Place(new QPushButton("Close", panel), 400, 5, 75, 25);
    Place(new QPushButton("Generation SMS", panel), 287, 5, 90, 25);
    auto* status = Place(new QStatusBar(&window), 0, 286, 495, 19);
    status->setSizeGripEnabled(false);
    status->addWidget(new QLabel(status), 1);

    QuitAfterPaint quitAfterPaint;
    window.installEventFilter(&quitAfterPaint);
    window.show();
    return application.exec();
}
