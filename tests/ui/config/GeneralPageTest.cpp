#include "app/CTreeListDoc.h"
#include "config/ComPortProbe.h"
#include "config/HiveFileBackend.h"
#include "config/RecordingBackend.h"
#include "config/qt/CFP_GeneralPage.h"
#include "config/qt/CFarmPropertiesSheet.h"
#include "net/TransactionType.h"
#include "sheets/CSpinButton.h"
#include "support/DocProbe.h"
#include "support/EngineFakes.h"
#include "ui/sheets/DialogChecks.h"

#include <QAccessible>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

class ChosenPorts : public ComPortProbe {
public:
    explicit ChosenPorts(std::set<int> ports) : m_ports(std::move(ports)) {}
    bool IsPortAvailable(int port) override { return m_ports.count(port) != 0; }

private:
    std::set<int> m_ports;
};

// A started document on a hive of its own, with the COM ports the test names.
struct FarmSheet {
    explicit FarmSheet(std::set<int> ports = {1, 2, 3, 4}, Language language = Language::English)
        : probe(std::move(ports)), doc(language, workDir.Path()) {
        doc.SetRegistryBackend(&registry);
        doc.SetComPortProbe(&probe);
        doc.OnNewDocument();
    }
    FarmParameters Farm(int farmIndex, std::uint32_t bitSet, int port = 1) {
        FarmParameters parameters = doc.GetFarmParameters(farmIndex);
        parameters.m_dwBitSet = bitSet;
        parameters.m_iSerialPort = port;
        return parameters;
    }
    int Writes(const std::string& name) const {
        return static_cast<int>(
            std::count(registry.writtenValues.begin(), registry.writtenValues.end(), name));
    }

    ScratchDirectory workDir;
    HiveFileBackend hive{workDir.Path() + "/registry.reg"};
    configtest::RecordingBackend registry{hive};
    ChosenPorts probe;
    CTreeListDoc doc;
};

} // namespace

TEST(FarmGeneralPage, RemoteWithModemOnALocalStartupFarm) {
    FarmSheet f;
    CFarmPropertiesSheet sheet(f.doc, f.Farm(1, 0x09));
    CFP_GeneralPage& page = sheet.Page();
    EXPECT_EQ(sheet.windowTitle(), "Group 2 Properties");
    EXPECT_TRUE(page.Radio(0)->isChecked());
    EXPECT_TRUE(page.StartupCheck()->isChecked());
    EXPECT_FALSE(page.PhoneEdit()->isEnabled());
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());

    QTest::mouseClick(page.Radio(2), Qt::LeftButton);
    EXPECT_EQ(page.State().Working().m_dwBitSet, 0x0Du);
    EXPECT_TRUE(page.PhoneEdit()->isEnabled());
    EXPECT_TRUE(sheet.ApplyButton()->isEnabled());

    QTest::mouseClick(sheet.ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(f.doc.GetFarmParameters(1).m_dwBitSet, 0x0Du);
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
}

TEST(FarmGeneralPage, ScreenReaderActionsTakeEffectAsClicksDo) {
    FarmSheet f;
    CFarmPropertiesSheet sheet(f.doc, f.Farm(1, 0x00));
    sheet.show();
    CFP_GeneralPage& page = sheet.Page();
    const auto act = [](QWidget* control, const QString& action) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(accessible, nullptr);
        ASSERT_NE(accessible->actionInterface(), nullptr);
        ASSERT_TRUE(accessible->actionInterface()->actionNames().contains(action))
            << action.toStdString();
        accessible->actionInterface()->doAction(action);
    };

    act(page.StartupCheck(), QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(page.StartupCheck()->isChecked());
    EXPECT_EQ(page.State().Working().m_dwBitSet, 0x01u);
    EXPECT_TRUE(sheet.ApplyButton()->isEnabled());

    act(page.StartupCheck(), QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(page.StartupCheck()->isChecked());
    EXPECT_EQ(page.State().Working().m_dwBitSet, 0x00u);
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());

    act(page.Radio(2), QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(page.Radio(2)->isChecked());
    EXPECT_EQ(page.State().Working().m_dwBitSet, 0x04u);
    EXPECT_TRUE(page.PhoneEdit()->isEnabled());
    EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
}

TEST(FarmGeneralPage, SerialPortStepsOverUnavailablePorts) {
    FarmSheet f({1, 3});
    CFarmPropertiesSheet sheet(f.doc, f.Farm(0, 0, 1));
    CFP_GeneralPage& page = sheet.Page();
    EXPECT_EQ(page.PortLabel()->text(), " COM1");
    QTest::keyClick(page.Spin(), Qt::Key_Up);
    EXPECT_EQ(page.PortLabel()->text(), " COM3");
    EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
    QTest::keyClick(page.Spin(), Qt::Key_Up);
    EXPECT_EQ(page.PortLabel()->text(), " COM1");
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
}

TEST(FarmGeneralPage, OnePortDisablesTheSpinAndAnUnavailableStoredPortStaysShown) {
    FarmSheet f({2});
    CFarmPropertiesSheet sheet(f.doc, f.Farm(0, 0, 4));
    EXPECT_FALSE(sheet.Page().Spin()->isEnabled());
    EXPECT_EQ(sheet.Page().PortLabel()->text(), " COM4");
}

TEST(FarmGeneralPage, WithoutAnyPortTheStoredPortStaysAndThePageSaysSo) {
    FarmSheet f(std::set<int>{});
    CFarmPropertiesSheet sheet(f.doc, f.Farm(0, 0, 2));
    CFP_GeneralPage& page = sheet.Page();
    EXPECT_TRUE(page.Message().isEmpty());
    page.Spin()->stepBy(1);
    page.Spin()->stepBy(-1);
    EXPECT_EQ(page.PortLabel()->text(), " COM2");
    EXPECT_FALSE(page.Message().isEmpty());
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
}

TEST(FarmGeneralPage, TypingAndDeletingAgainLeavesApplyDisabled) {
    FarmSheet f;
    CFarmPropertiesSheet sheet(f.doc, f.Farm(0, 0x04));
    QLineEdit* phone = sheet.Page().PhoneEdit();
    phone->setFocus();
    QTest::keyClicks(phone, "12");
    EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
    QTest::keyClick(phone, Qt::Key_Backspace);
    QTest::keyClick(phone, Qt::Key_Backspace);
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
}

TEST(FarmGeneralPage, OkWithoutEditsWritesTheFarmsValues) {
    FarmSheet f;
    const int before = f.Writes("Serial Port");
    const int phoneBefore = f.Writes("Phone Number");
    CFarmPropertiesSheet sheet(f.doc, f.Farm(2, 0));
    sheet.show();
    QTest::keyClick(&sheet, Qt::Key_Return);
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(f.Writes("Serial Port"), before + 1);
    EXPECT_EQ(f.Writes("Phone Number"), phoneBefore + 1);
}

TEST(FarmGeneralPage, PhoneNumberTheModemCannotDialIsRefusedWithAMessage) {
    FarmSheet f;
    CFarmPropertiesSheet sheet(f.doc, f.Farm(0, 0x04));
    sheet.show();
    QLineEdit* phone = sheet.Page().PhoneEdit();
    phone->setFocus();
    phone->selectAll();
    // Twelve characters, but two bytes each: more than the dial command holds.
    for (int typed = 0; typed < 12; ++typed) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(0x00F1)));
        QApplication::sendEvent(phone, &press);
    }
    EXPECT_EQ(phone->text().size(), 12);
    EXPECT_FALSE(sheet.Page().Message().isEmpty());
    const int before = f.Writes("Phone Number");
    QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
    EXPECT_TRUE(sheet.isVisible()) << "OK keeps the sheet open";
    EXPECT_EQ(f.Writes("Phone Number"), before);
    EXPECT_EQ(f.doc.GetFarmParameters(0).m_strPhoneNumber, "555 5555");

    phone->setText(QString());
    QTest::keyClicks(phone, "5551234");
    EXPECT_TRUE(sheet.Page().Message().isEmpty());
    sheet.reject();
}

