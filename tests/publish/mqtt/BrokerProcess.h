#pragma once

#include "ChildProcess.h"
#include "E2eSupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

// The full path of a program on PATH (or in /usr/sbin, where the broker is installed), or the
// bare name when it is nowhere, so that starting it fails and says so.
inline std::string ProgramPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = std::string(path != nullptr ? path : "") + ":/usr/sbin:/usr/local/sbin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (end > start && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return name;
}

// A loopback port nobody listens on now.
inline int FreeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return port;
}

// A port that takes connections and never says a word: a broker that never answers.
class SilentListener {
public:
    SilentListener() {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(m_fd, 16) == 0 &&
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            m_port = ntohs(address.sin_port);
        }
    }
    ~SilentListener() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    int Port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

// A mosquitto broker on a free loopback port of its own, with one user ("kilns", "s3cret")
// and anonymous access refused; with Tls(), over TLS with a certificate made for the test.
class BrokerProcess {
public:
    static constexpr const char* kUser = "kilns";
    static constexpr const char* kPassword = "s3cret";

    explicit BrokerProcess(const TempFolder& folder, bool tls = false)
        : m_folder(folder.Path().string()), m_tls(tls) {
        m_port = FreeLoopbackPort();
        std::ofstream(m_folder + "/password.txt") << kPassword << "\n";
        m_ready = std::system(("mosquitto_passwd -b -c " + m_folder + "/passwd " + kUser + " " +
                               kPassword + " >/dev/null 2>&1")
                                  .c_str()) == 0;
        if (tls && m_ready) {
            m_ready = std::system(("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout " +
                                   m_folder + "/key.pem -out " + m_folder +
                                   "/cert.pem -subj /CN=localhost -addext "
                                   "subjectAltName=DNS:localhost,IP:127.0.0.1 >/dev/null 2>&1")
                                      .c_str()) == 0;
        }
        std::ofstream conf(m_folder + "/mosquitto.conf");
        conf << "listener " << m_port << " 127.0.0.1\n"
             << "allow_anonymous false\npassword_file " << m_folder << "/passwd\n"
             << "persistence false\nuser root\n";
        if (tls) {
            conf << "certfile " << m_folder << "/cert.pem\nkeyfile " << m_folder << "/key.pem\n";
        }
    }

    bool Start() {
        using namespace std::chrono_literals;
        m_process = std::make_unique<ChildProcess>();
        return m_ready &&
               m_process->Start({ProgramPath("mosquitto"), "-c", m_folder + "/mosquitto.conf"}) &&
               m_process->ReadUntil(" running", 10s);
    }
    void Stop() {
        using namespace std::chrono_literals;
        if (m_process) {
            m_process->Signal(SIGTERM);
            m_process->Wait(5s);
            m_process.reset();
        }
    }
    ~BrokerProcess() { Stop(); }

    int Port() const { return m_port; }
    std::string Url() const {
        return std::string(m_tls ? "mqtts://127.0.0.1:" : "mqtt://127.0.0.1:") +
               std::to_string(m_port);
    }
    std::string PasswordFile() const { return m_folder + "/password.txt"; }
    std::string CaFile() const { return m_folder + "/cert.pem"; }

    // mosquitto_sub's command line for topic, logged in, printing "topic payload" lines.
    std::vector<std::string> Subscriber(const std::string& topic,
                                        std::vector<std::string> extra = {}) const {
        // stdbuf: mosquitto_sub's output is a pipe here, which it would otherwise buffer.
        std::vector<std::string> argv = {ProgramPath("stdbuf"),
                                         "-oL",
                                         ProgramPath("mosquitto_sub"),
                                         "-h",
                                         "127.0.0.1",
                                         "-p",
                                         std::to_string(m_port),
                                         "-u",
                                         kUser,
                                         "-P",
                                         kPassword,
                                         "-q",
                                         "1",
                                         "-v",
                                         "-t",
                                         topic};
        if (m_tls) {
            argv.insert(argv.end(), {"--cafile", CaFile()});
        }
        argv.insert(argv.end(), extra.begin(), extra.end());
        return argv;
    }

private:
    std::string m_folder;
    bool m_tls;
    int m_port = 0;
    bool m_ready = false;
    std::unique_ptr<ChildProcess> m_process;
};
