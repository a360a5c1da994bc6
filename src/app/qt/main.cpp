// kilnwatch and kilnwatch-es: the desktop program. The language is chosen when it is built.

#include "app/Language.h"
#include "app/kilnmon/StopSignals.h"
#include "app/qt/CTreeListApp.h"

#include <QApplication>

#include <clocale>

int main(int argc, char** argv) {
    constexpr Language language = Language::KILNWATCH_LANGUAGE;
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("kilnwatch"));
    QApplication::setApplicationName(QStringLiteral("kilnwatch"));
    std::setlocale(LC_ALL, "");

    CTreeListApp theApp(language);
    if (!theApp.InitInstance()) {
        // Another instance runs and has been asked to show itself.
        return 0;
    }
    // The end of the session, or a plain kill, ends the program as File > Exit does.
    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, theApp.MainFrame(),
                     &QWidget::close);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, theApp.MainFrame(),
                     &QWidget::close);
    const int status = app.exec();
    theApp.ExitInstance();
    return status;
}
