#include <cstdlib>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include <cstdlib>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolButton>

#include "i18n/EngineStartup.h"
#include "i18n/qt/QtObjectAccess.h"
#include "tests/i18n/EnglishLocale.h"

namespace {

using i18n::test::EnglishLocale;
using NoMessages = i18n::test::SilentMessages;

template <class T>
T* Add(QWidget* parent, const char* name) {
    auto* w = new T(parent);
    w->setObjectName(name);
    return w;
}

// The main window's controls: two group boxes, nine labels, three combo boxes, five edit lines, a
// spin field, a panel with three buttons and the language button, four menu items and a status bar.
std::unique_ptr<QWidget> MainSizedWindow() {
    auto window = std::make_unique<QWidget>();
    window->setObjectName("tntfrm_Main");
    window->setWindowTitle("TQ-3VOVE configuration tool");
    window->setFont(QFont("Tahoma", 8));
    auto* net = Add<QGroupBox>(window.get(), "tntgrp_NetWork");
    net->setTitle("Network configuration");
    auto* sms = Add<QGroupBox>(window.get(), "tntgrp_SMSCommandFormat");
    sms->setTitle("SMS command format");
    const char* labels[] = {"Server address mode",  "Port",  "Static IP",  "Domain address",
                            "Service network(APN)", "Other", "DTU number", "SMS command type",
                            "SMS command format"};
    int n = 0;
    for (const char* text : labels) {
        auto* label = Add<QLabel>(n < 5 ? net : sms, ("tntlbl_" + std::to_string(n)).c_str());
        label->setText(text);
        ++n;
    }
    Add<QComboBox>(net, "tntcomb_ServerNetMode")->addItems({"Static IP", "Domain resolution"});
    Add<QComboBox>(sms, "tntcomb_ServiceNetwork")
        ->addItems({"CMNET(China Mobile)", "CMWAP(China Mobile)", "UNINET(China Unicom)", "Other"});
    Add<QComboBox>(sms, "tntcomb_SMSCommandType")
        ->addItems({"DTU configuration parameters", "DTU running query"});
    for (const char* name : {"tntedt_StaticIP", "tntedt_DomainAddress", "tntedt_Other", "tntedt_DTUNumber",
                             "tntedt_SMSCommandFormat"}) {
        Add<QLineEdit>(net, name);
    }
    Add<QSpinBox>(net, "rzspnedt_Port");
    Add<QPushButton>(net, "tntbtn_StaticIP")->setText("Obtain IP");
    Add<QPushButton>(net, "tntbtn_TestServerPort")->setText("Test server port");
    Add<QPushButton>(net, "tntbtn_JudgeMaping")->setText("Judge whether the server port mapping");
    auto* panel = Add<QWidget>(window.get(), "TntPanel1");
    auto* language = Add<QToolButton>(panel, "rzMenubtn_Language");
    language->setText(" Language");
    Add<QPushButton>(panel, "tntbtn_Close")->setText("Close");
    Add<QPushButton>(panel, "tntbtn_GenerationSMS")->setText("Generation SMS");
    auto* menu = Add<QMenu>(window.get(), "tntpmn_Language");
    for (const char* item : {"Automatic", "English", "Simplified Chinese", "Traditional Chinese"}) {
        menu->addAction(item)->setObjectName(item);
    }
    language->setMenu(menu);
    auto* status = Add<QStatusBar>(window.get(), "tntstsbr_Status");
    status->addWidget(new QLabel(status), 1);
    return window;
}

struct Engine {
    Engine() { i18n::StartEngine("/nonexistent/dtusms/dtusms", locale, messages); }
    ~Engine() { i18n::ShutdownEngine(); }
    EnglishLocale locale;
    NoMessages messages;
};

void BM_FirstPass(benchmark::State& state) {
    Engine engine;
    i18n::DefaultInstance().SelectLanguage("zh_cn");
    for (auto _ : state) {
        state.PauseTiming();
        auto window = MainSizedWindow();
        state.ResumeTiming();
        i18n::qt::TranslateComponent(window.get());
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstPass)->Unit(benchmark::kMicrosecond);

void BM_ReplayIntoAnotherLanguage(benchmark::State& state) {
    Engine engine;
    auto window = MainSizedWindow();
    i18n::qt::TranslateComponent(window.get());
    const char* languages[] = {"zh_cn", "zh_tw"};
    int i = 0;
    for (auto _ : state) {
        i18n::DefaultInstance().SelectLanguage(languages[i++ % 2]);
        i18n::qt::RetranslateComponent(window.get());
    }
}
BENCHMARK(BM_ReplayIntoAnotherLanguage)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    // Offscreen unless the caller chose a platform: the pass does not need a display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
