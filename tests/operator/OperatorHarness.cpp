#include "OperatorHarness.h"

#include "OperatorLine.h"

#include "app/CTreeListDoc.h"
#include "app/qt/CMainFrame.h"
#include "events/qt/AlarmsPane.h"
#include "kiln/qt/CAddKilnDialog.h"
#include "kiln/qt/CMyListView.h"
#include "kiln/qt/CTreeListView.h"
#include "kiln/qt/KilnListModel.h"
#include "pclog/qt/CLogDescriptorDialog.h"
#include "sheets/CPaletteSheet.h"
#include "sheets/SheetCommands.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

// Local time runs with the line, from 08:14:57 on 6 December 2006.
class OperatorHarness::LineClock : public Clock {
public:
    explicit LineClock(const OperatorFarms& farms) : m_farms(farms) {}
    LocalDateTime Now() const override {
        constexpr std::int64_t kStartSeconds = 8 * 3600 + 14 * 60 + 57;
        const std::int64_t seconds = kStartSeconds + m_farms.NowMs() / 1000;
        LocalDateTime when;
        when.year = 2006;
        when.month = 12;
        when.day = 6 + static_cast<int>(seconds / 86400); // runs last hours, not weeks
        when.hour = static_cast<int>(seconds % 86400 / 3600);
        when.minute = static_cast<int>(seconds % 3600 / 60);
        when.second = static_cast<int>(seconds % 60);
        return when;
    }
    void WaitMilliseconds(int) override {}

private:
    const OperatorFarms& m_farms;
};

// The speaker's gate, kept where the checks still read it after the program has ended.
class OperatorHarness::SpeakerTap : public SpeakerBackend {
public:
    explicit SpeakerTap(bool& gateOpen) : m_gateOpen(gateOpen) {}
    void SetDivisor(std::uint16_t) override {}
    void SetGate(bool open) override { m_gateOpen = open; }

private:
    bool& m_gateOpen;
};

OperatorHarness::OperatorHarness(const OperatorSetup& setup)
    : m_setup(setup), m_farms(setup.farms, setup.lineSeed) {
    const std::string hivePath = m_workDir.Path() + "/registry.reg";
    WriteHive(hivePath);
    m_hive = std::make_unique<HiveFileBackend>(hivePath);

    CMainFrame::Seams seams;
    seams.clock = std::make_unique<LineClock>(m_farms);
    seams.speaker = std::make_unique<SpeakerTap>(m_bGateOpen);
    seams.line = std::make_unique<OperatorLine>(m_farms);
    m_pFrame = std::make_unique<CMainFrame>(Language::English, m_workDir.Path(), std::move(seams));
    CTreeListDoc& doc = m_pFrame->Document();
    doc.SetRegistryBackend(m_hive.get());
    doc.SetComPortProbe(&m_ports);
    // As the application starts it, but with the timer left off: the harness runs the ticks.
    doc.OnNewDocument();
    m_pFrame->OnInitialUpdate();
    m_pFrame->resize(760, 520);
    m_pFrame->show();
    QCoreApplication::processEvents();

    m_farms.deviceGone = [this] {
        QMetaObject::invokeMethod(
            m_pFrame.get(), [this] { EndLostPort(); }, Qt::QueuedConnection);
    };
}

OperatorHarness::~OperatorHarness() {
    m_farms.deviceGone = nullptr;
    m_pFrame.reset();
    QCoreApplication::processEvents();
}

