#include "trend/qt/TrendWindow.h"

#include "app/CTreeListDoc.h"
#include "app/StringTable.h"
#include "kiln/TrendUnit.h"
#ifdef KILNWATCH_CERTIFICATES
#include "tools/cert/CertificatePdf.h"
#endif
#include "tools/treat/LogTimestamp.h"
#include "widgets/UiText.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QMap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QValueAxis>

namespace {

// Log times are local clock readings; the axis shows local time, so they are placed as the
// local times they name.
qreal AxisTime(std::int64_t logSeconds) {
    const std::int64_t days =
        logSeconds >= 0 ? logSeconds / 86400 : -((-logSeconds + 86399) / 86400);
    const int ofDay = static_cast<int>(logSeconds - days * 86400);
    const QDateTime when(QDate(2000, 1, 1).addDays(days), QTime(0, 0).addSecs(ofDay));
    return static_cast<qreal>(when.toMSecsSinceEpoch());
}

// Each temperature differs in line style as well as colour, to read on a grey-scale screen.
QPen ChannelPen(int channel) {
    static const Qt::GlobalColor kColours[TrendPlot::kChannels] = {Qt::darkBlue, Qt::darkGreen,
                                                                   Qt::darkMagenta, Qt::black};
    static const Qt::PenStyle kStyles[TrendPlot::kChannels] = {Qt::SolidLine, Qt::DashLine,
                                                               Qt::DotLine, Qt::DashDotLine};
    QPen pen(kColours[channel]);
    pen.setStyle(kStyles[channel]);
    pen.setWidthF(channel == 3 ? 1.5 : 2.0);
    return pen;
}

} // namespace

TrendWindow::TrendWindow(const CTreeListDoc& document, int nodeId, Language language,
                         QWidget* parent)
    : QWidget(parent, Qt::Window), m_document(document), m_nodeId(nodeId), m_language(language),
      m_follower(m_rule) {
    setObjectName("trendWindow");
    setAttribute(Qt::WA_DeleteOnClose);

    m_chart = new QChart();
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    // Legend entries drawn as the lines themselves, so their styles tell them apart in grey.
    m_chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    m_view = new QChartView(m_chart, this);
    m_view->setObjectName("trendChart");
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setMinimumSize(560, 320);

    auto* thresholdLabel = new QLabel(UiText(language, IDS_TREND_THRESHOLD_LABEL), this);
    m_threshold =
        new QLineEdit(QString::fromStdString(m_rule.thresholdText()).section(' ', 0, 0), this);
    m_threshold->setObjectName("trendThreshold");
    m_threshold->setAccessibleName(UiText(language, IDS_TREND_THRESHOLD_NAME));
    m_threshold->setMaximumWidth(90);
    thresholdLabel->setBuddy(m_threshold);
    auto* minutesLabel = new QLabel(UiText(language, IDS_TREND_MINUTES_LABEL), this);
    m_minutes = new QSpinBox(this);
    m_minutes->setObjectName("trendMinutes");
    m_minutes->setAccessibleName(UiText(language, IDS_TREND_MINUTES_NAME));
    m_minutes->setRange(1, 24 * 60);
    m_minutes->setValue(m_rule.minutes());
    minutesLabel->setBuddy(m_minutes);
    auto* unitLabel = new QLabel(UiText(language, IDS_TREND_UNIT_LABEL), this);
    m_unit = new QComboBox(this);
    m_unit->setObjectName("trendUnit");
    m_unit->setAccessibleName(UiText(language, IDS_TREND_UNIT_NAME));
    unitLabel->setBuddy(m_unit);
    m_openLog = new QPushButton(UiText(language, IDS_TREND_OPEN_LOG_BUTTON), this);
    m_openLog->setObjectName("trendOpenLog");
    m_openLog->setAccessibleName(UiText(language, IDS_TREND_OPEN_LOG));
    m_live = new QPushButton(UiText(language, IDS_TREND_LIVE_BUTTON), this);
    m_live->setObjectName("trendLive");
    m_live->setAccessibleName(UiText(language, IDS_TREND_LIVE_NAME));
    m_live->setEnabled(false);
    m_saveCertificate = new QPushButton(UiText(language, IDS_TREND_SAVE_CERTIFICATE), this);
    m_saveCertificate->setObjectName("trendSaveCertificate");
    m_saveCertificate->setAccessibleName(UiText(language, IDS_TREND_SAVE_CERTIFICATE_NAME));
    m_status = new QLabel(this);
    m_status->setObjectName("trendStatus");
    m_status->setWordWrap(true);

    auto* controls = new QHBoxLayout;
    controls->addWidget(thresholdLabel);
    controls->addWidget(m_threshold);
    controls->addWidget(minutesLabel);
    controls->addWidget(m_minutes);
    controls->addWidget(unitLabel);
    controls->addWidget(m_unit);
    controls->addStretch();
    controls->addWidget(m_openLog);
    controls->addWidget(m_live);
    controls->addWidget(m_saveCertificate);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_status);
    resize(820, 520);

    connect(m_threshold, &QLineEdit::editingFinished, this, &TrendWindow::RuleEdited);
    connect(m_minutes, &QSpinBox::valueChanged, this, &TrendWindow::RuleEdited);
    connect(m_unit, &QComboBox::activated, this, &TrendWindow::UnitChosen);
    connect(m_openLog, &QPushButton::clicked, this, &TrendWindow::AskForPcLog);
    connect(m_saveCertificate, &QPushButton::clicked, this, &TrendWindow::AskForCertificateFile);
    connect(m_live, &QPushButton::clicked, this, [this] {
        m_logPath.clear();
        m_logUnits.clear();
        m_live->setEnabled(false);
        ListLiveUnits();
        Refresh();
    });
    // A unit is asked once a minute at most often enough to add a sample; ten seconds keeps
    // the chart current without redrawing it every tick.
    m_timer.setInterval(10000);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (!ShowingLog()) {
            Refresh();
        }
    });
    m_timer.start();
    ListLiveUnits();
    Refresh();
}

