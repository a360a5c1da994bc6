#include "trend/qt/TrendWindow.h"
#include "system/FarmHarness.h"
#include "tools/common/Sha256.h"
#include "tools/treat/TreatmentRecord.h"
#include "trend/TrendTestLog.h"

#include <QAreaSeries>
#include <QChart>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

farmsim::UnitConfig RunningUnit(int nodeId, bool centigrade) {
    farmsim::UnitConfig unit;
    unit.nodeId = nodeId;
    unit.idCode = static_cast<std::uint8_t>(nodeId);
    unit.mode = farmsim::Mode::Run;
    unit.centigrade = centigrade;
    return unit;
}

int SeriesNamed(QChart& chart, const QString& name) {
    int count = 0;
    for (QAbstractSeries* series : chart.series()) {
        count += series->name() == name ? 1 : 0;
    }
    return count;
}

int AreaSeries(QChart& chart) {
    int count = 0;
    for (QAbstractSeries* series : chart.series()) {
        count += series->type() == QAbstractSeries::SeriesTypeArea ? 1 : 0;
    }
    return count;
}

} // namespace

TEST(TrendWindow, AUnitThatWentSilentShowsAGapNotALineAcrossIt) {
    farmsim::FarmConfig config;
    config.units = {RunningUnit(4, false), RunningUnit(5, true)};
    FarmHarness h(config, 5);
    h.ConfigureFarm();
    h.beforeTick = [&](int tick) { h.Sim().Unit(5)->SetSilent(tick > 600 && tick <= 1200); };
    h.Doc().FarmConnect(0);
    h.RunTicks(1800);

    TrendWindow window(h.Doc(), 5, Language::English);
    const TrendPlot& plot = window.Plot();
    ASSERT_EQ(plot.Segments(0).size(), 2u);
    EXPECT_GE(plot.Segments(0)[1].front().time - plot.Segments(0)[0].back().time, 540);
    EXPECT_EQ(SeriesNamed(window.Chart(), "Core 1"), 2);
    EXPECT_EQ(SeriesNamed(window.Chart(), "Chamber"), 2);
    EXPECT_TRUE(plot.Centigrade());
    EXPECT_EQ(SeriesNamed(window.Chart(), QString::fromUtf8("Threshold 56\xC2\xB0"
                                                            "C")),
              1);

    TrendWindow fahrenheit(h.Doc(), 4, Language::English);
    EXPECT_EQ(fahrenheit.Plot().Segments(0).size(), 1u);
    EXPECT_EQ(fahrenheit.Plot().ThresholdReading(), 133) << "56C is 132.8F, never rounded down";
}

TEST(TrendWindow, ShadedStretchesOfAPcLogAreTheTreatmentRecordsOwn) {
    ScratchDirectory dir;
    const std::string path = WriteTwoUnitPcLog(dir.Path());
    FarmHarness h(farmsim::FarmConfig{}, 1);
    TrendWindow window(h.Doc(), 3, Language::English);
    ASSERT_TRUE(window.OpenPcLog(QString::fromStdString(path)));
    ASSERT_TRUE(window.ShowingLog());

    // logtreat reads the log through the same record with the same rule.
    logtools::TreatmentRecord record(window.Rule());
    ASSERT_TRUE(record.readFile(path));
    record.finish();
    const auto& expected = record.unit(3)->stretches();
    const auto& shaded = window.Plot().Stretches();
    ASSERT_EQ(shaded.size(), expected.size());
    ASSERT_EQ(shaded.size(), 2u) << "the hole after minute 50 breaks the stretch";
    for (std::size_t i = 0; i < shaded.size(); ++i) {
        EXPECT_EQ(shaded[i].from, expected[i].first.time);
        EXPECT_EQ(shaded[i].to, expected[i].last.time);
    }
    EXPECT_TRUE(shaded[0].longEnough);
    EXPECT_EQ(window.Plot().Treated(), record.unit(3)->verdict().treated);
    EXPECT_EQ(AreaSeries(window.Chart()), 2);
    EXPECT_EQ(window.Plot().Segments(0).size(), 2u) << "the hole is a gap in the line too";

    // The log's other unit, in its own scale.
    window.setProperty("unused", 0);
    TrendWindow other(h.Doc(), 4, Language::Spanish);
    ASSERT_TRUE(other.OpenPcLog(QString::fromStdString(path)));
    EXPECT_FALSE(other.Plot().Centigrade());
    const auto& expectedF = record.unit(4)->stretches();
    ASSERT_EQ(other.Plot().Stretches().size(), expectedF.size());
    ASSERT_EQ(expectedF.size(), 1u);
    EXPECT_EQ(other.Plot().Stretches()[0].to, expectedF[0].last.time);
    EXPECT_FALSE(other.Plot().Treated());
    EXPECT_EQ(SeriesNamed(other.Chart(), QString::fromUtf8("N\xC3\xBA"
                                                           "cleo 2")),
              1);
}

