#include <QApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QtMessageHandler g_next = nullptr;

// The offscreen platform says so every time a window asks it to raise itself or grab the
// keyboard, as the sheets and menus do thousands of times a run.
void QuietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QStringLiteral("This plugin does not support"))) {
        return;
    }
    g_next(type, context, message);
}

} // namespace

// The simulated operator works the program's widgets under the offscreen platform. Nothing it
// does may reach the user's files: the hive, the configuration folder and the settings point
// into a temporary folder.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // Every run writes its settings and PC logs anew, hundreds of times a test: in a folder in
    // memory, where the settings' flushes to disk cost nothing, when the system has one.
    if (qgetenv("TMPDIR").isEmpty() && QFileInfo(QStringLiteral("/dev/shm")).isWritable()) {
        qputenv("TMPDIR", "/dev/shm");
    }
    QTemporaryDir home;
    if (!home.isValid()) {
        return 1;
    }
    qputenv("KILNWATCH_REGISTRY", home.filePath("registry.reg").toLocal8Bit());
    // Qt's runtime folder too, which it would otherwise leave behind in the temporary folder.
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    // No test may open a real serial device: every COM port names a device that is not there.
    for (int port = 1; port <= 4; ++port) {
        qputenv(QByteArray("KILNWATCH_COM") + QByteArray::number(port),
                home.filePath(QStringLiteral("no-such-com%1").arg(port)).toLocal8Bit());
    }
    QStandardPaths::setTestModeEnabled(true);
    g_next = qInstallMessageHandler(QuietOffscreen);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("kilnwatch-operator-tests"));
    QApplication::setApplicationName(QStringLiteral("kilnwatch-operator-tests"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
