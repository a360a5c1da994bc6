// Messages per second the publisher and its MQTT client sustain against a broker: events at
// QoS 1 go through the queue and the client, and the clock stops when the broker has
// acknowledged the last one.
//
//   mqtt_throughput URL COUNT

#include "publish/FarmPublisher.h"
#include "publish/mqtt/MqttPublisher.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mqtt_throughput URL COUNT\n");
        return 2;
    }
    PublishConfig config;
    config.brokerUrl = argv[1];
    config.site = "bench";
    std::string error;
    if (!config.Validate(error)) {
        std::fprintf(stderr, "mqtt_throughput: %s\n", error.c_str());
        return 2;
    }
    const long count = std::strtol(argv[2], nullptr, 10);
    MqttPublisher client(config, "", "kilnwatch/bench/status", "{}");
    if (!client.Start(error)) {
        std::fprintf(stderr, "mqtt_throughput: %s\n", error.c_str());
        return 1;
    }
    FarmPublisher publisher(client, config.prefix, config.site);
    using Clock = std::chrono::steady_clock;
    const auto limit = Clock::now() + std::chrono::seconds(10);
    while (!client.Connected() && Clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!client.Connected()) {
        std::fprintf(stderr, "mqtt_throughput: no connection to %s\n", argv[1]);
        return 1;
    }
    publisher.Tick(0, -1, nullptr, "");
    const auto start = Clock::now();
    long queued = 0;
    while (queued < count || !publisher.Queue().Empty() || client.Outstanding() > 0) {
        // As fast as the queue takes them without dropping any.
        while (queued < count && publisher.Queue().Size() < publisher.Queue().Capacity()) {
            publisher.PortLost(static_cast<int>(queued % 4), queued);
            ++queued;
        }
        publisher.Tick(0, -1, nullptr, "");
        if (!publisher.Queue().Empty()) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%ld QoS 1 messages acknowledged in %.2f s: %.0f messages per second (dropped: "
                "%llu)\n",
                count, seconds, count / seconds,
                static_cast<unsigned long long>(publisher.Queue().Dropped()));
    return 0;
}
