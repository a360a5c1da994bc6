#include "app/qt/CTreeListApp.h"

#include "alarm/AlarmToneRoute.h"
#include "alarm/qt/ChooseAlarmToneBackend.h"
#include "app/CTreeListDoc.h"
#include "app/StringTable.h"
#include "app/qt/SingleInstanceGuard.h"
#include "session/StopSignals.h"

#include <QGuiApplication>
#include <QSettings>

CTreeListApp::CTreeListApp(Language language, QObject* parent)
    : QObject(parent), m_language(language) {}

CTreeListApp::~CTreeListApp() {
    ExitInstance();
}

QString CTreeListApp::WindowClassName() const {
    // The first line of the document template string, and " Class".
    const QString templateString =
        QString::fromStdString(StringTable::Text(m_language, IDR_MAINFRAME));
    return templateString.section(QLatin1Char('\n'), 0, 0) + QStringLiteral(" Class");
}

bool CTreeListApp::InitInstance(Options options) {
    m_pGuard = std::make_unique<SingleInstanceGuard>(WindowClassName(), options.guardDirectory);
    if (!m_pGuard->Acquire()) {
        return false;
    }
    // How the alarm tone reaches the operator is decided once, from the machine's hardware.
    std::string toneNotice;
    if (!options.seams.speaker) {
        AlarmToneRoute route = AlarmToneRoute::None;
        options.seams.speaker = ChooseAlarmToneBackend(route);
        options.seams.speakerName = QString::fromStdString(AlarmToneAboutLine(route, m_language));
        toneNotice = AlarmToneNotice(route, m_language);
    }
    m_pFrame = std::make_unique<CMainFrame>(m_language, options.workingDirectory,
                                            std::move(options.seams));
    connect(m_pGuard.get(), &SingleInstanceGuard::raiseRequested, m_pFrame.get(),
            &CMainFrame::RestoreAndRaise);
    m_pFrame->Document().OnNewDocument();
    m_pFrame->OnInitialUpdate();
    QSettings settings;
    m_pFrame->ApplyStoredPlacement(settings);
    m_pFrame->ApplyStoredViewSettings(settings);
    m_pFrame->ShowAsPlaced();
    m_pFrame->ShowStartupNotices(QString::fromStdString(toneNotice));
    m_pFrame->StartTimer();
    // From here on the program has something to end in order.
    m_pStopSignals = std::make_unique<StopSignals>();
    connect(m_pStopSignals.get(), &StopSignals::stopRequested, this, &CTreeListApp::EndProgram);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &CTreeListApp::EndProgram);
    return true;
}

void CTreeListApp::EndProgram() {
    if (m_pFrame) {
        m_pFrame->close();
    }
}

int CTreeListApp::ExitInstance() {
    // The frame ends its session (the tick, then the document, then the session's parts)
    // before its own widgets.
    m_pFrame.reset();
    // A stop asked for while the document ended finds nothing left to do.
    m_pStopSignals.reset();
    m_pGuard.reset();
    return 0;
}
