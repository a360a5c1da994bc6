#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Widget tests run under the offscreen platform. Nothing they do may reach the user's files:
// the hive, the configuration folder and the settings point into a temporary folder.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QTemporaryDir home;
    if (!home.isValid()) {
        return 1;
    }
    qputenv("KILNWATCH_REGISTRY", home.filePath("registry.reg").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    // No test may open a real serial device: every COM port names a device that is not there.
    for (int port = 1; port <= 4; ++port) {
        qputenv(QByteArray("KILNWATCH_COM") + QByteArray::number(port),
                home.filePath(QStringLiteral("no-such-com%1").arg(port)).toLocal8Bit());
    }
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("kilnwatch-tests"));
    QApplication::setApplicationName(QStringLiteral("kilnwatch-tests"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
