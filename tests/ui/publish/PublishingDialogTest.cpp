#include "publish/qt/PublishingDialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void Type(QLineEdit* field, const QString& text) {
    field->clear();
    QTest::keyClicks(field, text);
}

} // namespace

TEST(PublishingDialog, OpensOnTheBrokerUrlWithEveryFieldNamedByItsLabel) {
    PublishConfig config;
    config.brokerUrl = "mqtt://broker:1883";
    config.site = "north";
    PublishingDialog dialog(Language::English, config, "not publishing");
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_EQ(QApplication::focusWidget(), dialog.Field(0));
    EXPECT_EQ(dialog.Field(0)->accessibleName(), "Broker URL");
    EXPECT_EQ(dialog.Field(3)->accessibleName(), "Password file");
    EXPECT_EQ(dialog.Field(7)->text(), "north");
    EXPECT_EQ(dialog.Field(6)->text(), "kilnwatch");

    PublishingDialog spanish(Language::Spanish, config, "sin publicar");
    EXPECT_EQ(spanish.windowTitle(), "Publicación en un servidor MQTT");
    EXPECT_EQ(spanish.Field(2)->accessibleName(), "Usuario");
}

TEST(PublishingDialog, EnterKeepsItOpenOnABadValueWithTheReasonAndTheFieldAtFault) {
    PublishingDialog dialog(Language::English, PublishConfig{}, "not publishing");
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    Type(dialog.Field(0), "mqtt://broker:1883");
    QTest::keyClick(dialog.Field(0), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.Problem().indexOf("site name"), -1) << dialog.Problem().toStdString();
    EXPECT_EQ(QApplication::focusWidget(), dialog.Field(7));

    Type(dialog.Field(7), "north");
    Type(dialog.Field(2), "kilns");
    Type(dialog.Field(3), "/nonexistent/password");
    QTest::keyClick(dialog.Field(3), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.Problem().indexOf("cannot be read"), -1);
    EXPECT_EQ(QApplication::focusWidget(), dialog.Field(3));

    dialog.Field(3)->clear();
    dialog.Field(2)->clear();
    QTest::keyClick(dialog.Field(0), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const PublishConfig accepted = dialog.Config();
    EXPECT_EQ(accepted.brokerUrl, "mqtt://broker:1883");
    EXPECT_EQ(accepted.site, "north");
}

TEST(PublishingDialog, AnEmptyBrokerUrlTurnsPublishingOffAndEscapeCancels) {
    PublishConfig config;
    config.brokerUrl = "mqtt://broker";
    config.site = "x";
    PublishingDialog dialog(Language::English, config, "");
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(dialog.Field(0), Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    PublishingDialog off(Language::English, config, "");
    off.show();
    off.Field(0)->clear();
    off.Field(7)->clear();
    off.accept();
    EXPECT_EQ(off.result(), QDialog::Accepted);
    EXPECT_FALSE(off.Config().Enabled());
}
