#pragma once

#include "publish/FarmPublisher.h"
#include "publish/PublishConfig.h"
#include "publish/PublishingFarmTree.h"
#include "publish/PublishingKilnList.h"
#include "publish/mqtt/MqttPublisher.h"

#include <memory>
#include <string>
#include <vector>

class CTreeListDoc;

// Publishing as a program assembles it: the MQTT client, the publisher and the two views that
// stand between the document and its own kiln list and farm tree. The program's tick calls
// Tick after the document's; the program's end calls Stop, then Detach, before the document
// goes.
class SitePublishing {
public:
    // Checks the settings, reads the password and starts the client; nullptr with one sentence
    // in error when the settings cannot be used. The document's list and tree views must be
    // set; they are wrapped here and must outlive this.
    static std::unique_ptr<SitePublishing> Start(const PublishConfig& config,
                                                 CTreeListDoc& document, std::string& error);
    ~SitePublishing();

    // The port of a farm went away under it (an adapter pulled).
    void PortLost(int farmIndex);
    // Events are the journal's from now on (FarmPublisher::UseJournalEvents).
    void UseJournalEvents() { m_publisher.UseJournalEvents(); }
    void JournalEvent(const ::Event& event) { m_publisher.JournalEvent(event); }
    // After the document's tick: the changed units go out (or wait), and notices come back.
    void Tick();
    std::vector<std::string> TakeNotices() { return m_publisher.TakeNotices(); }
    // The orderly end: what waits goes out, and the program says it is offline.
    void Stop();
    // Gives the document its own views back.
    void Detach();

    const FarmPublisher& Publisher() const { return m_publisher; }
    const MqttPublisher& Client() const { return *m_client; }

private:
    SitePublishing(CTreeListDoc& document, const PublishConfig& config,
                   std::unique_ptr<MqttPublisher> client);
    std::int64_t Now() const;

    CTreeListDoc* m_pDocument;
    std::unique_ptr<MqttPublisher> m_client;
    FarmPublisher m_publisher;
    KilnListView* m_pOwnList;
    FarmTreeView* m_pOwnTree;
    PublishingKilnList m_list;
    PublishingFarmTree m_tree;
    bool m_bStopped = false;
};