TEST(TrendWindow, ALogThatCannotBeReadLeavesTheWindowAsItWas) {
    ScratchDirectory dir;
    FarmHarness h(farmsim::FarmConfig{}, 1);
    TrendWindow window(h.Doc(), 3, Language::English);
    EXPECT_FALSE(window.OpenPcLog(QString::fromStdString(dir.Path() + "/missing.CSV")));
    EXPECT_FALSE(window.ShowingLog());
    EXPECT_TRUE(window.Plot().Empty());
}

TEST(TrendWindow, ALogWithoutTheUnitShowsItsFirstUnit) {
    ScratchDirectory dir;
    const std::string path = WriteTwoUnitPcLog(dir.Path());
    FarmHarness h(farmsim::FarmConfig{}, 1);
    TrendWindow window(h.Doc(), 77, Language::English);
    ASSERT_TRUE(window.OpenPcLog(QString::fromStdString(path)));
    EXPECT_EQ(window.NodeId(), 3);
    EXPECT_EQ(window.Plot().NodeId(), 3);
}

TEST(TrendWindow, LiveVerdictIsTheKeptPcLogsForEveryUnit) {
    // Unit 3 spends four minutes in Standby (its PC log lines stop), unit 4 goes silent for
    // three, unit 5's first core has no valid reading; unit 6 runs throughout.
    farmsim::FarmConfig config;
    config.units = {RunningUnit(3, true), RunningUnit(4, true), RunningUnit(5, true),
                    RunningUnit(6, true)};
    config.units[2].brokenRtdMask = 0x1;
    FarmHarness h(config, 11);
    h.ConfigureFarm();
    h.beforeTick = [&](int tick) {
        if (tick == 300) {
            h.Sim().Unit(3)->SetMode(farmsim::Mode::Standby);
        } else if (tick == 540) {
            h.Sim().Unit(3)->SetMode(farmsim::Mode::Run);
        }
        h.Sim().Unit(4)->SetSilent(tick > 600 && tick <= 780);
    };
    h.Doc().FarmConnect(0);
    h.RunTicks(1200);
    const std::string log = h.Doc().PcLog(0).LogFileName();
    ASSERT_FALSE(log.empty());

    for (int unit : {3, 4, 5, 6}) {
        TrendWindow window(h.Doc(), unit, Language::English);
        auto* threshold = window.findChild<QLineEdit*>("trendThreshold");
        auto* minutes = window.findChild<QSpinBox*>("trendMinutes");
        ASSERT_NE(threshold, nullptr);
        ASSERT_NE(minutes, nullptr);
        threshold->setText("10C"); // every reading of a working sensor holds it
        emit threshold->editingFinished();
        minutes->setValue(8);
        ASSERT_EQ(window.Rule().minutes(), 8);

        logtools::TreatmentRecord kept(window.Rule());
        ASSERT_TRUE(kept.readFile(log));
        kept.finish();
        const logtools::UnitTreatment* record = kept.unit(unit);
        ASSERT_NE(record, nullptr) << unit;
        EXPECT_EQ(window.Plot().Treated(), record->verdict().treated) << unit;
        ASSERT_EQ(window.Plot().Stretches().size(), record->stretches().size()) << unit;
        for (std::size_t i = 0; i < record->stretches().size(); ++i) {
            EXPECT_EQ(window.Plot().Stretches()[i].from, record->stretches()[i].first.time);
            EXPECT_EQ(window.Plot().Stretches()[i].to, record->stretches()[i].last.time);
        }
        // The chart still shows every minute, Standby included.
        EXPECT_GT(window.Plot().SampleCount(), 15u) << unit;
    }
    // What the record proves: the breaks count, a run throughout does.
    TrendWindow standby(h.Doc(), 3, Language::English);
    auto* threshold = standby.findChild<QLineEdit*>("trendThreshold");
    threshold->setText("10C");
    emit threshold->editingFinished();
    standby.findChild<QSpinBox*>("trendMinutes")->setValue(12);
    EXPECT_FALSE(standby.Plot().Treated()) << "four minutes in Standby break the stretch";
    TrendWindow running(h.Doc(), 6, Language::English);
    threshold = running.findChild<QLineEdit*>("trendThreshold");
    threshold->setText("10C");
    emit threshold->editingFinished();
    running.findChild<QSpinBox*>("trendMinutes")->setValue(12);
    EXPECT_TRUE(running.Plot().Treated());
}

