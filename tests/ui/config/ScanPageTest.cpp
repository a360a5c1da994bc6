#include "app/CTreeListDoc.h"
#include "config/HiveFileBackend.h"
#include "config/qt/CFP_ScanPage.h"
#include "config/qt/CFarmPropertiesSheet.h"
#include "support/EngineFakes.h"
#include "ui/sheets/DialogChecks.h"

#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

class NoPorts : public ComPortProbe {
public:
    bool IsPortAvailable(int) override { return false; }
};

struct ScanSheet {
    explicit ScanSheet(Language language = Language::English) : doc(language, workDir.Path()) {
        doc.SetRegistryBackend(&hive);
        doc.SetComPortProbe(&ports);
        doc.OnNewDocument();
    }
    std::string HiveText() const {
        std::ifstream in(workDir.Path() + "/registry.reg", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    ScratchDirectory workDir;
    HiveFileBackend hive{workDir.Path() + "/registry.reg"};
    NoPorts ports;
    CTreeListDoc doc;
};

} // namespace

TEST(FarmScanPage, OffersThePaceAndWritesOnlyWhatTheOperatorChanged) {
    ScanSheet f;
    const std::string before = f.HiveText();
    CFarmPropertiesSheet sheet(f.doc, f.doc.GetFarmParameters(2));
    CFP_ScanPage& page = sheet.ScanPage();
    auto* tabs = sheet.findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->tabText(1), "Scan");
    EXPECT_EQ(page.PaceBox()->accessibleName(), "Scan pace");
    EXPECT_EQ(page.PaceBox()->currentText(), "One query a second (tick)");
    EXPECT_FALSE(page.GuardSpin()->isEnabled()) << "the times matter only at the line pace";
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());

    page.PaceBox()->setCurrentIndex(1);
    EXPECT_TRUE(page.GuardSpin()->isEnabled());
    EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
    page.PaceBox()->setCurrentIndex(0);
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled()) << "back to what is stored";

    page.PaceBox()->setCurrentIndex(1);
    page.MarginSpin()->setValue(250);
    QTest::mouseClick(sheet.ApplyButton(), Qt::LeftButton);
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
    EXPECT_EQ(f.doc.FarmScanPace(2).kind, ScanPaceKind::Line);
    EXPECT_EQ(f.doc.FarmScanPace(2).marginMs, 250);
    EXPECT_EQ(f.doc.FarmScanPace(2).guardMs, ScanPaceSettings::kDefaultGuardMs);
    const std::string after = f.HiveText();
    EXPECT_NE(after.find("\"Scan Pace\"=dword:00000001"), std::string::npos);
    EXPECT_NE(after.find("\"Scan Reply Margin\"=dword:000000fa"), std::string::npos);
    EXPECT_EQ(after.find("Scan Guard Time"), std::string::npos);
    EXPECT_EQ(page.Message(), "");
    EXPECT_NE(before, after);
    sheet.reject();
}

TEST(FarmScanPage, SpanishTextsFitAndEveryControlIsNamed) {
    ScanSheet f(Language::Spanish);
    CFarmPropertiesSheet sheet(f.doc, f.doc.GetFarmParameters(0));
    auto* tabs = sheet.findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->tabText(1), "Sondeo");
    EXPECT_EQ(sheet.ScanPage().PaceBox()->accessibleName(), "Ritmo de sondeo");
    EXPECT_EQ(sheet.ScanPage().MarginSpin()->accessibleName(), "Margen de respuesta (ms)");
    tabs->setCurrentIndex(1);
    uicheck::ExpectTextsFit(sheet);
    uicheck::ExpectNamedControls(sheet);
}
