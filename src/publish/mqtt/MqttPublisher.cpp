#include "publish/mqtt/MqttPublisher.h"

#include <mosquitto.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>
#include <thread>
#include <utility>

struct MqttPublisher::Shared {
    PublishConfig config;
    std::string password;
    std::string willTopic;
    std::string willPayload;
    mosquitto* client = nullptr;

    std::atomic<bool> connected{false};
    std::atomic<std::uint64_t> sessions{0};
    std::atomic<int> outstanding{0};
    std::atomic<bool> stopping{false};

    std::mutex mutex;
    std::condition_variable wake;
    bool finished = false; // the network thread has ended
    std::vector<std::string> notices;
    std::string lastNotice; // a failure repeated on every attempt is told once

    ~Shared() {
        if (client != nullptr) {
            mosquitto_destroy(client);
        }
    }

    void Notice(const std::string& text) {
        std::lock_guard lock(mutex);
        if (text != lastNotice) {
            lastNotice = text;
            notices.push_back(text);
        }
    }

    std::string Where() const { return config.host + ":" + std::to_string(config.port); }

    // The network thread: connect, run, and after a failure the client library does not retry
    // itself (a refused TLS handshake, a name that does not resolve), wait and start over.
    void Run() {
        int delay = 1;
        while (!stopping) {
            const int rc = mosquitto_connect_async(client, config.host.c_str(), config.port,
                                                   kKeepAliveSeconds);
            if (rc != MOSQ_ERR_SUCCESS) {
                Notice("cannot reach the broker at " + Where() + ": " + ErrorText(rc) +
                       "; trying again");
            }
            // Retries by itself, with the back-off set below, until a fatal error or the end.
            const int ended = mosquitto_loop_forever(client, 1000, 1);
            connected = false;
            if (stopping) {
                break;
            }
            if (ended != MOSQ_ERR_SUCCESS) {
                Notice("the connection to the broker at " + Where() +
                       " failed: " + ErrorText(ended) + "; trying again");
            }
            std::unique_lock lock(mutex);
            wake.wait_for(lock, std::chrono::seconds(delay), [this] { return stopping.load(); });
            delay = std::min(delay * 2, 30);
        }
        std::lock_guard lock(mutex);
        finished = true;
        wake.notify_all();
    }

    static std::string ErrorText(int rc) {
        if (rc == MOSQ_ERR_ERRNO) {
            return mosquitto_strerror(rc) + std::string(" (") + std::strerror(errno) + ")";
        }
        return mosquitto_strerror(rc);
    }
};

namespace {

void OnConnect(mosquitto*, void* data, int rc) {
    auto* shared = static_cast<MqttPublisher::Shared*>(data);
    if (rc == 0) {
        shared->connected = true;
        ++shared->sessions;
        std::lock_guard lock(shared->mutex);
        shared->lastNotice.clear();
        return;
    }
    std::string why = mosquitto_connack_string(rc);
    if (rc == 4 || rc == 5) {
        why += " (check the user name and the password)";
    }
    shared->Notice("the broker at " + shared->Where() + " refused the connection: " + why +
                   "; trying again");
}

void OnDisconnect(mosquitto*, void* data, int) {
    static_cast<MqttPublisher::Shared*>(data)->connected = false;
}

void OnPublish(mosquitto*, void* data, int) {
    --static_cast<MqttPublisher::Shared*>(data)->outstanding;
}

std::string MadeUpClientId(const std::string& site) {
    std::random_device random;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", random());
    return "kilnwatch-" + site.substr(0, 40) + "-" + suffix;
}

} // namespace

MqttPublisher::MqttPublisher(const PublishConfig& config, const std::string& password,
                             const std::string& willTopic, const std::string& willPayload)
    : m_shared(std::make_shared<Shared>()) {
    m_shared->config = config;
    m_shared->password = password;
    m_shared->willTopic = willTopic;
    m_shared->willPayload = willPayload;
}

