#include "app/qt/CMainFrame.h"

#include "alarm/qt/AlarmAttention.h"
#include "app/CTreeListDoc.h"
#include "app/StringTable.h"
#include "app/WindowPlacement.h"
#include "app/qt/CAboutDlg.h"
#include "app/qt/LockIndicators.h"
#include "events/qt/EventHistoryDialog.h"
#include "kiln/qt/CMyListView.h"
#include "kiln/qt/CTreeListView.h"
#include "kiln/qt/KilnIcons.h"
#include "publish/qt/PublishingDialog.h"
#include "sheets/SheetCommands.h"
#include "trend/qt/LineHealthWindow.h"
#include "trend/qt/TrendWindow.h"
#include "widgets/UiText.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>

#include <cstdio>

namespace {

constexpr int kStatusBarId = 59393;
constexpr int kPortControlId = 1001;

// The Spanish menu texts carry no access keys; the menus get them here so that both builds can
// be worked from the keyboard. The letters shown are unchanged.
QString WithAccessKey(const QString& text, int position) {
    if (position < 0 || position >= text.size()) {
        return text;
    }
    return text.left(position) + QLatin1Char('&') + text.mid(position);
}

} // namespace

CMainFrame::CMainFrame(Language language, const std::string& workingDirectory, Seams seams,
                       QWidget* parent)
    : QMainWindow(parent), m_language(language), m_strSpeakerName(seams.speakerName),
      m_session(language, workingDirectory, std::move(seams), this, this) {
    PortControl().setObjectName(QStringLiteral("portControl%1").arg(kPortControlId));

    setWindowIcon(KilnIcons::Icon(KilnIcons::kProgram));
    resize(760, 520);
    CreateStatusBar();
    CreateClient();

    // While the tone sounds the window asks for attention as well.
    m_pAttention = new AlarmAttention(this);

    connect(&m_session, &FarmSession::ticked, this, &CMainFrame::AfterTick);
    connect(&m_session, &FarmSession::publishingNotice, this, [this](const QString& text) {
        m_strPublishingNotice = text;
        std::fprintf(stderr, "kilnwatch: %s\n", qPrintable(text));
    });
    qApp->installEventFilter(this);
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    m_session.StopTick();
    // A sheet still open (the window ended without a close) goes while the document it works
    // on is there; its exec() below this call returns once this has finished.
    EndModalDialogs();
    m_session.End();
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar%1").arg(kStatusBarId));
    bar->setSizeGripEnabled(true);
    m_pMessagePane = new QLabel(bar);
    m_pMessagePane->setAccessibleName(UiText(m_language, IDS_PANE_STATUS));
    // Plain text whose width never moves the other panes: a new line every second costs one
    // repaint of the pane, not a layout of the window.
    m_pMessagePane->setTextFormat(Qt::PlainText);
    m_pMessagePane->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar->addWidget(m_pMessagePane, 1);
    const int indicatorIds[] = {IDS_INDICATOR_CAPS, IDS_INDICATOR_NUM, IDS_INDICATOR_SCROLL};
    for (std::size_t pane = 0; pane < m_indicatorPanes.size(); ++pane) {
        auto* label = new QLabel(bar);
        const QString name = UiText(m_language, indicatorIds[pane]);
        label->setAccessibleName(name);
        // Wide enough for the text whether it is shown or not, so the panes never jump.
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(name) + 8);
        label->setAlignment(Qt::AlignCenter);
        label->setFrameShape(QFrame::NoFrame);
        bar->addPermanentWidget(label);
        m_indicatorPanes[pane] = label;
    }
}

