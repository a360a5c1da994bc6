#include "publish/mqtt/SitePublishing.h"

#include "app/CTreeListDoc.h"

std::unique_ptr<SitePublishing> SitePublishing::Start(const PublishConfig& settings,
                                                      CTreeListDoc& document, std::string& error) {
    PublishConfig config = settings;
    if (!config.Validate(error, document.GetLanguage())) {
        return nullptr;
    }
    if (!config.Enabled()) {
        error = "no broker URL is set";
        return nullptr;
    }
    if (document.GetKilnListView() == nullptr || document.GetFarmTreeView() == nullptr) {
        error = "the document has no views to publish from";
        return nullptr;
    }
    std::string password;
    if (!config.LoadPassword(password, error, document.GetLanguage())) {
        return nullptr;
    }
    const PublishPayloads payloads(config.prefix, config.site);
    auto client =
        std::make_unique<MqttPublisher>(config, password, payloads.ProgramTopic(),
                                        payloads.ProgramState(false, document.LocalNow()));
    if (!client->Start(error)) {
        return nullptr;
    }
    return std::unique_ptr<SitePublishing>(new SitePublishing(document, config, std::move(client)));
}

SitePublishing::SitePublishing(CTreeListDoc& document, const PublishConfig& config,
                               std::unique_ptr<MqttPublisher> client)
    : m_pDocument(&document), m_client(std::move(client)),
      m_publisher(*m_client, config.prefix, config.site), m_pOwnList(document.GetKilnListView()),
      m_pOwnTree(document.GetFarmTreeView()),
      m_list(*m_pOwnList, m_publisher, [this] { return Now(); }),
      m_tree(*m_pOwnTree, m_publisher, [this] { return Now(); }) {
    document.SetKilnListView(&m_list);
    document.SetFarmTreeView(&m_tree);
}

SitePublishing::~SitePublishing() {
    Stop();
}

std::int64_t SitePublishing::Now() const {
    return m_pDocument != nullptr ? m_pDocument->LocalNow() : 0;
}

void SitePublishing::PortLost(int farmIndex) {
    m_publisher.PortLost(farmIndex, Now());
}

void SitePublishing::Tick() {
    if (m_pDocument == nullptr || m_bStopped) {
        return;
    }
    int connected = -1;
    for (int farm = 0; farm < FarmPublisher::kFarmCount; ++farm) {
        if (m_pDocument->Farm(farm).m_bFarmIsConnected) {
            connected = farm;
        }
    }
    const std::string& log =
        connected >= 0 ? m_pDocument->PcLog(connected).LogFileName() : std::string();
    m_publisher.Tick(Now(), connected, &m_pDocument->Health(), log);
}

void SitePublishing::Stop() {
    if (m_bStopped) {
        return;
    }
    Tick();
    m_publisher.Stop(Now());
    m_bStopped = true;
}

void SitePublishing::Detach() {
    if (m_pDocument == nullptr) {
        return;
    }
    if (m_pDocument->GetKilnListView() == &m_list) {
        m_pDocument->SetKilnListView(m_pOwnList);
    }
    if (m_pDocument->GetFarmTreeView() == &m_tree) {
        m_pDocument->SetFarmTreeView(m_pOwnTree);
    }
    m_pDocument = nullptr;
}