bool MqttPublisher::Start(std::string& error) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { mosquitto_lib_init(); });
    Shared& shared = *m_shared;
    const std::string id = shared.config.clientId.empty() ? MadeUpClientId(shared.config.site)
                                                          : shared.config.clientId;
    shared.client = mosquitto_new(id.c_str(), true, &shared);
    if (shared.client == nullptr) {
        error = "the MQTT client could not be made (out of memory)";
        return false;
    }
    mosquitto* const client = shared.client;
    mosquitto_int_option(client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_threaded_set(client, true);
    mosquitto_reconnect_delay_set(client, 1, 30, true);
    mosquitto_max_inflight_messages_set(client, 100);
    if (!shared.config.userName.empty() &&
        mosquitto_username_pw_set(client, shared.config.userName.c_str(),
                                  shared.password.empty() ? nullptr : shared.password.c_str()) !=
            MOSQ_ERR_SUCCESS) {
        error = "the MQTT user name or password cannot be used";
        return false;
    }
    if (shared.config.tls) {
        int rc = MOSQ_ERR_SUCCESS;
        if (shared.config.caFile.empty()) {
            rc = mosquitto_int_option(client, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        } else {
            rc = mosquitto_tls_set(client, shared.config.caFile.c_str(), nullptr, nullptr, nullptr,
                                   nullptr);
        }
        if (rc != MOSQ_ERR_SUCCESS) {
            error = "TLS cannot be set up with the CA file " + shared.config.caFile + ": " +
                    Shared::ErrorText(rc);
            return false;
        }
    }
    if (mosquitto_will_set(client, shared.willTopic.c_str(),
                           static_cast<int>(shared.willPayload.size()), shared.willPayload.data(),
                           1, true) != MOSQ_ERR_SUCCESS) {
        error = "the MQTT will cannot be set on topic " + shared.willTopic;
        return false;
    }
    mosquitto_connect_callback_set(client, OnConnect);
    mosquitto_disconnect_callback_set(client, OnDisconnect);
    mosquitto_publish_callback_set(client, OnPublish);
    std::thread([shared = m_shared] { shared->Run(); }).detach();
    return true;
}

MqttPublisher::~MqttPublisher() {
    Shared& shared = *m_shared;
    if (shared.client == nullptr) {
        return;
    }
    // Give what is on its way a moment to be acknowledged, then say goodbye: a clean end
    // leaves the will unsent.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (shared.connected && shared.outstanding > 0 && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    shared.stopping = true;
    mosquitto_disconnect(shared.client);
    std::unique_lock lock(shared.mutex);
    shared.wake.notify_all();
    // A thread stuck in the network past the deadline keeps its own reference to the client
    // and frees it when it ends; the program does not wait for it.
    shared.wake.wait_until(lock, Clock::now() + std::chrono::seconds(2),
                           [&shared] { return shared.finished; });
}

bool MqttPublisher::Connected() const {
    return m_shared->connected;
}

std::uint64_t MqttPublisher::Sessions() const {
    return m_shared->sessions;
}

int MqttPublisher::Outstanding() const {
    return m_shared->outstanding;
}

bool MqttPublisher::Send(const PublishMessage& message) {
    Shared& shared = *m_shared;
    if (shared.client == nullptr || !shared.connected || shared.outstanding >= kMaxOutstanding) {
        return false;
    }
    ++shared.outstanding;
    const int rc = mosquitto_publish(shared.client, nullptr, message.topic.c_str(),
                                     static_cast<int>(message.payload.size()),
                                     message.payload.data(), message.qos, message.retain);
    if (rc != MOSQ_ERR_SUCCESS) {
        --shared.outstanding;
        return false;
    }
    return true;
}

std::vector<std::string> MqttPublisher::TakeNotices() {
    std::lock_guard lock(m_shared->mutex);
    return std::exchange(m_shared->notices, {});
}
