// kilnwatch and kilnwatch-es: the desktop program. The language is chosen when it is built.

#include "app/Language.h"
#include "app/kilnmon/StopSignals.h"
#include "app/qt/CTreeListApp.h"

#include <QApplication>

#include <clocale>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv) {
    constexpr Language language = Language::KILNWATCH_LANGUAGE;
#if defined(__GLIBC__)
    // Every burst of bytes from the serial port takes a 32 KB buffer that is handed back once
    // the reply is read; with glibc's default trim threshold that grows and shrinks the heap,
    // with its system calls, for every reply of every unit.
    mallopt(M_TRIM_THRESHOLD, 1 << 20);
#endif
    // The plain event loop wakes up for less than GLib's, several times a second all day.
    if (qEnvironmentVariableIsEmpty("QT_NO_GLIB")) {
        qputenv("QT_NO_GLIB", "1");
    }
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
