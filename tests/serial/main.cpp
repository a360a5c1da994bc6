#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// The serial tests need an event loop and real time. Nothing they do may reach the user's
// files: the hive and the configuration folder point into a temporary folder.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    if (!home.isValid()) {
        return 1;
    }
    qputenv("KILNWATCH_REGISTRY", home.filePath("registry.reg").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