void OperatorHarness::WriteHive(const std::string& path) const {
    std::ostringstream hive;
    hive << "Windows Registry Editor Version 5.00\r\n\r\n"
         << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantrel\\WRB Explorer]\r\n"
         << "\"Alarm Annunciation\"=dword:0000000" << (m_setup.annunciation ? 1 : 0) << "\r\n\r\n";
    for (std::size_t farm = 0; farm < m_setup.configured.size() && farm < 4; ++farm) {
        unsigned char bitmap[32] = {};
        for (const int node : m_setup.configured[farm]) {
            if (node >= 1 && node <= 254) {
                bitmap[(node - 1) / 8] |= static_cast<unsigned char>(1u << ((node - 1) % 8));
            }
        }
        char text[96];
        std::snprintf(text, sizeof text,
                      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantrel\\WRB Explorer\\Farm %02zu]",
                      farm + 1);
        hive << text << "\r\n\"Node IDs\"=hex:20,00";
        for (const unsigned char b : bitmap) {
            std::snprintf(text, sizeof text, ",%02x", b);
            hive << text;
        }
        const bool startup = static_cast<int>(farm) + 1 == m_setup.startupFarmNumber;
        std::snprintf(text, sizeof text, "\r\n\"Serial Port\"=dword:%08zx\r\n", farm + 1);
        hive << text << "\"Bit Set 1\"=dword:0000000" << (startup ? 1 : 0) << "\r\n\r\n";
    }
    std::ofstream(path, std::ios::binary) << hive.str();
}

std::string OperatorHarness::PcLogsDirectory() const {
    return (std::filesystem::path(m_workDir.Path()) / "PC_Logs").string();
}

void OperatorHarness::Advance(int ms) {
    const std::int64_t target = m_nowMs + ms;
    while (m_nowMs < target) {
        const std::int64_t boundary = (m_nowMs / 1000 + 1) * 1000;
        const std::int64_t next = std::min(target, boundary);
        m_farms.RunUntil(next);
        m_nowMs = next;
        QCoreApplication::processEvents();
        if (next == boundary && m_pFrame) {
            if (beforeTick) {
                beforeTick();
            }
            m_pFrame->OnTimer();
            ++m_ticks;
            QCoreApplication::processEvents();
            if (afterTick) {
                afterTick();
            }
        }
    }
}

int OperatorHarness::ShownFarm() const {
    return m_pFrame ? m_pFrame->ListView().DisplayedFarm() : -1;
}

std::vector<int> OperatorHarness::ShownUnits() const {
    std::vector<int> units;
    if (!m_pFrame) {
        return units;
    }
    const KilnListModel& model = m_pFrame->ListView().Model();
    for (int row = 0; row < model.rowCount(); ++row) {
        units.push_back(model.NodeIndexOfItem(row) + 1);
    }
    return units;
}

CPaletteSheet* OperatorHarness::OpenSheet() const {
    const auto* commands = m_pFrame ? m_pFrame->findChild<SheetCommands*>() : nullptr;
    CPaletteSheet* sheet = commands != nullptr ? commands->PaletteSheet() : nullptr;
    // A sheet closed but still inside its own loop is off the screen already.
    return sheet != nullptr && sheet->isVisible() ? sheet : nullptr;
}

CAddKilnDialog* OperatorHarness::OpenAddKiln() const {
    const auto* commands = m_pFrame ? m_pFrame->findChild<SheetCommands*>() : nullptr;
    CAddKilnDialog* dialog = commands != nullptr ? commands->AddKilnDialog() : nullptr;
    return dialog != nullptr && dialog->isVisible() ? dialog : nullptr;
}

CLogDescriptorDialog* OperatorHarness::OpenPrompt() const {
    if (!m_pFrame) {
        return nullptr;
    }
    for (CLogDescriptorDialog* dialog : m_pFrame->findChildren<CLogDescriptorDialog*>()) {
        if (dialog->isVisible()) {
            return dialog;
        }
    }
    return nullptr;
}

bool OperatorHarness::ClickGroup(int farmIndex) {
    if (!m_pFrame) {
        return false;
    }
    CTreeListView& tree = m_pFrame->TreeView();
    QTreeWidgetItem* item = tree.GroupItem(farmIndex);
    if (item == nullptr) {
        return false;
    }
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(item).center());
    QCoreApplication::processEvents();
    return true;
}