void CMainFrame::CreateClient() {
    m_pSplitter = new QSplitter(Qt::Horizontal, this);
    m_pSplitter->setChildrenCollapsible(false);
    m_pList = new CMyListView(Document(), nullptr);
    m_pTree = new CTreeListView(Document(), *m_pList, m_pSplitter);
    m_pSplitter->addWidget(m_pTree);
    m_pSplitter->addWidget(m_pList);
    m_pSplitter->setStretchFactor(0, 0);
    m_pSplitter->setStretchFactor(1, 1);
    m_pSplitter->setSizes({kTreePaneWidth, qMax(0, width() - kTreePaneWidth)});
    setCentralWidget(m_pSplitter);
    Document().SetKilnListView(m_pList);
    connect(m_pList, &CMyListView::listStyleChanged, this, &CMainFrame::SyncViewActions);
    // Operate, a double click, New Kiln and the tree's Properties open their sheets.
    m_pSheets = new SheetCommands(Document(), *m_pList, *m_pTree, this);
}

void CMainFrame::OnInitialUpdate() {
    m_pList->OnInitialUpdate();
    m_pTree->OnInitialUpdate();
    const Language language = m_language;
    setWindowTitle(UiText(language, IDS_APP_TITLE, IDS_APP_TITLE_ES));
    CreateMenus();
    SyncViewActions(m_pList->ListStyle());
    StartPublishing();
    // The right pane is the active one: the arrow keys move through the units at once. A farm
    // without units leaves the list nothing to move through; the tree then takes the keys, to
    // pick another farm.
    if (m_pList->IsEmpty()) {
        m_pTree->setFocus(Qt::OtherFocusReason);
    } else {
        m_pList->setFocus(Qt::OtherFocusReason);
    }
    UpdateIndicators();
}

void CMainFrame::CreateMenus() {
    // English texts as they are; Spanish ones with an access key added at a fixed letter.
    auto text = [&](int englishId, int spanishId, int keyPosition) {
        const QString text = UiText(m_language, englishId, spanishId);
        return m_language == Language::Spanish ? WithAccessKey(text, keyPosition) : text;
    };
    QMenuBar* bar = menuBar();
    bar->clear();
    m_actions.clear();

    QMenu* file = bar->addMenu(text(IDS_MENU_FILE, IDS_MENU_FILE_ES, 0));
    QAction* options = file->addAction(text(IDS_MENU_OPTIONS, IDS_MENU_OPTIONS_ES, 4));
    options->setEnabled(false);
    options->setMenuRole(QAction::PreferencesRole);
    m_actions[ID_FILE_OPTIONS] = options;
    QAction* publishing = file->addAction(UiText(m_language, IDS_MENU_PUBLISHING));
    publishing->setObjectName(QStringLiteral("filePublishing"));
    connect(publishing, &QAction::triggered, this, &CMainFrame::OnPublishingSettings);
    file->addSeparator();
    QAction* exit = file->addAction(text(IDS_MENU_EXIT, IDS_MENU_EXIT_ES, 3));
    exit->setMenuRole(QAction::QuitRole);
    connect(exit, &QAction::triggered, this, &QWidget::close);
    m_actions[ID_APP_EXIT] = exit;

    QMenu* view = bar->addMenu(text(IDS_MENU_VIEW, IDS_MENU_VIEW_ES, 3));
    auto* styles = new QActionGroup(view);
    const struct {
        Command command;
        int englishId;
        int spanishId;
        int keyPosition;
        int style;
    } items[] = {
        {ID_VIEW_LARGEICON, IDS_MENU_LARGE_ICONS, IDS_MENU_LARGE_ICONS_ES, 7, 0},
        {ID_VIEW_SMALLICON, IDS_MENU_SMALL_ICONS, IDS_MENU_SMALL_ICONS_ES, 7, 1},
        {ID_VIEW_LIST, IDS_MENU_LIST, IDS_MENU_LIST_ES, 3, 2},
        {ID_VIEW_DETAILS, IDS_MENU_DETAILS, IDS_MENU_DETAILS_ES, 4, 3},
    };
    for (const auto& item : items) {
        QAction* action = view->addAction(text(item.englishId, item.spanishId, item.keyPosition));
        action->setCheckable(true);
        action->setActionGroup(styles);
        const int style = item.style;
        connect(action, &QAction::triggered, this, [this, style] { OnViewStyle(style); });
        m_actions[item.command] = action;
    }

    view->addSeparator();
    QAction* trend = view->addAction(UiText(m_language, IDS_MENU_TREND));
    trend->setObjectName("viewTrend");
    connect(trend, &QAction::triggered, this, [this] {
        TrendWindow::Show(Document(),
                          TrendWindow::UnitToShow(Document(), m_pList->CurrentLineNodeId()),
                          m_language, this);
    });
    QAction* health = view->addAction(UiText(m_language, IDS_MENU_LINE_HEALTH));
    health->setObjectName("viewLineHealth");
    connect(health, &QAction::triggered, this,
            [this] { LineHealthWindow::Show(Document(), m_language, this); });
    QAction* history = view->addAction(UiText(m_language, IDS_MENU_EVENT_HISTORY));
    history->setObjectName("viewEventHistory");
    connect(history, &QAction::triggered, this, [this] {
        // The journal is beside the PC logs unless the session's events were told otherwise.
        const SiteEvents* events = m_session.Events();
        EventHistoryDialog::Show(m_language,
                                 events != nullptr ? events->JournalDirectory()
                                                   : Document().PcLogsDirectory(),
                                 Document().LocalNow(), this);
    });

    QMenu* help = bar->addMenu(text(IDS_MENU_HELP, IDS_MENU_HELP_ES, 4));
    // The Spanish About item reads as the Help menu does.
    QAction* about = help->addAction(text(IDS_MENU_ABOUT, IDS_MENU_HELP_ES, 4));
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, this, &CMainFrame::OnAppAbout);
    m_actions[ID_APP_ABOUT] = about;
}

