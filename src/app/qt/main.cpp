// kilnwatch and kilnwatch-es: the desktop program. The language is chosen when it is built.

#include "app/Language.h"
#include "app/qt/CTreeListApp.h"

#include <QApplication>

#include <clocale>
#include <cstdio>
#include <cstring>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

const char* const kHelpEnglish =
    "Usage: kilnwatch [--help] [--version] [Qt options such as -platform NAME]\n"
    "The desktop program of a heat-treatment site: it connects one farm of controller units at\n"
    "a time over the PC's serial port, directly or through a modem, polls every unit once a\n"
    "second, shows each unit's mode and core and chamber temperatures, switches units between\n"
    "Standby and Run, sounds the alarm tone, and writes a minute-by-minute PC log of every\n"
    "running unit. Only one runs at a time: starting it again brings the window forward.\n"
    "kilnwatch-es is the same program with the Spanish texts.\n"
    "\n"
    "  --help     show this help\n"
    "  --version  show the version\n"
    "\n"
    "Where things are:\n"
    "  hive     the farms, their units and ports: $KILNWATCH_REGISTRY, else\n"
    "           ~/.config/kilnwatch/registry.reg ($XDG_CONFIG_HOME in place of ~/.config\n"
    "           when set); without one the program starts with its defaults\n"
    "  COMn     the device of a farm's port n (1 to 4): $KILNWATCH_COMn, else the link\n"
    "           ~/.config/kilnwatch/comN (to the device), else /dev/ttyS(n-1)\n"
    "  window   the window's placement: ~/.config/kilnwatch/kilnwatch.conf\n"
    "  PC logs  PC_Logs in the working directory, one CSV file per connection\n"
    "\n"
    "SIGTERM, SIGINT, SIGHUP or the end of the session ends the program as File > Exit does:\n"
    "the farm is disconnected, the PC log finished and the hive saved.\n";

const char* const kHelpSpanish =
    "Uso: kilnwatch-es [--help] [--version] [opciones de Qt como -platform NOMBRE]\n"
    "El programa de escritorio de una planta de tratamiento t\u00e9rmico: conecta una granja de\n"
    "unidades de control cada vez por el puerto serie del PC, directamente o por m\u00f3dem,\n"
    "consulta cada unidad una vez por segundo, muestra el modo y las temperaturas de n\u00facleo\n"
    "y de c\u00e1mara de cada unidad, pasa unidades entre Standby y Run, hace sonar la alarma y\n"
    "escribe cada minuto un registro (PC log) de cada unidad en marcha. S\u00f3lo corre uno a la\n"
    "vez: al iniciarlo de nuevo se trae la ventana al frente. kilnwatch es el mismo programa\n"
    "con los textos en ingl\u00e9s.\n"
    "\n"
    "  --help     muestra esta ayuda\n"
    "  --version  muestra la versi\u00f3n\n"
    "\n"
    "D\u00f3nde est\u00e1 cada cosa:\n"
    "  hive     las granjas, sus unidades y puertos: $KILNWATCH_REGISTRY, si no\n"
    "           ~/.config/kilnwatch/registry.reg ($XDG_CONFIG_HOME en lugar de ~/.config\n"
    "           si est\u00e1 definida); sin \u00e9l el programa empieza con los valores por "
    "defecto\n"
    "  COMn     el dispositivo del puerto n de una granja (1 a 4): $KILNWATCH_COMn, si no el\n"
    "           enlace ~/.config/kilnwatch/comN (al dispositivo), si no /dev/ttyS(n-1)\n"
    "  ventana  la posici\u00f3n de la ventana: ~/.config/kilnwatch/kilnwatch.conf\n"
    "  PC logs  PC_Logs en la carpeta de trabajo, un archivo CSV por conexi\u00f3n\n"
    "\n"
    "SIGTERM, SIGINT, SIGHUP o el fin de la sesi\u00f3n terminan el programa como\n"
    "El archivo > La salida: se desconecta la granja, se cierra el PC log y se guarda el hive.\n";

// --help and --version are answered before anything needs a display, so that they work from
// a console, a package check or a man-page build. Every other argument is Qt's.
bool AnswerInformationRequest(int argc, char** argv, Language language) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(language == Language::Spanish ? kHelpSpanish : kHelpEnglish, stdout);
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