namespace {

QAction* FindCommand(QMenu* menu, int command) {
    for (QAction* action : menu->actions()) {
        if (action->menu() != nullptr) {
            if (QAction* inner = FindCommand(action->menu(), command)) {
                return action->isEnabled() ? inner : nullptr;
            }
        } else if (!action->isSeparator() && action->data().toInt() == command) {
            return action;
        }
    }
    return nullptr;
}

} // namespace

bool OperatorHarness::RightClickOn(QWidget* viewport, const QPoint& at,
                                   const std::function<void(QMenu*)>& hand) {
    // The button goes down and up on the spot, and the window system adds the context menu
    // event. The hand acts on the menu as soon as it is up: a menu that runs its own loop is up
    // inside the event, another one after it.
    QTest::mouseClick(viewport, Qt::RightButton, {}, at);
    bool acted = false;
    // The hand belongs to this click only: once it is over, a hand still queued does nothing.
    auto clickGoesOn = std::make_shared<bool>(true);
    QMetaObject::invokeMethod(
        m_pFrame.get(),
        [hand, &acted, clickGoesOn] {
            if (!*clickGoesOn) {
                return;
            }
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                acted = true;
                hand(menu);
            }
        },
        Qt::QueuedConnection);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &event);
    QCoreApplication::processEvents();
    // A menu left up goes, as a click beside it takes it away.
    while (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
        QCoreApplication::processEvents();
    }
    *clickGoesOn = false;
    return acted;
}

bool OperatorHarness::FarmCommand(int farmIndex, int command) {
    if (!m_pFrame) {
        return false;
    }
    CTreeListView& tree = m_pFrame->TreeView();
    QTreeWidgetItem* item = tree.GroupItem(farmIndex);
    if (item == nullptr) {
        return false;
    }
    bool done = false;
    RightClickOn(tree.viewport(), tree.visualItemRect(item).center(), [&](QMenu* menu) {
        QAction* action = FindCommand(menu, command);
        menu->close();
        if (action != nullptr && action->isEnabled()) {
            action->trigger();
            done = true;
        }
    });
    QCoreApplication::processEvents();
    return done;
}

QModelIndex OperatorHarness::ShownUnit(int nodeId) {
    if (!m_pFrame) {
        return {};
    }
    CMyListView& list = m_pFrame->ListView();
    if (!list.Model().IsShown(nodeId - 1)) {
        return {};
    }
    const QModelIndex index = list.Model().index(list.Model().ItemOfNode(nodeId - 1), 0);
    list.DetailsView().scrollTo(index);
    return index;
}

bool OperatorHarness::AcknowledgeOnPane(int line) {
    AlarmsPane& pane = m_pFrame->Alarms();
    if (!pane.isVisible()) {
        return false;
    }
    QPushButton* button = &pane.AcknowledgeAllButton();
    if (line > 0) {
        if (line > pane.LineCount()) {
            return false;
        }
        QTreeView& view = pane.List();
        const QModelIndex index = pane.Model().index(line - 1, 0);
        view.scrollTo(index);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(index).center());
        QCoreApplication::processEvents();
        button = &pane.AcknowledgeButton();
    }
    if (!button->isEnabled()) {
        return false;
    }
    QTest::mouseClick(button, Qt::LeftButton);
    QCoreApplication::processEvents();
    return true;
}

bool OperatorHarness::ClickUnit(int nodeId) {
    const QModelIndex index = ShownUnit(nodeId);
    if (!index.isValid()) {
        return false;
    }
    QTreeView& view = m_pFrame->ListView().DetailsView();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(index).center());
    QCoreApplication::processEvents();
    return true;
}

