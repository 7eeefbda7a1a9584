#include "i18n/qt/QtObjectAccess.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWidget>

#include "i18n/Errors.h"
#include "i18n/WindowTranslation.h"
#include "i18n/qt/BuiltInTextTranslator.h"
#include "tests/i18n/EngineFixture.h"

namespace i18n::test {
namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "QtObjectAccessTest";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

template <class T>
T* Named(QWidget* parent, const char* name) {
    auto* object = new T(parent);
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

// A small window built like the main window: controls nested in a group box, owned through the
// QObject tree, a menu button with its popup menu, and a status bar with one panel.
class QtWindow : public RunningEngine {
protected:
    void SetUp() override {
        App();
        RunningEngine::SetUp();
        window = std::make_unique<QWidget>();
        window->setObjectName("tntfrm_Main");
        window->setWindowTitle("TQ-3VOVE configuration tool");
        window->setFont(QFont("Tahoma", 8));
        auto* group = Named<QGroupBox>(window.get(), "tntgrp_NetWork");
        group->setTitle("Network configuration");
        label = Named<QLabel>(group, "Other");  // a name that is also a message identifier
        label->setText("Static IP");
        mode = Named<QComboBox>(group, "tntcomb_ServerNetMode");
        mode->addItems({"Static IP", "Domain resolution"});
        mode->setCurrentIndex(-1);
        commandType = Named<QComboBox>(group, "tntcomb_SMSCommandType");
        commandType->addItems({"DTU configuration parameters", "DTU running query"});
        commandType->setCurrentIndex(0);
        edit = Named<QLineEdit>(group, "tntedt_StaticIP");
        port = Named<QSpinBox>(group, "rzspnedt_Port");
        port->setRange(1000, 99999);
        auto* button = Named<QToolButton>(window.get(), "rzMenubtn_Language");
        button->setText(" Language");
        menu = Named<QMenu>(window.get(), "tntpmn_Language");
        automatic = menu->addAction("Automatic");
        automatic->setObjectName("tntmntm_Automatic");
        menu->addAction("English")->setObjectName("tntmntm_English");
        button->setMenu(menu);
        status = Named<QStatusBar>(window.get(), "tntstsbr_Status");
        panel = new QLabel(status);
        status->addWidget(panel, 1);
    }
    void TearDown() override {
        window.reset();
        RunningEngine::TearDown();
    }

    std::multimap<std::string, std::string> Recorded() {
        std::multimap<std::string, std::string> out;
        for (const TTP_RetranslatorItem& e :
             FindMarker(qt::WrapObject(window.get()))->Retranslation->Entries) {
            out.emplace(e.PropertyName, e.UntranslatedText);
        }
        return out;
    }

    std::unique_ptr<QWidget> window;
    QLabel* label = nullptr;
    QComboBox* mode = nullptr;
    QComboBox* commandType = nullptr;
    QLineEdit* edit = nullptr;
    QSpinBox* port = nullptr;
    QMenu* menu = nullptr;
    QAction* automatic = nullptr;
    QStatusBar* status = nullptr;
    QLabel* panel = nullptr;
};

TEST_F(QtWindow, FirstPassTranslatesEveryCaptionAndItemAndRecordsTheEnglish) {
    Engine().SelectLanguage("zh_cn");
    qt::TranslateComponent(window.get());

    EXPECT_EQ(window->windowTitle().toStdString(), "TQ-3VOVE配置工具");
    EXPECT_EQ(window->findChild<QGroupBox*>("tntgrp_NetWork")->title().toStdString(), "网络配置");
    EXPECT_EQ(label->text().toStdString(), "固定IP");
    EXPECT_EQ(label->objectName().toStdString(), "Other");
    EXPECT_EQ(mode->itemText(1).toStdString(), "域名解析");
    EXPECT_EQ(commandType->itemText(0).toStdString(), "配置DTU参数");
    EXPECT_EQ(commandType->currentIndex(), -1);
    EXPECT_EQ(window->findChild<QToolButton*>()->text().toStdString(), "语言");
    EXPECT_EQ(automatic->text().toStdString(), "自动");
    EXPECT_EQ(automatic->toolTip().toStdString(), "自动");  // Qt's default tool tip follows the text
    EXPECT_EQ(port->value(), 1000);
    EXPECT_EQ(window->font().family().toStdString(), "Tahoma");
    ASSERT_NE(window->findChild<QObject*>(kMarkerName, Qt::FindDirectChildrenOnly), nullptr);

    const std::multimap<std::string, std::string> recorded = Recorded();
    std::multimap<std::string, std::string> texts;
    for (const auto& [property, text] : recorded) {
        if (property != "Name") {
            texts.emplace(property, text);
        }
    }
    const std::multimap<std::string, std::string> expected{
        {"Caption", "TQ-3VOVE configuration tool"},
        {"Caption", "Network configuration"},
        {"Caption", "Static IP"},
        {"Caption", " Language"},
        {"Caption", "Automatic"},
        {"Caption", "English"},
        {"Text", "DTU configuration parameters"},
        {"Text", "Static IP\r\nDomain resolution\r\n"},
        {"Text", "DTU configuration parameters\r\nDTU running query\r\n"}};
    EXPECT_EQ(texts, expected);
    // One font face per control that has one: the window, group box, label, two combos, edit, spin
    // field, button, status bar.
    EXPECT_EQ(recorded.count("Name"), 9u);
    for (auto [it, end] = recorded.equal_range("Name"); it != end; ++it) {
        EXPECT_EQ(it->second, "Tahoma");
    }
}

TEST_F(QtWindow, ReplayRewritesRecordedTextsOnly) {
    qt::TranslateComponent(window.get());
    EXPECT_EQ(label->text().toStdString(), "Static IP");
    edit->setText("192.168.1.20");
    status->showMessage("Connecting...");
    mode->setCurrentIndex(1);

    const std::pair<const char*, const char*> steps[] = {
        {"zh_cn", "固定IP"}, {"en", "Static IP"}, {"zh_tw", "固定IP"}, {"zh_cn", "固定IP"}};
    for (const auto& [language, caption] : steps) {
        SCOPED_TRACE(language);
        Engine().SelectLanguage(language);
        qt::RetranslateComponent(window.get());
        EXPECT_EQ(label->text().toStdString(), caption);
        EXPECT_EQ(mode->currentIndex(), -1);
        EXPECT_EQ(mode->count(), 2);
        EXPECT_EQ(edit->text().toStdString(), "192.168.1.20");
        EXPECT_EQ(status->currentMessage().toStdString(), "Connecting...");
        EXPECT_EQ(port->value(), 1000);
    }
    EXPECT_EQ(automatic->text().toStdString(), "自动");
    EXPECT_EQ(window->windowTitle().toStdString(), "TQ-3VOVE配置工具");
}

TEST_F(QtWindow, ClassTableShowsOnlyTheTranslatableProperties) {
    const std::map<QObject*, std::pair<std::string, std::vector<std::string>>> rows{
        {window.get(), {"TForm", {"Name", "Font", "Hint", "HelpKeyword", "Caption", "HelpFile"}}},
        {label, {"TLabel", {"Name", "Font", "Hint", "HelpKeyword", "Caption"}}},
        {mode, {"TComboBox", {"Name", "Font", "Hint", "HelpKeyword", "Text", "ImeName", "Items"}}},
        {port, {"TSpinEdit", {"Name", "Font", "Hint", "HelpKeyword", "Value", "ImeName"}}},
        {status, {"TStatusBar", {"Name", "Font", "Hint", "HelpKeyword", "Panels", "SimpleText"}}},
        {automatic, {"TMenuItem", {"Name", "Caption", "Hint"}}},
    };
    for (const auto& [object, row] : rows) {
        ObjectPtr wrapped = qt::WrapObject(object);
        EXPECT_EQ(wrapped->Class()->Name, row.first);
        std::vector<std::string> names;
        for (const PropertyInfo& p : wrapped->Properties()) {
            names.push_back(p.Name);
        }
        EXPECT_EQ(names, row.second) << row.first;
    }
    ObjectPtr wrapped = qt::WrapObject(window.get());
    EXPECT_EQ(wrapped->AsComponent()->FindComponent("TNTCOMB_SERVERNETMODE")->Identity().Object, mode);
    EXPECT_EQ(wrapped->ReadText("HelpKeyword"), "");
}

TEST_F(QtWindow, BuiltInTextTranslatorWorksOnTheCreatorThreadOnly) {
    auto* translator = qt::InstallBuiltInTextTranslator();
    Engine().SelectLanguage("zh_cn");
    EXPECT_EQ(QCoreApplication::translate("QMessageBox", "Prompt").toStdString(), "提示");
    std::string onWorker;
    std::string qtTextOnWorker;
    std::thread worker([&] {
        onWorker = QCoreApplication::translate("QMessageBox", "Prompt").toStdString();
        qtTextOnWorker = QCoreApplication::translate("QPlatformTheme", "&Yes").toStdString();
    });
    worker.join();
    EXPECT_EQ(onWorker, "Prompt");
    EXPECT_EQ(qtTextOnWorker, "&Yes");
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

TEST_F(QtWindow, BuiltInTextTranslatorKeepsQtWordingWhenTheCatalogCannotBeRead) {
    // An engine error thrown through Qt's own code would skip Qt's cleanup (its translator lock
    // stays held); Qt keeps its wording instead, and the window's lookups still report the error.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::filesystem::path catalog =
        std::filesystem::path(folder.path().toStdString()) / "locale/de/LC_MESSAGES/default.mo";
    std::filesystem::create_directories(catalog.parent_path());
    std::ofstream(catalog, std::ios::binary) << "not a catalog at all";
    Engine().BindDomainDirectory("default", (folder.path() + "/locale").toStdString());
    Engine().SelectLanguage("de");

    qt::BuiltInTextTranslator* translator = nullptr;
    ASSERT_NO_THROW(translator = qt::InstallBuiltInTextTranslator());
    QString translated;
    EXPECT_NO_THROW(translated = QCoreApplication::translate("QMessageBox", "Prompt"));
    EXPECT_EQ(translated.toStdString(), "Prompt");
    QCoreApplication::removeTranslator(translator);
    delete translator;
    EXPECT_THROW(qt::Translate("Prompt"), EGGIOError);
}

}  // namespace
}  // namespace i18n::test
