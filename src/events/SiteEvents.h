#pragma once

#include "events/AlarmList.h"
#include "events/Event.h"
#include "events/EventDetector.h"
#include "events/EventJournal.h"
#include "kiln/FarmTreeView.h"
#include "kiln/KilnListView.h"
#include "tools/treat/PcLogFollower.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CTreeListDoc;

// Events as a program keeps them: the rules, the journal and the operator's alarm list, fed by
// two views that stand between the document and its own kiln list and farm tree (set those
// first). The program's tick calls Tick after the document's; its end calls End before the
// document goes.
class SiteEvents {
public:
    struct Options {
        // Where Events_YYYYMM.CSV goes; the document's PC log folder when empty.
        std::string directory;
        bool journal = true;
        // How this program's commits and acknowledgements are named; SessionName() when empty.
        std::string session;
    };

    SiteEvents(CTreeListDoc& document, Options options);
    ~SiteEvents();
    SiteEvents(const SiteEvents&) = delete;
    SiteEvents& operator=(const SiteEvents&) = delete;

    // "user@host pid N" of this process.
    static std::string SessionName();

    // The program-started event; once.
    void Start();
    // The port of a farm went away under it (an adapter pulled).
    void PortLost(int farmIndex);
    // After the document's tick: the connected farm's PC log is read for charges now and then,
    // and what happened goes to the journal.
    void Tick();
    // The operator's commands. Each acknowledgement is an event; the tone is silenced until a
    // new alarm is raised. False when there was nothing to acknowledge.
    bool Acknowledge(int farmIndex, int unit, const std::string& condition);
    bool AcknowledgeAll();
    // The program-ended event, then the document gets its own views back; once.
    void End();

    const AlarmList& Alarms() const { return m_alarms; }
    // True while the unit has an alarm the operator has not acknowledged (cleared or not).
    bool Unacknowledged(int farmIndex, int unit) const {
        return m_alarms.Unacknowledged(farmIndex, unit);
    }
    const std::string& JournalDirectory() const { return m_directory; }
    bool Journaling() const { return m_pJournal != nullptr; }
    const std::string& Session() const { return m_detector.Session(); }

    // What happened since the last call, in order (already in the journal).
    std::vector<Event> TakeEvents();
    // Sentences for the operator: the journal cannot be written, or can again.
    std::vector<std::string> TakeNotices();

    // How often the connected farm's PC log is read again for its charges.
    static constexpr std::int64_t kFollowSeconds = 10;

private:
    class ListView : public KilnListView {
    public:
        ListView(SiteEvents& owner, KilnListView& inner) : m_owner(owner), m_inner(inner) {}
        void nOTIFYoFtREEsELECTION(bool clear, int farmIndex, const UnitSlots& units) override;
        void NotifyOfData(int retryCountdown, int farmIndex, const KilnRecord& newRecord,
                          const KilnRecord& oldRecord, int nodeId) override;
        void NotifyOfStartupScanStatus(bool complete) override;
        void nOTIFYoFsTATUS(int replyCode) override;
        void RemoveLine(int nodeIndex, int itemIndex) override;
        int NodeIndexOfItem(int itemIndex) const override;

    private:
        SiteEvents& m_owner;
        KilnListView& m_inner;
    };
    class TreeView : public FarmTreeView {
    public:
        TreeView(SiteEvents& owner, FarmTreeView& inner) : m_owner(owner), m_inner(inner) {}
        void NotifyOfConnection(int farmIndex) override;
        void NotifyOfDisconnection(int farmIndex) override;

    private:
        SiteEvents& m_owner;
        FarmTreeView& m_inner;
    };

    std::int64_t Now() const;
    bool CommitJustSent(int farmIndex, int unit) const;
    void FollowTreatment(int farmIndex, bool force);
    // The followed log has ended: its charges short of the minutes are broken.
    void EndTreatment();
    // Journals and files the detector's events, and keeps the alarm list and tone in step.
    void Record();

    CTreeListDoc* m_pDocument;
    std::string m_directory;
    EventDetector m_detector;
    std::unique_ptr<EventJournal> m_pJournal;
    AlarmList m_alarms;
    logtools::PcLogFollower m_follower;
    int m_followedFarm = -1;
    std::int64_t m_lastFollow = 0;
    KilnListView* m_pOwnList;
    FarmTreeView* m_pOwnTree;
    std::unique_ptr<ListView> m_pList;
    std::unique_ptr<TreeView> m_pTree;
    bool m_bStarted = false;
    bool m_bEnded = false;
    std::vector<Event> m_recorded;
    std::vector<std::string> m_notices;
};
