#include <QApplication>

#include <gtest/gtest.h>

// The desktop program's end-to-end tests run its widgets in this process, on the offscreen
// platform unless a display is asked for.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("kilnwatch"));
    QApplication::setApplicationName(QStringLiteral("kilnwatch"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
