#include "publish/PublishConfig.h"

#include "config/HiveFileBackend.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

PublishConfig Valid() {
    PublishConfig config;
    config.brokerUrl = "mqtt://broker.example:1884";
    config.site = "north-yard";
    return config;
}

std::string Refusal(PublishConfig config) {
    std::string error;
    EXPECT_FALSE(config.Validate(error));
    return error;
}

std::filesystem::path Scratch(const std::string& name) {
    return std::filesystem::temp_directory_path() /
           (name + "-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            std::to_string(reinterpret_cast<std::uintptr_t>(&name)));
}

void SetVariable(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value != nullptr ? value : "");
#else
    if (value != nullptr) {
        ::setenv(name, value, 1);
    } else {
        ::unsetenv(name);
    }
#endif
}

} // namespace

TEST(PublishConfig, TakesTheBrokerUrlApart) {
    PublishConfig config = Valid();
    std::string error;
    ASSERT_TRUE(config.Validate(error)) << error;
    EXPECT_EQ(config.host, "broker.example");
    EXPECT_EQ(config.port, 1884);
    EXPECT_FALSE(config.tls);

    config.brokerUrl = "mqtts://[::1]";
    ASSERT_TRUE(config.Validate(error)) << error;
    EXPECT_EQ(config.host, "::1");
    EXPECT_EQ(config.port, 8883);
    EXPECT_TRUE(config.tls);

    config.brokerUrl = "";
    EXPECT_TRUE(config.Validate(error));
    EXPECT_FALSE(config.Enabled());
}

TEST(PublishConfig, RefusesBadValuesNamingTheSetting) {
    PublishConfig config = Valid();
    config.brokerUrl = "http://x";
    EXPECT_NE(Refusal(config).find("mqtt://"), std::string::npos);
    config.brokerUrl = "mqtt://host:99999";
    EXPECT_NE(Refusal(config).find("port"), std::string::npos);
    config.brokerUrl = "mqtt://:1883";
    EXPECT_NE(Refusal(config).find("host"), std::string::npos);
    config.brokerUrl = "mqtt://user@host";
    EXPECT_NE(Refusal(config).find("host"), std::string::npos);

    config = Valid();
    config.site = "a/b";
    EXPECT_NE(Refusal(config).find("site"), std::string::npos);
    config.site = "";
    EXPECT_NE(Refusal(config).find("site"), std::string::npos);
    config = Valid();
    config.prefix = "plant/#";
    EXPECT_NE(Refusal(config).find("prefix"), std::string::npos);
    config = Valid();
    config.passwordEnv = "PW";
    EXPECT_NE(Refusal(config).find("user name"), std::string::npos);
    config.userName = "kilns";
    config.passwordFile = "/x";
    EXPECT_NE(Refusal(config).find("not both"), std::string::npos);
    config = Valid();
    config.caFile = "/nonexistent";
    EXPECT_NE(Refusal(config).find("mqtts://"), std::string::npos);
    config.brokerUrl = "mqtts://h";
    EXPECT_NE(Refusal(config).find("cannot be read"), std::string::npos);
}

TEST(PublishConfig, ReadsThePasswordFromAFileOrAVariableAndNeverSaysIt) {
    const std::filesystem::path file = Scratch("kilnwatch-password");
    std::ofstream(file, std::ios::binary) << "s3cret\r\nignored\n";
    PublishConfig config = Valid();
    config.userName = "kilns";
    config.passwordFile = file.string();
    std::string password;
    std::string error;
    ASSERT_TRUE(config.LoadPassword(password, error)) << error;
    EXPECT_EQ(password, "s3cret");

    std::ofstream(file, std::ios::trunc) << "\n";
    EXPECT_FALSE(config.LoadPassword(password, error));
    EXPECT_NE(error.find("no password"), std::string::npos);
    std::filesystem::remove(file);
    EXPECT_FALSE(config.LoadPassword(password, error));
    EXPECT_NE(error.find("cannot be read"), std::string::npos);

    config.passwordFile.clear();
    config.passwordEnv = "KILNWATCH_TEST_MQTT_PASSWORD";
    SetVariable("KILNWATCH_TEST_MQTT_PASSWORD", nullptr);
    EXPECT_FALSE(config.LoadPassword(password, error));
    SetVariable("KILNWATCH_TEST_MQTT_PASSWORD", "from-env");
    ASSERT_TRUE(config.LoadPassword(password, error));
    EXPECT_EQ(password, "from-env");
    EXPECT_EQ(error.find("from-env"), std::string::npos);
    SetVariable("KILNWATCH_TEST_MQTT_PASSWORD", nullptr);
}

TEST(PublishConfig, LivesInAHiveKeyOfItsOwnWithoutAPassword) {
    const std::filesystem::path hive = Scratch("kilnwatch-hive.reg");
    {
        HiveFileBackend backend(hive.string());
        EXPECT_FALSE(PublishConfig::FromHive(backend).Enabled());
        PublishConfig config = Valid();
        config.userName = "kilns";
        config.passwordEnv = "SITE_PW";
        ASSERT_TRUE(config.SaveToHive(backend));
    }
    {
        HiveFileBackend backend(hive.string());
        const PublishConfig read = PublishConfig::FromHive(backend);
        EXPECT_EQ(read.brokerUrl, "mqtt://broker.example:1884");
        EXPECT_EQ(read.site, "north-yard");
        EXPECT_EQ(read.passwordEnv, "SITE_PW");
        std::ifstream in(hive);
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        EXPECT_NE(text.find("WRB Explorer\\Publishing]"), std::string::npos);
    }
    // Windows keeps a file that is still open from being removed.
    std::filesystem::remove(hive);
}

TEST(PublishConfig, SaysWhatIsWrongInTheProgramsLanguageAndWhichSettingItIs) {
    PublishConfig config = Valid();
    config.caFile = "/nonexistent/ca.pem";
    config.brokerUrl = "mqtts://h";
    std::string error;
    PublishConfig::Setting setting = PublishConfig::Setting::BrokerUrl;
    EXPECT_FALSE(config.Validate(error, Language::Spanish, &setting));
    EXPECT_EQ(error, "no se puede leer el archivo de CA /nonexistent/ca.pem");
    EXPECT_EQ(setting, PublishConfig::Setting::CaFile);

    // A name holding a format directive is shown as it is.
    config = Valid();
    config.userName = "kilns";
    config.passwordFile = "/nonexistent/%s%n";
    std::string password;
    EXPECT_FALSE(config.LoadPassword(password, error, Language::English, &setting));
    EXPECT_EQ(error, "the password file /nonexistent/%s%n cannot be read");
    EXPECT_EQ(setting, PublishConfig::Setting::PasswordFile);

    config = Valid();
    config.site = "a/b";
    EXPECT_FALSE(config.Validate(error, Language::Spanish, &setting));
    EXPECT_EQ(setting, PublishConfig::Setting::Site);
    EXPECT_NE(error.find("el nombre del sitio"), std::string::npos);
}