QAction* CMainFrame::Action(int command) const {
    const auto found = m_actions.find(command);
    return found == m_actions.end() ? nullptr : found->second;
}

void CMainFrame::OnViewStyle(int style) {
    m_pList->SetListStyle(style);
}

void CMainFrame::SyncViewActions(int style) {
    const Command commands[] = {ID_VIEW_LARGEICON, ID_VIEW_SMALLICON, ID_VIEW_LIST,
                                ID_VIEW_DETAILS};
    for (int i = 0; i < 4; ++i) {
        if (QAction* action = Action(commands[i])) {
            action->setChecked(i == style);
        }
    }
}

void CMainFrame::OnAppAbout() {
    QStringList extra;
    if (!m_strSpeakerName.isEmpty()) {
        extra << m_strSpeakerName;
    }
    if (!m_strToneNotice.isEmpty()) {
        extra << m_strToneNotice;
    }
    // On the heap: the program's end may take it down, and this window, while its exec() is
    // still below.
    const QPointer<CMainFrame> alive(this);
    m_pAbout = new CAboutDlg(m_language, extra, this);
    m_pAbout->exec();
    if (alive != nullptr) {
        delete m_pAbout.data();
    }
}

void CMainFrame::EndModalDialogs() {
    m_pSheets->EndSheets();
    if (m_pAbout != nullptr) {
        m_pAbout->reject();
        delete m_pAbout.data();
    }
    if (m_pPublishingDialog != nullptr) {
        m_pPublishingDialog->reject();
        delete m_pPublishingDialog.data();
    }
}

void CMainFrame::OnTimer() {
    m_session.Tick();
}

void CMainFrame::AfterTick() {
    m_pAttention->Update(Document().ToneSounding());
    UpdateIndicators();
}

void CMainFrame::OnPortLost() {
    CMainFrameLink::OnPortLost();
}

