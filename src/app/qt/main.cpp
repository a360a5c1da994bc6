// kilnwatch and kilnwatch-es: the desktop program. The language is chosen when it is built.

#include "app/Language.h"
#include "app/StringTable.h"
#include "app/qt/CTreeListApp.h"

#include <QApplication>

#include <clocale>
#include <cstdio>
#include <cstring>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// --help and --version are answered before anything needs a display, so that they work from
// a console, a package check or a man-page build. Every other argument is Qt's.
bool AnswerInformationRequest(int argc, char** argv, Language language) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(StringTable::Text(language, IDS_PROGRAM_HELP).c_str(), stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s %s\n", language == Language::Spanish ? "kilnwatch-es" : "kilnwatch",
                        KILNWATCH_VERSION);
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    constexpr Language language = Language::KILNWATCH_LANGUAGE;
    if (AnswerInformationRequest(argc, argv, language)) {
        return 0;
    }
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
    // The end of the session, or a plain kill, ends the program as File > Exit does: the
    // application object answers them.
    const int status = app.exec();
    theApp.ExitInstance();
    return status;
}