#ifdef KILNWATCH_CERTIFICATES
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The text of a PDF as a reader extracts it.
std::string PdfText(const std::string& pdf) {
    std::string text;
    std::FILE* pipe = ::popen((std::string(PDFTOTEXT_PROGRAM) + " '" + pdf + "' -").c_str(), "r");
    if (pipe == nullptr) {
        return text;
    }
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        text.append(buffer, n);
    }
    ::pclose(pipe);
    return text;
}

} // namespace

TEST(TrendWindow, SavesTheCertificateOfTheLastChargeItsFarmLogged) {
    // A unit well into its charge, its cores above 56C, logged for 35 minutes.
    farmsim::FarmConfig config;
    config.units = {RunningUnit(3, true)};
    config.chargeStartSeconds = 4 * 3600;
    FarmHarness h(config, 5);
    h.ConfigureFarm();
    TrendWindow window(h.Doc(), 3, Language::Spanish);
    const std::string pdf = h.WorkingDirectory() + "/certificate.pdf";
    EXPECT_FALSE(window.SaveCertificate(QString::fromStdString(pdf)));
    EXPECT_TRUE(window.findChild<QLabel*>("trendStatus")->text().startsWith("Ning"));
    EXPECT_EQ(window.findChild<QPushButton*>("trendSaveCertificate")->accessibleName(),
              "Guardar certificado");

    h.Doc().FarmConnect(0);
    h.RunTicks(35 * 60);
    h.Doc().fARMdISCONNECT(0);
    h.RunTicks(5);
    const std::string log = h.Doc().PcLog(0).LogFileName();
    ASSERT_FALSE(log.empty());
    ASSERT_TRUE(window.SaveCertificate(QString::fromStdString(pdf)));
    const std::string text = PdfText(pdf);
    EXPECT_NE(text.find("unidad 003"), std::string::npos) << text;
    EXPECT_NE(text.find("\nTRATADO\n"), std::string::npos) << text;
    EXPECT_NE(text.find(logtools::Sha256::hexOf(ReadAll(log))), std::string::npos) << text;
    EXPECT_NE(text.find("kilnwatch "), std::string::npos);

    // A log given as the file to write is never replaced.
    ASSERT_TRUE(window.OpenPcLog(QString::fromStdString(log)));
    const std::string before = ReadAll(log);
    EXPECT_FALSE(window.SaveCertificate(QString::fromStdString(log)));
    EXPECT_EQ(ReadAll(log), before);
}
#endif
