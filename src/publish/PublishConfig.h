#pragma once

#include "app/Language.h"

#include <cstdint>
#include <string>

class RegistryBackend;

// Where and how a program publishes its farms. Nothing here is a secret: the password is read
// from a file or an environment variable at start and kept only in memory.
struct PublishConfig {
    static constexpr const char* kHiveKey = "SOFTWARE\\Vantrel\\WRB Explorer\\Publishing";
    static constexpr const char* kDefaultPrefix = "kilnwatch";

    std::string brokerUrl; // mqtt://host:port or mqtts://host:port; empty: publishing is off
    std::string clientId;  // empty: made from the site name and the process id
    std::string userName;
    std::string passwordFile; // a file whose first line is the password
    std::string passwordEnv;  // or the name of an environment variable holding it
    std::string caFile;       // certificate authorities for mqtts
    std::string prefix = kDefaultPrefix;
    std::string site;

    // The broker URL taken apart by Validate.
    std::string host;
    int port = 0;
    bool tls = false;

    bool Enabled() const { return !brokerUrl.empty(); }

    // The settings in the order a form shows them, to say which one a problem is with.
    enum class Setting : int {
        BrokerUrl,
        ClientId,
        UserName,
        PasswordFile,
        PasswordEnv,
        CaFile,
        Prefix,
        Site
    };

    // Checks every setting and takes the URL apart; false with one sentence in error, in
    // language, naming the setting and what it accepts, and that setting in *setting.
    bool Validate(std::string& error, Language language = Language::English,
                  Setting* setting = nullptr);

    // Reads the password from its file or variable; false with a message when it is named but
    // cannot be had. The message never contains the password.
    bool LoadPassword(std::string& password, std::string& error,
                      Language language = Language::English, Setting* setting = nullptr) const;

    // The values stored under kHiveKey, where there are any; a missing key leaves the defaults.
    static PublishConfig FromHive(RegistryBackend& backend);
    // Stores the settings (never a password) under kHiveKey; false when the hive refused.
    bool SaveToHive(RegistryBackend& backend) const;
};
