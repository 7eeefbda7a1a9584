// The window with a static IP of 10,000 characters pasted into its field: the SMS is composed from
// the whole field, the file receives the whole field, and a later load shows 2047 bytes of it without
// cutting the file.

#include <gtest/gtest.h>

#include <string>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "base/WholeFile.h"
#include "settings/ProfileText.h"
#include "settings/Settings.h"
#include "tests/app/WindowTestSupport.h"

namespace {

std::string StoredStaticIp(const std::string& path) {
    const settings::ProfileText text(base::ReadWholeFile(path).bytes);
    return std::string(text.Find(sms::keys::kSection, sms::keys::kStaticIp).value_or("<missing>"));
}

TEST(WindowFaultsTest, StaticIpOf10000CharactersIsComposedAndSavedWholeAndLoadedAs2047WithoutCuttingTheFile) {
    apptest::WindowFixture fixture;
    fixture.Show();
    auto* staticIp = fixture.Find<QLineEdit>("tntedt_StaticIP");
    auto* command = fixture.Find<QLineEdit>("tntedt_SMSCommandFormat");
    ASSERT_NE(nullptr, staticIp);
    ASSERT_NE(nullptr, command);

    const std::string pasted(10'000, '8');
    staticIp->setText(QString::fromStdString(pasted));
    EXPECT_EQ(pasted.size(), static_cast<std::size_t>(staticIp->text().size()));
    EXPECT_EQ(pasted, StoredStaticIp(fixture.settingsPath));

    QTest::mouseClick(fixture.Find<QPushButton>("tntbtn_GenerationSMS"), Qt::LeftButton);
    EXPECT_EQ("(A55A#1*" + pasted + "*6000#3*CMNET#4*TQ-GP000001)", command->text().toStdString());
    EXPECT_TRUE(fixture.messages.boxes.empty());

    // A load reads at most 2047 bytes of a value and the field shows that much; placing it writes
    // nothing back, since it is what the file gives, so the file keeps the whole value.
    fixture.window->LoadSettings();
    EXPECT_EQ(pasted.substr(0, 2047), staticIp->text().toStdString());
    EXPECT_EQ(pasted, StoredStaticIp(fixture.settingsPath));
    // The next edit of the field stores what the field holds.
    staticIp->setText(staticIp->text() + "9");
    EXPECT_EQ(pasted.substr(0, 2047) + "9", StoredStaticIp(fixture.settingsPath));
}

}  // namespace