void TrendWindow::ListLiveUnits() {
    const FarmRecord& farm = m_document.Farm(m_document.CurrentFarmIndex());
    m_liveUnits.clear();
    m_unit->clear();
    for (int index = 0; index < kUnitSlotCount; ++index) {
        if (farm.Unit(index) == nullptr) {
            continue;
        }
        m_liveUnits.push_back(index + 1);
        m_unit->addItem(QString::asprintf("%03d", index + 1));
        if (index + 1 == m_nodeId) {
            m_unit->setCurrentIndex(m_unit->count() - 1);
        }
    }
    m_unit->setEnabled(!m_liveUnits.empty());
}

TrendWindow* TrendWindow::Show(const CTreeListDoc& document, int nodeId, Language language,
                               QWidget* parent) {
    static QMap<int, QPointer<TrendWindow>> open;
    QPointer<TrendWindow>& window = open[nodeId];
    if (window.isNull()) {
        window = new TrendWindow(document, nodeId, language, parent);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window.data();
}

int TrendWindow::UnitToShow(const CTreeListDoc& document, int currentLineNodeId) {
    return TrendUnitToShow(document.Farm(document.CurrentFarmIndex()), currentLineNodeId);
}

void TrendWindow::RuleEdited() {
    logtools::TreatmentRule rule = m_rule;
    if (!rule.setThreshold(m_threshold->text().trimmed().toStdString()) ||
        !rule.setMinutes(m_minutes->value())) {
        m_status->setText(UiText(m_language, IDS_TREND_BAD_THRESHOLD));
        return;
    }
    m_rule = rule;
    m_follower = logtools::PcLogFollower(m_rule);
    if (ShowingLog()) {
        OpenPcLog(m_logPath);
    } else {
        Refresh();
    }
}

void TrendWindow::AskForPcLog() {
    const QString path =
        QFileDialog::getOpenFileName(this, UiText(m_language, IDS_TREND_OPEN_LOG),
                                     QString::fromStdString(m_document.PcLogsDirectory()),
                                     UiText(m_language, IDS_TREND_LOG_FILTER));
    if (!path.isEmpty()) {
        OpenPcLog(path);
    }
}

void TrendWindow::AskForCertificateFile() {
    const QString suggested = QDir(QString::fromStdString(m_document.PcLogsDirectory()))
                                  .filePath(QString::asprintf("certificate_%03d.pdf", m_nodeId));
    const QString path =
        QFileDialog::getSaveFileName(this, UiText(m_language, IDS_TREND_SAVE_CERTIFICATE_NAME),
                                     suggested, UiText(m_language, IDS_TREND_CERTIFICATE_FILTER));
    if (!path.isEmpty()) {
        SaveCertificate(path);
    }
}

bool TrendWindow::SaveCertificate(const QString& path) {
    const std::string log = ShowingLog()
                                ? m_logPath.toStdString()
                                : m_document.PcLog(m_document.CurrentFarmIndex()).LogFileName();
    if (log.empty()) {
        m_status->setText(UiText(m_language, IDS_TREND_CERTIFICATE_NO_LOG));
        return false;
    }
    std::string error = "not available in this build";
#ifdef KILNWATCH_CERTIFICATES
    logtools::CertificateOptions options;
    options.spanish = m_language == Language::Spanish;
    options.paper = logtools::CertificateOptions::paperOfEnvironment();
    options.program = "kilnwatch";
    if (!logtools::CertificatePdf::writeFromLogs(path.toStdString(), {log}, m_rule, m_nodeId,
                                                 options, error))
#endif
    {
        m_status->setText(
            UiText(m_language, IDS_TREND_CERTIFICATE_FAILED).arg(QString::fromStdString(error)));
        return false;
    }
    m_status->setText(UiText(m_language, IDS_TREND_CERTIFICATE_SAVED)
                          .arg(QString::asprintf("%03d", m_nodeId), QFileInfo(path).fileName()));
    return true;
}

void TrendWindow::UnitChosen(int index) {
    const std::vector<int>& units = ShowingLog() ? m_logUnits : m_liveUnits;
    if (index < 0 || index >= static_cast<int>(units.size())) {
        return;
    }
    m_nodeId = units[static_cast<std::size_t>(index)];
    if (ShowingLog()) {
        OpenPcLog(m_logPath);
    } else {
        Refresh();
    }
}

bool TrendWindow::OpenPcLog(const QString& path) {
    TrendPlot plot;
    std::vector<int> units;
    std::string error;
    if (!TrendPlot::FromPcLog(path.toStdString(), m_nodeId, m_rule, plot, units, error)) {
        m_status->setText(UiText(m_language, IDS_TREND_LOG_UNREADABLE)
                              .arg(QFileInfo(path).fileName(), QString::fromStdString(error)));
        return false;
    }
    // A log without the unit shows its first unit.
    if (plot.Empty() && !units.empty()) {
        m_nodeId = units.front();
        TrendPlot::FromPcLog(path.toStdString(), m_nodeId, m_rule, plot, units, error);
    }
    m_plot = std::move(plot);
    m_logPath = path;
    m_logUnits = units;
    m_unit->clear();
    for (const int unit : units) {
        m_unit->addItem(QString::asprintf("%03d", unit));
        if (unit == m_nodeId) {
            m_unit->setCurrentIndex(m_unit->count() - 1);
        }
    }
    m_unit->setEnabled(!units.empty());
    m_live->setEnabled(true);
    Draw();
    return true;
}

void TrendWindow::Refresh() {
    if (ShowingLog()) {
        return;
    }
    m_plot = TrendPlot::FromSamples(m_nodeId, m_document.Trends().Samples(m_nodeId), m_rule);
    const std::string& log = m_document.PcLog(m_document.CurrentFarmIndex()).LogFileName();
    if (log.empty()) {
        m_follower.reset();
    } else {
        m_follower.follow(log);
    }
    m_plot.TakeTreatment(log.empty() ? nullptr : m_follower.unit(m_nodeId), m_rule);
    Draw();
}

void TrendWindow::Draw() {
    const QString source = ShowingLog() ? QFileInfo(m_logPath).fileName()
                                        : UiText(m_language, IDS_TREND_THIS_CONNECTION);
    setWindowTitle(UiText(m_language, IDS_TREND_TITLE)
                       .arg(QString::asprintf("%03d", m_plot.NodeId()), source));
    m_chart->removeAllSeries();
    for (QAbstractAxis* axis : m_chart->axes()) {
        m_chart->removeAxis(axis);
        delete axis;
    }
    const QString scale = QString(QChar(0x00B0)) + (m_plot.Centigrade() ? "C" : "F");
    auto* timeAxis = new QDateTimeAxis;
    timeAxis->setTitleText(UiText(m_language, IDS_TREND_AXIS_TIME));
    auto* valueAxis = new QValueAxis;
    valueAxis->setTitleText(UiText(m_language, IDS_TREND_AXIS_TEMPERATURE).arg(scale));
    m_chart->addAxis(timeAxis, Qt::AlignBottom);
    m_chart->addAxis(valueAxis, Qt::AlignLeft);
    const int low = m_plot.Lowest() - 5;
    const int high = m_plot.Highest() + 5;
    valueAxis->setRange(low, high);
    valueAxis->applyNiceNumbers();
    valueAxis->setLabelFormat("%.0f");
    // The shading spans the whole height of the axis as rounded.
    const qreal top = valueAxis->max();
    const qreal bottom = valueAxis->min();
    std::int64_t first = m_plot.FirstTime();
    std::int64_t last = m_plot.LastTime();
    if (m_plot.Empty()) {
        first = m_document.Trends().ConnectionStart();
        last = first;
    }
    if (last <= first) {
        last = first + 60;
    }
    timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(AxisTime(first))),
                       QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(AxisTime(last))));

    // Seconds on the time axis while the trend is short, the day once it is long.
    timeAxis->setFormat(last - first < 1800 ? "hh:mm:ss" : "dd/MM hh:mm");

    auto attach = [&](QAbstractSeries* series) {
        m_chart->addSeries(series);
        series->attachAxis(timeAxis);
        series->attachAxis(valueAxis);
    };
    // Shading first, so the lines are drawn over it; dense crosses where the stretch lasted the
    // required time, sparse ones where it did not, for a grey-scale screen.
    bool firstShade[2] = {true, true};
    for (const TrendPlot::Span& span : m_plot.Stretches()) {
        auto* upper = new QLineSeries;
        auto* lower = new QLineSeries;
        upper->append(AxisTime(span.from), top);
        upper->append(AxisTime(span.to), top);
        lower->append(AxisTime(span.from), bottom);
        lower->append(AxisTime(span.to), bottom);
        auto* area = new QAreaSeries(upper, lower);
        upper->setParent(area);
        lower->setParent(area);
        QBrush brush(span.longEnough ? QColor(255, 200, 0, 110) : QColor(160, 160, 160, 70),
                     span.longEnough ? Qt::Dense4Pattern : Qt::Dense6Pattern);
        area->setBrush(brush);
        area->setPen(Qt::NoPen);
        area->setName(UiText(m_language, span.longEnough ? IDS_TREND_HELD_LONG_ENOUGH
                                                         : IDS_TREND_AT_THRESHOLD));
        attach(area);
        bool& firstOfKind = firstShade[span.longEnough ? 1 : 0];
        const auto markers = m_chart->legend()->markers(area);
        for (QLegendMarker* marker : markers) {
            marker->setVisible(firstOfKind);
        }
        firstOfKind = false;
    }
    static const int kChannelNames[TrendPlot::kChannels] = {IDS_TREND_CORE1, IDS_TREND_CORE2,
                                                            IDS_TREND_CORE3, IDS_TREND_CHAMBER};
    for (int channel = 0; channel < TrendPlot::kChannels; ++channel) {
        bool named = false;
        for (const TrendPlot::Segment& segment : m_plot.Segments(channel)) {
            auto* series = new QLineSeries;
            series->setPen(ChannelPen(channel));
            series->setName(UiText(m_language, kChannelNames[channel]));
            for (const TrendPlot::Point& point : segment) {
                series->append(AxisTime(point.time), point.value);
            }
            // A lone reading between gaps is still seen.
            series->setPointsVisible(segment.size() == 1);
            attach(series);
            // One legend entry per temperature, however many pieces its line is in.
            for (QLegendMarker* marker : m_chart->legend()->markers(series)) {
                marker->setVisible(!named);
            }
            named = true;
        }
    }
    auto* threshold = new QLineSeries;
    QPen thresholdPen(Qt::red);
    thresholdPen.setStyle(Qt::DashDotDotLine);
    thresholdPen.setWidthF(1.5);
    threshold->setPen(thresholdPen);
    threshold->setName(
        UiText(m_language, IDS_TREND_THRESHOLD_LINE).arg(m_plot.ThresholdReading()).arg(scale));
    threshold->append(AxisTime(first), m_plot.ThresholdReading());
    threshold->append(AxisTime(last), m_plot.ThresholdReading());
    attach(threshold);

    QString status;
    if (!ShowingLog()) {
        const logtools::UnitTreatment* logged = m_follower.unit(m_nodeId);
        status = UiText(m_language, IDS_TREND_LIVE_STATUS)
                     .arg(m_plot.SampleCount())
                     .arg(logged != nullptr ? logged->lines() : 0)
                     .arg(m_plot.Stretches().size())
                     .arg(m_rule.minutes())
                     .arg(QString::fromStdString(m_rule.thresholdText()))
                     .arg(UiText(m_language,
                                 m_plot.Treated() ? IDS_TREND_TREATED : IDS_TREND_NOT_TREATED));
    } else if (m_plot.Empty()) {
        status = UiText(m_language, IDS_TREND_NO_READINGS);
    } else {
        status = UiText(m_language, IDS_TREND_LOG_STATUS)
                     .arg(m_plot.SampleCount())
                     .arg(m_plot.Stretches().size())
                     .arg(UiText(m_language, IDS_TREND_EVERY_CORE))
                     .arg(m_rule.minutes())
                     .arg(QString::fromStdString(m_rule.thresholdText()))
                     .arg(UiText(m_language,
                                 m_plot.Treated() ? IDS_TREND_TREATED : IDS_TREND_NOT_TREATED));
    }
    m_status->setText(status);
    m_chart->setTitle(windowTitle());
}
