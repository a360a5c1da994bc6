#include "trend/qt/TrendWindow.h"

#include "app/CTreeListDoc.h"
#include "app/StringTable.h"
#include "kiln/TrendUnit.h"
#ifdef KILNWATCH_CERTIFICATES
#include "tools/cert/CertificatePdf.h"
#endif
#include "tools/treat/LogTimestamp.h"

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

QString TrendWindow::Text(const char* english, const char* spanish) const {
    return QString::fromUtf8(m_language == Language::English ? english : spanish);
}

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

    auto* thresholdLabel = new QLabel(Text("&Threshold:", "&Umbral:"), this);
    m_threshold =
        new QLineEdit(QString::fromStdString(m_rule.thresholdText()).section(' ', 0, 0), this);
    m_threshold->setObjectName("trendThreshold");
    m_threshold->setAccessibleName(Text("Core threshold", "Umbral del n\xC3\xBA"
                                                          "cleo"));
    m_threshold->setMaximumWidth(90);
    thresholdLabel->setBuddy(m_threshold);
    auto* minutesLabel = new QLabel(Text("&Minutes:", "&Minutos:"), this);
    m_minutes = new QSpinBox(this);
    m_minutes->setObjectName("trendMinutes");
    m_minutes->setAccessibleName(Text("Minutes required", "Minutos requeridos"));
    m_minutes->setRange(1, 24 * 60);
    m_minutes->setValue(m_rule.minutes());
    minutesLabel->setBuddy(m_minutes);
    auto* unitLabel = new QLabel(Text("U&nit:", "U&nidad:"), this);
    m_unit = new QComboBox(this);
    m_unit->setObjectName("trendUnit");
    m_unit->setAccessibleName(Text("Unit", "Unidad"));
    unitLabel->setBuddy(m_unit);
    m_openLog = new QPushButton(
        Text("&Open PC log\xE2\x80\xA6", "&Abrir registro del PC\xE2\x80\xA6"), this);
    m_openLog->setObjectName("trendOpenLog");
    m_openLog->setAccessibleName(Text("Open PC log", "Abrir registro del PC"));
    m_live = new QPushButton(Text("&Live", "&En vivo"), this);
    m_live->setObjectName("trendLive");
    m_live->setAccessibleName(Text("Back to the live trend", "Volver a la tendencia en vivo"));
    m_live->setEnabled(false);
    m_saveCertificate = new QPushButton(
        QString::fromStdString(StringTable::Text(language, IDS_TREND_SAVE_CERTIFICATE)), this);
    m_saveCertificate->setObjectName("trendSaveCertificate");
    m_saveCertificate->setAccessibleName(
        QString::fromStdString(StringTable::Text(language, IDS_TREND_SAVE_CERTIFICATE_NAME)));
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
        m_status->setText(Text("The threshold is a temperature such as 56C or 133F.",
                               "El umbral es una temperatura como 56C o 133F."));
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
    const QString path = QFileDialog::getOpenFileName(
        this, Text("Open PC log", "Abrir registro del PC"),
        QString::fromStdString(m_document.PcLogsDirectory()),
        Text("PC logs (*.CSV *.csv);;All files (*)",
             "Registros del PC (*.CSV *.csv);;Todos los archivos (*)"));
    if (!path.isEmpty()) {
        OpenPcLog(path);
    }
}

void TrendWindow::AskForCertificateFile() {
    const auto text = [this](int id) {
        return QString::fromStdString(StringTable::Text(m_language, id));
    };
    const QString suggested = QDir(QString::fromStdString(m_document.PcLogsDirectory()))
                                  .filePath(QString::asprintf("certificate_%03d.pdf", m_nodeId));
    const QString path = QFileDialog::getSaveFileName(
        this, text(IDS_TREND_SAVE_CERTIFICATE_NAME), suggested, text(IDS_TREND_CERTIFICATE_FILTER));
    if (!path.isEmpty()) {
        SaveCertificate(path);
    }
}