bool OperatorHarness::DoubleClickUnit(int nodeId, const std::function<void()>& whileOpen) {
    const QModelIndex index = ShownUnit(nodeId);
    if (!index.isValid()) {
        return false;
    }
    QTreeView& view = m_pFrame->ListView().DetailsView();
    // A double click as the window system delivers it: press, release, the second press as a
    // double click, release.
    const QPoint at = view.visualRect(index).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, at);
    WhenModalOpens(whileOpen);
    QCoreApplication::processEvents();
    m_modalSerial = 0;
    return true;
}

bool OperatorHarness::UnitCommand(int nodeId, int command, const std::function<void()>& whileOpen) {
    const QModelIndex index = ShownUnit(nodeId);
    if (!index.isValid()) {
        return false;
    }
    QTreeView& view = m_pFrame->ListView().DetailsView();
    bool done = false;
    RightClickOn(view.viewport(), view.visualRect(index).center(), [&](QMenu* menu) {
        QAction* action = FindCommand(menu, command);
        menu->close();
        if (action != nullptr && action->isEnabled()) {
            action->trigger();
            done = true;
            if (whileOpen) {
                WhenModalOpens(whileOpen);
            }
        }
    });
    QCoreApplication::processEvents();
    m_modalSerial = 0;
    return done;
}

bool OperatorHarness::NewKiln(const std::function<void()>& whileOpen) {
    if (!m_pFrame) {
        return false;
    }
    QTreeView& view = m_pFrame->ListView().DetailsView();
    const QPoint below(8, view.viewport()->height() - 8);
    if (view.indexAt(below).isValid()) {
        return false; // no empty space to click in
    }
    bool done = false;
    RightClickOn(view.viewport(), below, [&](QMenu* menu) {
        QAction* action = FindCommand(menu, CMyListView::ID_NEW_KILN);
        menu->close();
        if (action != nullptr && action->isEnabled()) {
            action->trigger();
            done = true;
            WhenModalOpens(whileOpen);
        }
    });
    QCoreApplication::processEvents();
    m_modalSerial = 0;
    return done;
}

void OperatorHarness::WhenModalOpens(const std::function<void()>& whileOpen) {
    m_modalSerial = ++m_modalSerials;
    PostModalHand(whileOpen, m_modalSerial, kModalTries);
}

void OperatorHarness::PostModalHand(const std::function<void()>& whileOpen, std::uint64_t serial,
                                    int tries) {
    // Queued behind the request that opens the sheet or dialog, so it runs inside the modal
    // loop; until that is up, it queues itself again a few times.
    QMetaObject::invokeMethod(
        m_pFrame.get(),
        [this, whileOpen, tries, serial] {
            if (serial != m_modalSerial) {
                return; // the action it came with is over
            }
            QDialog* modal = OpenSheet();
            if (modal == nullptr) {
                modal = OpenAddKiln();
            }
            if (modal == nullptr) {
                if (tries > 0) {
                    PostModalHand(whileOpen, serial, tries - 1);
                }
                return;
            }
            m_modalSerial = 0;
            QPointer<QDialog> open(modal);
            whileOpen();
            if (open != nullptr && open->isVisible()) {
                open->reject();
            }
        },
        Qt::QueuedConnection);
}

void OperatorHarness::PullPort(int farmIndex) {
    m_farms.Pull(farmIndex);
    QCoreApplication::processEvents();
}

void OperatorHarness::EndLostPort() {
    // As the port control on QSerialPort ends a device that is gone: the owner hears of it
    // while the port is still open, and whatever it left open is closed.
    if (!m_farms.LossPending()) {
        return;
    }
    if (m_pFrame) {
        m_pFrame->OnPortLost();
    }
    if (m_farms.IsOpen()) {
        m_farms.Close();
    }
}

void OperatorHarness::Exit() {
    if (!m_pFrame) {
        return;
    }
    m_pFrame->Action(CMainFrame::ID_APP_EXIT)->trigger();
    QCoreApplication::processEvents();
    // The application's end: the frame goes, and the document with it.
    m_pFrame.reset();
    QCoreApplication::processEvents();
}
