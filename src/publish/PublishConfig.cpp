#include "publish/PublishConfig.h"

#include "config/RegistryStore.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <string_view>

namespace {

// Topic levels may not hold the wildcards, the separator or control characters.
bool TopicLevelText(std::string_view text, bool allowSlash) {
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '+' || c == '#' || (!allowSlash && c == '/')) {
            return false;
        }
    }
    return true;
}

bool PlainText(std::string_view text) {
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            return false;
        }
    }
    return true;
}

constexpr std::string_view kValueNames[] = {"Broker URL",    "Client Id",    "User Name",
                                            "Password File", "Password Env", "CA File",
                                            "Topic Prefix",  "Site"};

} // namespace

bool PublishConfig::Validate(std::string& error) {
    host.clear();
    port = 0;
    tls = false;
    if (brokerUrl.empty()) {
        return true;
    }
    std::string_view rest = brokerUrl;
    if (rest.starts_with("mqtt://")) {
        rest.remove_prefix(7);
    } else if (rest.starts_with("mqtts://")) {
        rest.remove_prefix(8);
        tls = true;
    } else {
        error = "the broker URL must start with mqtt:// or mqtts:// (e.g. mqtt://broker:1883)";
        return false;
    }
    if (!rest.empty() && rest.back() == '/') {
        rest.remove_suffix(1);
    }
    int portNumber = tls ? 8883 : 1883;
    std::string_view hostText = rest;
    std::size_t colon = rest.rfind(':');
    if (rest.starts_with('[')) { // [::1]:1883
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos) {
            error = "the broker URL has an unclosed [ in its host";
            return false;
        }
        hostText = rest.substr(1, close - 1);
        colon =
            rest.size() > close + 1 && rest[close + 1] == ':' ? close + 1 : std::string_view::npos;
        if (colon == std::string_view::npos && rest.size() != close + 1) {
            error = "the broker URL has text after its host";
            return false;
        }
    } else if (colon != std::string_view::npos) {
        hostText = rest.substr(0, colon);
    }
    if (colon != std::string_view::npos) {
        const std::string_view portText = rest.substr(colon + 1);
        const auto [end, ec] =
            std::from_chars(portText.data(), portText.data() + portText.size(), portNumber);
        if (portText.empty() || ec != std::errc() || end != portText.data() + portText.size() ||
            portNumber < 1 || portNumber > 65535) {
            error = "the broker URL's port must be a number from 1 to 65535";
            return false;
        }
    }
    if (hostText.empty() || hostText.find_first_of("/@?# ") != std::string_view::npos ||
        !PlainText(hostText)) {
        error = "the broker URL needs a host name or address (e.g. mqtt://broker:1883)";
        return false;
    }
    if (!PlainText(clientId) || clientId.size() > 128) {
        error = "the client id must be one line of at most 128 characters";
        return false;
    }
    if (!PlainText(userName)) {
        error = "the user name must be one line of text";
        return false;
    }
    if (!passwordFile.empty() && !passwordEnv.empty()) {
        error = "give the password either from a file or from an environment variable, not both";
        return false;
    }
    if (!passwordEnv.empty() &&
        passwordEnv.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                      "0123456789_") != std::string::npos) {
        error = "the password variable's name may hold only letters, digits and _";
        return false;
    }
    if ((!passwordFile.empty() || !passwordEnv.empty()) && userName.empty()) {
        error = "a password needs a user name";
        return false;
    }
    if (!caFile.empty() && !tls) {
        error = "a CA file is used only with an mqtts:// broker URL";
        return false;
    }
    if (!caFile.empty() && !std::ifstream(caFile).good()) {
        error = "the CA file " + caFile + " cannot be read";
        return false;
    }
    if (prefix.empty() || !TopicLevelText(prefix, true) || prefix.front() == '/' ||
        prefix.back() == '/' || prefix.starts_with("$")) {
        error = "the topic prefix must be a topic without +, #, a leading $ or a leading or "
                "trailing / (e.g. kilnwatch or plant/kilns)";
        return false;
    }
    if (site.empty() || !TopicLevelText(site, false) || site.size() > 64) {
        error = "the site name must be one topic level of at most 64 characters, without /, + "
                "or # (e.g. north-yard)";
        return false;
    }
    host = std::string(hostText);
    port = portNumber;
    return true;
}

bool PublishConfig::LoadPassword(std::string& password, std::string& error) const {
    password.clear();
    if (!passwordFile.empty()) {
        std::ifstream in(passwordFile, std::ios::binary);
        if (!in) {
            error = "the password file " + passwordFile + " cannot be read";
            return false;
        }
        std::getline(in, password);
        if (!password.empty() && password.back() == '\r') {
            password.pop_back();
        }
        if (password.empty()) {
            error = "the password file " + passwordFile + " holds no password on its first line";
            return false;
        }
        return true;
    }
    if (!passwordEnv.empty()) {
        const char* value = std::getenv(passwordEnv.c_str());
        if (value == nullptr || *value == '\0') {
            error = "the environment variable " + passwordEnv + " holding the password is not set";
            return false;
        }
        password = value;
    }
    return true;
}

PublishConfig PublishConfig::FromHive(RegistryBackend& backend) {
    PublishConfig config;
    RegistryStore store(backend);
    if (!store.Open(kHkeyLocalMachine, kHiveKey)) {
        return config;
    }
    std::string* fields[] = {&config.brokerUrl,    &config.clientId,    &config.userName,
                             &config.passwordFile, &config.passwordEnv, &config.caFile,
                             &config.prefix,       &config.site};
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        const std::string name(kValueNames[i]);
        std::string value;
        if (store.ValueExists(name) && store.GetString(name, value)) {
            *fields[i] = value;
        }
    }
    store.Close();
    return config;
}

bool PublishConfig::SaveToHive(RegistryBackend& backend) const {
    RegistryStore store(backend);
    if (!store.Open(kHkeyLocalMachine, kHiveKey) && !store.Create(kHkeyLocalMachine, kHiveKey)) {
        return false;
    }
    const std::string* fields[] = {&brokerUrl,   &clientId, &userName, &passwordFile,
                                   &passwordEnv, &caFile,   &prefix,   &site};
    bool ok = true;
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        ok = store.SetString(std::string(kValueNames[i]), *fields[i]) && ok;
    }
    store.Close();
    return ok;
}
