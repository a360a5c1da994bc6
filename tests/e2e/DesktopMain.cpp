#include "E2eSupport.h"

#include <QApplication>
#include <QSettings>

#include <gtest/gtest.h>

// The desktop program's end-to-end tests run its widgets in this process, on the offscreen
// platform unless a display is asked for.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The program's own settings (the window placement) in this process go to one folder for
    // the whole run. Qt fixes their place at the first use, so a test's own config folder would
    // be written again by every later test, after that test had removed it.
    TempFolder settings;
    if (!settings.Valid()) {
        return 1;
    }
    QApplication app(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(settings.Path().string()));
    QApplication::setOrganizationName(QStringLiteral("kilnwatch"));
    QApplication::setApplicationName(QStringLiteral("kilnwatch"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
