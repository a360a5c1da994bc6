#include "publish/PublishConfig.h"

#include "app/StringTable.h"
#include "config/RegistryStore.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <string_view>

namespace {

// One problem in error, in the language's words; detail (a file or variable name) in place of
// the text's %s, which is replaced as text, never used as a format.
void Fail(std::string& error, Language language, PublishConfig::Setting* setting,
          PublishConfig::Setting which, int textId, const std::string& detail = std::string()) {
    error = StringTable::Text(language, textId);
    if (const std::size_t at = error.find("%s"); at != std::string::npos) {
        error.replace(at, 2, detail);
    }
    if (setting != nullptr) {
        *setting = which;
    }
}

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

bool PublishConfig::Validate(std::string& error, Language language, Setting* setting) {
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
        Fail(error, language, setting, Setting::BrokerUrl, IDS_PUBLISH_URL_SCHEME);
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
            Fail(error, language, setting, Setting::BrokerUrl, IDS_PUBLISH_URL_BRACKET);
            return false;
        }
        hostText = rest.substr(1, close - 1);
        colon =
            rest.size() > close + 1 && rest[close + 1] == ':' ? close + 1 : std::string_view::npos;
        if (colon == std::string_view::npos && rest.size() != close + 1) {
            Fail(error, language, setting, Setting::BrokerUrl, IDS_PUBLISH_URL_TRAILING);
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
            Fail(error, language, setting, Setting::BrokerUrl, IDS_PUBLISH_URL_PORT);
            return false;
        }
    }
    if (hostText.empty() || hostText.find_first_of("/@?# ") != std::string_view::npos ||
        !PlainText(hostText)) {
        Fail(error, language, setting, Setting::BrokerUrl, IDS_PUBLISH_URL_HOST);
        return false;
    }
    if (!PlainText(clientId) || clientId.size() > 128) {
        Fail(error, language, setting, Setting::ClientId, IDS_PUBLISH_CLIENT_ID);
        return false;
    }
    if (!PlainText(userName)) {
        Fail(error, language, setting, Setting::UserName, IDS_PUBLISH_USER);
        return false;
    }
    if (!passwordFile.empty() && !passwordEnv.empty()) {
        Fail(error, language, setting, Setting::PasswordEnv, IDS_PUBLISH_PASSWORD_BOTH);
        return false;
    }
    if (!passwordEnv.empty() &&
        passwordEnv.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                      "0123456789_") != std::string::npos) {
        Fail(error, language, setting, Setting::PasswordEnv, IDS_PUBLISH_PASSWORD_VARIABLE);
        return false;
    }
    if ((!passwordFile.empty() || !passwordEnv.empty()) && userName.empty()) {
        Fail(error, language, setting, Setting::UserName, IDS_PUBLISH_PASSWORD_NEEDS_USER);
        return false;
    }
    if (!caFile.empty() && !tls) {
        Fail(error, language, setting, Setting::CaFile, IDS_PUBLISH_CA_NEEDS_TLS);
        return false;
    }
    if (!caFile.empty() && !std::ifstream(caFile).good()) {
        Fail(error, language, setting, Setting::CaFile, IDS_PUBLISH_CA_UNREADABLE, caFile);
        return false;
    }
    if (prefix.empty() || !TopicLevelText(prefix, true) || prefix.front() == '/' ||
        prefix.back() == '/' || prefix.starts_with("$")) {
        Fail(error, language, setting, Setting::Prefix, IDS_PUBLISH_PREFIX);
        return false;
    }
    if (site.empty() || !TopicLevelText(site, false) || site.size() > 64) {
        Fail(error, language, setting, Setting::Site, IDS_PUBLISH_SITE);
        return false;
    }
    host = std::string(hostText);
    port = portNumber;
    return true;
}

bool PublishConfig::LoadPassword(std::string& password, std::string& error, Language language,
                                 Setting* setting) const {
    password.clear();
    if (!passwordFile.empty()) {
        std::ifstream in(passwordFile, std::ios::binary);
        if (!in) {
            Fail(error, language, setting, Setting::PasswordFile,
                 IDS_PUBLISH_PASSWORD_FILE_UNREADABLE, passwordFile);
            return false;
        }
        std::getline(in, password);
        // The line end of a file written on Windows, even one that went through a text-mode
        // write twice, is no part of the password.
        while (!password.empty() && password.back() == '\r') {
            password.pop_back();
        }
        if (password.empty()) {
            Fail(error, language, setting, Setting::PasswordFile, IDS_PUBLISH_PASSWORD_FILE_EMPTY,
                 passwordFile);
            return false;
        }
        return true;
    }
    if (!passwordEnv.empty()) {
        const char* value = std::getenv(passwordEnv.c_str());
        if (value == nullptr || *value == '\0') {
            Fail(error, language, setting, Setting::PasswordEnv, IDS_PUBLISH_PASSWORD_ENV_UNSET,
                 passwordEnv);
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