bool TrendWindow::SaveCertificate(const QString& path) {
    const auto text = [this](int id) {
        return QString::fromStdString(StringTable::Text(m_language, id));
    };
    const std::string log = ShowingLog()
                                ? m_logPath.toStdString()
                                : m_document.PcLog(m_document.CurrentFarmIndex()).LogFileName();
    if (log.empty()) {
        m_status->setText(text(IDS_TREND_CERTIFICATE_NO_LOG));
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
        m_status->setText(text(IDS_TREND_CERTIFICATE_FAILED).arg(QString::fromStdString(error)));
        return false;
    }
    m_status->setText(text(IDS_TREND_CERTIFICATE_SAVED)
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
        m_status->setText(Text("%1: the log %2.", "%1: el registro no se pudo leer (%2).")
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
    const bool english = m_language == Language::English;
    const QString source = ShowingLog() ? QFileInfo(m_logPath).fileName()
                                        : Text("this connection", "esta conexi\xC3\xB3n");
    setWindowTitle((english ? tr("Trend of unit %1 - %2")
                            : QString::fromUtf8("La tendencia de la unidad %1 - %2"))
                       .arg(QString::asprintf("%03d", m_plot.NodeId()), source));
    m_chart->removeAllSeries();
    for (QAbstractAxis* axis : m_chart->axes()) {
        m_chart->removeAxis(axis);
        delete axis;
    }
    const QString scale = QString(QChar(0x00B0)) + (m_plot.Centigrade() ? "C" : "F");
    auto* timeAxis = new QDateTimeAxis;
    timeAxis->setTitleText(Text("Time", "Hora"));
    auto* valueAxis = new QValueAxis;
    valueAxis->setTitleText(
        QString::fromUtf8(english ? "Temperature (%1)" : "Temperatura (%1)").arg(scale));
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
        area->setName(span.longEnough ? Text("Held long enough", "Mantenido lo suficiente")
                                      : Text("At threshold", "En el umbral"));
        attach(area);
        bool& firstOfKind = firstShade[span.longEnough ? 1 : 0];
        const auto markers = m_chart->legend()->markers(area);
        for (QLegendMarker* marker : markers) {
            marker->setVisible(firstOfKind);
        }
        firstOfKind = false;
    }
    static const char* const kEnglish[TrendPlot::kChannels] = {"Core 1", "Core 2", "Core 3",
                                                               "Chamber"};
    static const char* const kSpanish[TrendPlot::kChannels] = {"N\xC3\xBA"
                                                               "cleo 1",
                                                               "N\xC3\xBA"
                                                               "cleo 2",
                                                               "N\xC3\xBA"
                                                               "cleo 3",
                                                               "C\xC3\xA1mara"};
    for (int channel = 0; channel < TrendPlot::kChannels; ++channel) {
        bool named = false;
        for (const TrendPlot::Segment& segment : m_plot.Segments(channel)) {
            auto* series = new QLineSeries;
            series->setPen(ChannelPen(channel));
            series->setName(Text(kEnglish[channel], kSpanish[channel]));
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
        Text("Threshold %1%2", "Umbral %1%2").arg(m_plot.ThresholdReading()).arg(scale));
    threshold->append(AxisTime(first), m_plot.ThresholdReading());
    threshold->append(AxisTime(last), m_plot.ThresholdReading());
    attach(threshold);

    QString status;
    if (!ShowingLog()) {
        const logtools::UnitTreatment* logged = m_follower.unit(m_nodeId);
        status = Text("%1 readings on the chart. The verdict counts the PC log's lines of this "
                      "unit, one a minute while it runs: %2 lines, %3 stretches at threshold; "
                      "every core for %4 minutes at %5: %6",
                      "%1 lecturas en el gr\xC3\xA1"
                      "fico. El veredicto cuenta las l\xC3\xAD"
                      "neas de esta unidad en el registro del PC, una por minuto mientras "
                      "corre: %2 l\xC3\xAD"
                      "neas, %3 tramos en el umbral; cada n\xC3\xBA"
                      "cleo durante %4 minutos a %5: %6")
                     .arg(m_plot.SampleCount())
                     .arg(logged != nullptr ? logged->lines() : 0)
                     .arg(m_plot.Stretches().size())
                     .arg(m_rule.minutes())
                     .arg(QString::fromStdString(m_rule.thresholdText()))
                     .arg(m_plot.Treated() ? Text("TREATED", "TRATADO")
                                           : Text("NOT TREATED", "NO TRATADO"));
    } else if (m_plot.Empty()) {
        status = Text("No readings of this unit yet.", "Todav\xC3\xAD"
                                                       "a no hay lecturas de esta unidad.");
    } else {
        status = QString::fromUtf8(english ? "%1 readings, %2 stretches at threshold; %3 for %4 "
                                             "minutes at %5: %6"
                                           : "%1 lecturas, %2 tramos en el umbral; %3 durante %4 "
                                             "minutos a %5: %6")
                     .arg(m_plot.SampleCount())
                     .arg(m_plot.Stretches().size())
                     .arg(Text("every core", "cada n\xC3\xBA"
                                             "cleo"))
                     .arg(m_rule.minutes())
                     .arg(QString::fromStdString(m_rule.thresholdText()))
                     .arg(m_plot.Treated() ? Text("TREATED", "TRATADO")
                                           : Text("NOT TREATED", "NO TRATADO"));
    }
    m_status->setText(status);
    m_chart->setTitle(windowTitle());
}