TEST(FarmGeneralPage, ConnectedFarmIsReadOnlyAndQueriesTheStationUntilClosed) {
    FarmSheet f;
    FarmParameters connected = f.Farm(0, 0x04);
    connected.m_bFarmIsConnected = 1;
    {
        CFarmPropertiesSheet sheet(f.doc, connected);
        CFP_GeneralPage& page = sheet.Page();
        for (int type = 0; type < 3; ++type) {
            EXPECT_FALSE(page.Radio(type)->isEnabled());
        }
        EXPECT_FALSE(page.PhoneEdit()->isEnabled());
        EXPECT_FALSE(page.StartupCheck()->isEnabled());
        EXPECT_FALSE(page.Spin()->isEnabled());
        EXPECT_EQ(page.PortLabel()->palette().color(QPalette::Window), QColor(192, 192, 192));
        EXPECT_EQ(page.PortLabel()->palette().color(QPalette::WindowText), QColor(128, 128, 128));
        EXPECT_EQ(DocProbe(f.doc).TransactionTypeNow(), TT_ZRM_T1_PIO_O);
        EXPECT_EQ(f.doc.NextTransactionType(), TT_ZRM_T1_PIO_O);

        sheet.show();
        QTest::keyClick(&sheet, Qt::Key_Escape);
        EXPECT_EQ(DocProbe(f.doc).TransactionTypeNow(), TT_NONE);
        EXPECT_EQ(f.doc.NextTransactionType(), TT_KVN_T1_PIO_O);
    }
    // Work the scheduler took up instead meanwhile is kept.
    {
        CFarmPropertiesSheet sheet(f.doc, connected);
        DocProbe(f.doc).RequestCommit();
        sheet.reject();
        EXPECT_EQ(f.doc.NextTransactionType(), TT_KVN_T2_PIO_O);
    }
    // A farm that is not connected sends nothing to the station.
    CFarmPropertiesSheet idle(f.doc, f.Farm(1, 0));
    EXPECT_FALSE(idle.Page().StartedStationQuery());
    EXPECT_EQ(f.doc.NextTransactionType(), TT_KVN_T2_PIO_O);
}

TEST(FarmGeneralPage, SpanishTextsFitAndTheKeyboardStartsOnTheConnectionType) {
    FarmSheet f({1, 2}, Language::Spanish);
    CFarmPropertiesSheet sheet(f.doc, f.Farm(3, 0x02));
    EXPECT_EQ(sheet.windowTitle(), "Agrupe 4 Propiedades");
    auto* tabs = sheet.findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->tabText(0), "El general");
    EXPECT_EQ(sheet.Page().Radio(1)->text(), "Local con el módem");
    EXPECT_EQ(sheet.OkButton()->text(), "BUENO");
    EXPECT_EQ(sheet.CancelButton()->text(), "Cancele");
    EXPECT_EQ(sheet.ApplyButton()->text(), "Aplique");
    EXPECT_EQ(sheet.Page().PhoneEdit()->accessibleName(), "El Número de teléfono");
    uicheck::ExpectTextsFit(sheet);
    uicheck::ExpectNamedControls(sheet);

    sheet.show();
    QApplication::processEvents();
    EXPECT_TRUE(uicheck::FocusIn(sheet, sheet.Page().Radio(1)));
    sheet.reject();
}
