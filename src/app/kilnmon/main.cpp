// kilnmon: the farm monitor without a window, for sites and tests without a display.

#include "app/kilnmon/JournalListing.h"
#include "app/kilnmon/KilnmonOptions.h"
#include "app/kilnmon/Monitor.h"
#include "session/StopSignals.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv) {
    KilnmonOptions options;
    std::string error;
    if (!KilnmonOptions::Parse(argc, argv, options, error)) {
        std::fprintf(stderr, "kilnmon: %s\nTry 'kilnmon --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(KilnmonOptions::Usage().c_str(), stdout);
        return 0;
    }
    if (options.events) {
        return JournalListing(options.eventsDirectory, options.eventFilter, options.eventsCsv)
            .Print(stdout, stderr);
    }

#if defined(__GLIBC__)
    // Qt's serial port takes a 32 KB read buffer for each burst of bytes and hands it back once
    // the reply has been read. With glibc's default trim threshold that grows and shrinks the
    // heap, with its system calls and page faults, for every reply of every unit.
    mallopt(M_TRIM_THRESHOLD, 1 << 20);
#endif
    // The plain Unix event loop: nothing here needs GLib's, and it costs less per wake-up.
    qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    StopSignals stopSignals;
    if (!stopSignals.IsValid()) {
        std::fprintf(stderr, "kilnmon: cannot watch for SIGINT, SIGTERM, SIGHUP and SIGPIPE\n");
        return 1;
    }
    Monitor monitor(options, stdout);
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &monitor, &Monitor::RequestStop);
    QObject::connect(
        &monitor, &Monitor::finished, &app,
        [&monitor] { QCoreApplication::exit(monitor.ExitStatus()); }, Qt::QueuedConnection);
    QTimer::singleShot(0, &monitor, &Monitor::Start);
    return app.exec();
}
