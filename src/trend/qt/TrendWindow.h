#pragma once

#include "app/Language.h"
#include "tools/treat/PcLogFollower.h"
#include "tools/treat/TreatmentRule.h"
#include "trend/TrendPlot.h"

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <vector>

class CTreeListDoc;
class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// The Trend window of one unit: its three core temperatures and the chamber temperature over
// the connection, in the unit's own scale, with the treatment threshold as a line and the
// stretches at threshold shaded (darker where a stretch lasted the required time). Lines
// break where the unit did not answer. The curves are the readings of every minute in every
// mode; the stretches and the verdict are those of the connection's PC log, which holds a line
// for a running unit only, so the window never says more than the kept record proves.
// "Open PC log…" shows a past log's unit the same way.
// Non-modal; one window per unit.
class TrendWindow : public QWidget {
    Q_OBJECT

public:
    // The live trend of a unit of the connected farm.
    TrendWindow(const CTreeListDoc& document, int nodeId, Language language,
                QWidget* parent = nullptr);

    // Opens the unit's Trend window, or raises it when it is open already.
    static TrendWindow* Show(const CTreeListDoc& document, int nodeId, Language language,
                             QWidget* parent);

    // The unit the Trend command shows: the kiln list's current line (its node ID, 0 for
    // none), else the farm's selected unit, else its first unit.
    static int UnitToShow(const CTreeListDoc& document, int currentLineNodeId = 0);

    // Shows the unit of a PC log instead of the live trend; false (the window unchanged, the
    // reason shown) when the log cannot be read.
    bool OpenPcLog(const QString& path);

    // Writes the treatment certificate of the unit's charge shown (the opened PC log's, else
    // the connection's current or last log) to path; false, with the reason shown, when no
    // log holds it or it cannot be written.
    bool SaveCertificate(const QString& path);

    const TrendPlot& Plot() const { return m_plot; }
    QChart& Chart() { return *m_chart; }
    bool ShowingLog() const { return !m_logPath.isEmpty(); }
    const logtools::TreatmentRule& Rule() const { return m_rule; }
    int NodeId() const { return m_nodeId; }

public slots:
    void Refresh();

private:
    void AskForPcLog();
    void AskForCertificateFile();
    void RuleEdited();
    void UnitChosen(int index);
    void ListLiveUnits();
    void Draw();

    const CTreeListDoc& m_document;
    int m_nodeId;
    Language m_language;
    logtools::TreatmentRule m_rule;
    // The live verdict is the connection's PC log's: read as it grows, with the window's rule.
    logtools::PcLogFollower m_follower;
    std::vector<int> m_liveUnits;
    TrendPlot m_plot;
    QString m_logPath;
    std::vector<int> m_logUnits;
    QChart* m_chart = nullptr;
    QChartView* m_view = nullptr;
    QLabel* m_status = nullptr;
    QLineEdit* m_threshold = nullptr;
    QSpinBox* m_minutes = nullptr;
    QComboBox* m_unit = nullptr;
    QPushButton* m_openLog = nullptr;
    QPushButton* m_live = nullptr;
    QPushButton* m_saveCertificate = nullptr;
    QTimer m_timer;
};