void CMainFrame::StartPublishing() {
    const PublishConfig config = PublishConfig::FromHive(Document().GetRegistryBackend());
    m_strPublishingNotice.clear();
    std::string error;
    if (m_session.StartPublishing(config, error)) {
        return;
    }
    m_strPublishingNotice =
        UiText(m_language, IDS_PUBLISHING_CANNOT_START).arg(QString::fromStdString(error));
    std::fprintf(stderr, "kilnwatch: %s\n", qPrintable(m_strPublishingNotice));
    // Not modal: the program polls on while the message waits to be read.
    auto* box = new QMessageBox(QMessageBox::Warning, UiText(m_language, IDS_PUBLISHING_TITLE),
                                m_strPublishingNotice, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

QString CMainFrame::PublishingState() const {
    const SitePublishing* publishing = m_session.Publishing();
    if (publishing == nullptr) {
        return m_strPublishingNotice.isEmpty() ? UiText(m_language, IDS_PUBLISHING_OFF)
                                               : m_strPublishingNotice;
    }
    QString state = UiText(m_language, publishing->Client().Connected() ? IDS_PUBLISHING_CONNECTED
                                                                        : IDS_PUBLISHING_WAITING);
    if (!m_strPublishingNotice.isEmpty()) {
        state += QStringLiteral("; ") + m_strPublishingNotice;
    }
    return state;
}

void CMainFrame::OnPublishingSettings() {
    RegistryBackend& hive = Document().GetRegistryBackend();
    // On the heap, as the About box: the program's end may take it down while it runs.
    const QPointer<CMainFrame> alive(this);
    m_pPublishingDialog =
        new PublishingDialog(m_language, PublishConfig::FromHive(hive), PublishingState(), this);
    const bool accepted = m_pPublishingDialog->exec() == QDialog::Accepted;
    if (alive == nullptr) {
        return;
    }
    const PublishConfig config =
        m_pPublishingDialog != nullptr ? m_pPublishingDialog->Config() : PublishConfig();
    delete m_pPublishingDialog.data();
    if (!accepted || m_bClosed) {
        return;
    }
    if (!config.SaveToHive(hive)) {
        QMessageBox::warning(this, UiText(m_language, IDS_PUBLISHING_TITLE),
                             UiText(m_language, IDS_PUBLISHING_NOT_SAVED));
        return;
    }
    StartPublishing();
}

void CMainFrame::SetStatusText(const std::string& text) {
    m_pMessagePane->setText(QString::fromStdString(text));
}

QString CMainFrame::StatusText() const {
    return m_pMessagePane->text();
}

QLabel* CMainFrame::IndicatorPane(int pane) const {
    if (pane < 1 || pane > static_cast<int>(m_indicatorPanes.size())) {
        return nullptr;
    }
    return m_indicatorPanes[static_cast<std::size_t>(pane - 1)];
}

void CMainFrame::UpdateIndicators() {
    const auto state = LockIndicators::Read();
    const int ids[] = {IDS_INDICATOR_CAPS, IDS_INDICATOR_NUM, IDS_INDICATOR_SCROLL};
    for (std::size_t pane = 0; pane < m_indicatorPanes.size(); ++pane) {
        const bool on = state.has_value() && (*state)[pane];
        m_indicatorPanes[pane]->setText(on ? UiText(m_language, ids[pane]) : QString());
    }
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock) {
            UpdateIndicators();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::AskLogDescriptor(CTreeListDoc& document, const std::string& previousText) {
    // Not modal: the tick and the replies go on while the operator types.
    m_descriptorPrompt.Ask(document, previousText);
}

void CMainFrame::RestoreAndRaise() {
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

bool CMainFrame::ApplyStoredPlacement(QSettings& settings) {
    settings.beginGroup(QStringLiteral("Settings"));
    const QString text = settings.value(QStringLiteral("WindowPlacement")).toString();
    settings.endGroup();
    const auto placement = WindowPlacement::Parse(text.toStdString());
    if (!placement) {
        return false;
    }
    const QRect rectangle(placement->left, placement->top, placement->Width(), placement->Height());
    // A rectangle that no screen shows (a hand-edited value, a screen since removed) would put
    // the window where nobody can reach it: the default placement serves instead.
    bool onScreen = false;
    for (const QScreen* screen : QGuiApplication::screens()) {
        onScreen = onScreen || screen->availableVirtualGeometry().intersects(rectangle);
    }
    if (rectangle.width() <= 0 || rectangle.height() <= 0 || !onScreen) {
        return false;
    }
    setGeometry(rectangle);
    m_uStartShowCommand =
        WindowPlacement::InitialShowCommand(WindowPlacement::kShowNormal, *placement);
    return true;
}

QStringList CMainFrame::ShowStartupNotices(const QString& toneNotice) {
    const CTreeListDoc& doc = Document();
    auto notice = [this](int id, const std::string& reason) {
        return UiText(m_language, id).replace(QStringLiteral("%s"), QString::fromStdString(reason));
    };
    QStringList notices;
    const std::string readProblem = doc.SettingsReadProblem();
    const std::string saveProblem = doc.SettingsSaveProblem();
    if (!readProblem.empty()) {
        notices << notice(IDS_NOTICE_HIVE_UNREADABLE, readProblem);
    } else if (!saveProblem.empty()) {
        notices << notice(IDS_NOTICE_HIVE_NOT_SAVED, saveProblem);
    }
    if (!doc.PcLoggingOffReason().empty()) {
        notices << notice(IDS_NOTICE_PC_LOGGING_OFF, doc.PcLoggingOffReason());
    }
    // The tone's notice is for the status bar only: the program runs as it should otherwise.
    QStringList shown = notices;
    if (!toneNotice.isEmpty()) {
        shown << toneNotice;
    }
    ShowToneNotice(toneNotice);
    if (!shown.isEmpty()) {
        m_pMessagePane->setText(shown.join(QStringLiteral("; ")));
    }
    if (notices.isEmpty()) {
        return notices;
    }
    // Window-modal, so the tick and the replies go on until the operator has read it.
    auto* box = new QMessageBox(QMessageBox::Warning, UiText(m_language, IDS_NOTICE_TITLE),
                                notices.join(QStringLiteral("\n\n")), QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->button(QMessageBox::Ok)->setText(UiText(m_language, IDS_ABOUT_OK));
    box->open();
    return notices;
}

void CMainFrame::ShowToneNotice(const QString& notice) {
    m_strToneNotice = notice;
    if (notice.isEmpty()) {
        if (m_pToneIndicator != nullptr) {
            m_pToneIndicator->hide();
        }
        return;
    }
    if (m_pToneIndicator == nullptr) {
        m_pToneIndicator = new QLabel(statusBar());
        m_pToneIndicator->setTextFormat(Qt::PlainText);
        m_pToneIndicator->setText(UiText(m_language, IDS_NO_ALARM_TONE));
        m_pToneIndicator->setAccessibleName(m_pToneIndicator->text());
        // After the message pane, left of the lock indicators, which keep their places.
        statusBar()->insertPermanentWidget(1, m_pToneIndicator);
    }
    m_pToneIndicator->setToolTip(notice);
    m_pToneIndicator->setAccessibleDescription(notice);
    m_pToneIndicator->show();
}

void CMainFrame::ShowAsPlaced() {
    switch (m_uStartShowCommand) {
    case WindowPlacement::kShowMaximized:
        showMaximized();
        break;
    case WindowPlacement::kShowMinimized:
        showMinimized();
        break;
    default:
        show();
        break;
    }
}

QString CMainFrame::PlacementText() const {
    WindowPlacement placement;
    placement.showCommand = isMinimized()   ? WindowPlacement::kShowMinimized
                            : isMaximized() ? WindowPlacement::kShowMaximized
                                            : WindowPlacement::kShowNormal;
    const QRect normal = isMinimized() || isMaximized() ? normalGeometry() : geometry();
    placement.left = normal.left();
    placement.top = normal.top();
    placement.right = normal.left() + normal.width();
    placement.bottom = normal.top() + normal.height();
    return QString::fromStdString(placement.Format());
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // However the end comes (Exit, the session's end, a signal), a sheet open under it is ended
    // first, as its Cancel would: nothing unapplied is sent, and it is gone before the port.
    EndModalDialogs();
    OnClose();
    event->accept();
}

void CMainFrame::OnClose() {
    if (m_bClosed) {
        return;
    }
    m_bClosed = true;
    if (IsPortOpen()) {
        mf_pORT_cLOSE();
    }
    // The farm's disconnection and the program's goodbye go out before the window goes.
    m_session.StopPublishing();
    QSettings settings;
    settings.beginGroup(QStringLiteral("Settings"));
    settings.setValue(QStringLiteral("WindowPlacement"), PlacementText());
    settings.endGroup();
    settings.sync();
}
