#include "app/StringTable.h"

#include <cinttypes>
#include <cstddef>
#include <iterator>
#include <unordered_map>

namespace {

struct Entry {
    int id;
    const char* english;
    const char* spanish; // nullptr: the id shows its one text in both languages
};

// The desktop program's --help.
constexpr const char* kHelpEnglish =
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

constexpr const char* kHelpSpanish =
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

// UTF-8 throughout.
constexpr Entry kEntries[] = {
    {IDR_MAINFRAME, "Vantrel KVN-7100 Explorer\n\nKVN\n\n\nKVN.Document\nKVN Document", nullptr},

    {IDS_APP_TITLE, "WRB Explorer", nullptr},
    {IDS_APP_TITLE_ES, "El Explorador de WRB", nullptr},
    {IDS_MENU_FILE_ES, "El archivo", nullptr},
    {IDS_MENU_OPTIONS_ES, "Las opciones", nullptr},
    {IDS_MENU_EXIT_ES, "La salida", nullptr},
    {IDS_MENU_VIEW_ES, "La vista", nullptr},
    {IDS_MENU_HELP_ES, "La ayuda", nullptr},
    {IDS_MENU_LARGE_ICONS_ES, "Iconos grandes", nullptr},
    {IDS_MENU_SMALL_ICONS_ES, "Iconos pequeños", nullptr},
    {IDS_MENU_LIST_ES, "La lista", nullptr},
    {IDS_MENU_DETAILS_ES, "Los detalles", nullptr},

    {IDS_ALL_GROUPS_ES, "Todo Agrupa", nullptr},
    {IDS_GROUP_ES, "El grupo", nullptr},
    {IDS_ALL_GROUPS, "All Groups", nullptr},
    {IDS_GROUP, "Group", nullptr},

    {IDS_SHEET_APPLY_ES, "Aplique", nullptr},
    {IDS_SHEET_OK_ES, "BUENO", nullptr},
    {IDS_SHEET_CANCEL_ES, "Cancele", nullptr},
    {IDS_CONNECT_ON_STARTUP_ES, "Conecte en el inicio", nullptr},
    {IDS_CONNECTION_TYPE_ES, "De tipo conexión", nullptr},
    {IDS_PHONE_NUMBER_ES, "El Número de teléfono", nullptr},
    {IDS_SERIAL_PORT_ES, "El Puerto en serie", nullptr},
    {IDS_DIALING_ES, "El marcado", nullptr},
    {IDS_REMOTE_WITH_MODEM_ES, "El telemando con el módem", nullptr},
    {IDS_STARTUP_ES, "Inicio", nullptr},
    {IDS_LOCAL_ES, "Local", nullptr},
    {IDS_LOCAL_WITH_MODEM_ES, "Local con el módem", nullptr},

    {IDS_CONTROLLER_SHEET_TITLE_ES, "Director WRB", nullptr},

    {IDS_CONNECTED_TO_GROUP, "CONNECTED to Group", nullptr},
    {IDS_CONNECTED_TO_GROUP_ES, "CONECTO para Agrupar", nullptr},
    {IDS_NOT_CONNECTED, "NOT CONNECTED", nullptr},
    {IDS_NOT_CONNECTED_ES, "No CONECTADO", nullptr},
    {IDS_UNABLE_TO_CONNECT, "UNABLE TO CONNECT", nullptr},
    {IDS_UNABLE_TO_CONNECT_ES, "INCAPAZ de CONECTAR", nullptr},
    {IDS_UNABLE_TO_OPEN_PORT, "UNABLE TO OPEN THE PORT", nullptr},
    {IDS_UNABLE_TO_OPEN_PORT_ES, "INCAPAZ de ABRIR EL PUERTO", nullptr},

    {IDS_MIRROR_FILE_NAME, "CurrentLogSession", nullptr},
    {IDS_MIRROR_FILE_NAME_ES, "Corriente", nullptr},

    {IDS_STATUS_STANDBY, "Standby", "La reserva"},
    {IDS_STATUS_RUN, "Run", "Corra"},
    {IDS_STATUS_SETUP, "Setup", "Arreglo"},
    {IDS_ALARM_NORMAL, "Normal", nullptr},
    {IDS_ALARM_LOW, "Low", nullptr},
    {IDS_ALARM_HIGH, "High", nullptr},
    {IDS_CURING_AH, "AH", nullptr},
    {IDS_CURING_DT, "DT", nullptr},
    {IDS_HEATER_OFF, "Off", "Lejos"},
    {IDS_HEATER_ON, "On", "En"},
    {IDS_DAMPER_MANUAL, "Manual", nullptr},
    {IDS_DAMPER_AUTO, "Auto", nullptr},

    {IDS_CAPTION_CORE1_F, "Core Temperature 1 (°F):", "La Temperatura del centro 1 (°F):"},
    {IDS_CAPTION_CORE2_F, "Core Temperature 2 (°F):", "La Temperatura del centro 2 (°F):"},
    {IDS_CAPTION_CORE3_F, "Core Temperature 3 (°F):", "La Temperatura del centro 3 (°F):"},
    {IDS_CAPTION_CHAMBER_F, "Chamber Temperature (°F):", "La Temperatura de la cámara (°F):"},
    {IDS_CAPTION_CORE1_C, "Core Temperature 1 (°C):", "La Temperatura del centro 1 (°C):"},
    {IDS_CAPTION_CORE2_C, "Core Temperature 2 (°C):", "La Temperatura del centro 2 (°C):"},
    {IDS_CAPTION_CORE3_C, "Core Temperature 3 (°C):", "La Temperatura del centro 3 (°C):"},
    {IDS_CAPTION_CHAMBER_C, "Chamber Temperature (°C):", "La Temperatura de la cámara (°C):"},

    {IDS_MODE_STANDBY, "STANDBY", "LA RESERVA"},
    {IDS_MODE_RUN, "RUN", "CORRA"},
    {IDS_MODE_SETUP, "SETUP", "ARREGLO"},

    {IDS_ABOUT_VERSION, "Version 1.50  (14SEP04)", "La versión 1.50  (14SEP04)"},
    {IDS_ABOUT_CAPTION, "About WRB Explorer", "Acerca de Explorador de WRB"},

    {IDS_MENU_FILE, "&File", nullptr},
    {IDS_MENU_OPTIONS, "&Options", nullptr},
    {IDS_MENU_EXIT, "E&xit", nullptr},
    {IDS_MENU_VIEW, "&View", nullptr},
    {IDS_MENU_LARGE_ICONS, "Lar&ge Icons", nullptr},
    {IDS_MENU_SMALL_ICONS, "S&mall Icons", nullptr},
    {IDS_MENU_LIST, "&List", nullptr},
    {IDS_MENU_DETAILS, "&Details", nullptr},
    {IDS_MENU_HELP, "&Help", nullptr},
    {IDS_MENU_ABOUT, "&About", nullptr},

    {IDS_CONTROLLER_SHEET_TITLE, "WRB Controller", nullptr},
    {IDS_OPERATION_PAGE_TITLE, "Operation", "La operación"},
    {IDS_LABEL_IDENTIFICATION_CODE, "Identification Code:", "El Código de identificación:"},
    {IDS_LABEL_HEATER_STATUS, "Heater Status:", "La Posición de la calentadora:"},
    {IDS_LABEL_HOURS, "Hours:", "Las horas:"},
    {IDS_LABEL_OPERATIONAL_MODE, "Operational Mode:", "El Modo operacional:"},
    {IDS_APPLY, "Apply", nullptr},

    {IDS_GROUP_PROPERTIES_FORMAT, "Group %d Properties", "Agrupe %d Propiedades"},

    {IDS_COLUMN_ID, "WRB ID", "#"},
    {IDS_COLUMN_STATUS, "Status", "La posición"},
    {IDS_COLUMN_RTD1, "RTD1", "T1"},
    {IDS_COLUMN_RTD2, "RTD2", "T2"},
    {IDS_COLUMN_RTD3, "RTD3", "T3"},
    {IDS_COLUMN_RTD4, "RTD4", "T4"},

    {IDS_TREE_CONNECT, "&Connect", "&Conectar"},
    {IDS_TREE_DISCONNECT, "&Disconnect", "&Desconectar"},
    {IDS_TREE_PROPERTIES, "P&roperties", "P&ropiedades"},
    {IDS_INDICATOR_CAPS, "CAP", "MAY"},
    {IDS_INDICATOR_NUM, "NUM", "NUM"},
    {IDS_INDICATOR_SCROLL, "SCRL", "DESPL"},
    {IDS_TREE_CONNECTED, "connected", "conectado"},
    {IDS_PANE_FARMS, "Groups", "Los grupos"},
    {IDS_PANE_UNITS, "Kilns", "Los hornos"},
    {IDS_PANE_STATUS, "Status", "La posición"},
    {IDS_ABOUT_OK, "OK", "Aceptar"},
    {IDS_NOTICE_TITLE, "WRB Explorer", "El Explorador de WRB"},
    {IDS_NOTICE_HIVE_UNREADABLE, "%s; running on defaults, the file is left as it is",
     "No se pudo leer la configuración (%s); se usan los valores de fábrica y el archivo queda "
     "como está"},
    {IDS_NOTICE_HIVE_NOT_SAVED, "the settings will not be saved: %s",
     "La configuración no se guardará: %s"},
    {IDS_NOTICE_PC_LOGGING_OFF, "PC logging is off: %s", "El registro en el PC está apagado: %s"},

    {IDS_LIST_OPERATE, "&Operate", "&Operar"},
    {IDS_LIST_DELETE, "&Delete", "&Eliminar"},
    {IDS_LIST_PROPERTIES, "P&roperties", "P&ropiedades"},
    {IDS_LIST_ARRANGE_ICONS, "Arrange &Icons", "Organizar &iconos"},
    {IDS_LIST_BY_NAME, "by &Name", "por &nombre"},
    {IDS_LIST_BY_ALARM_STATUS, "by Alarm &Status", "por &estado de alarma"},
    {IDS_LIST_BY_OPERATING_MODE, "by Operating &Mode", "por &modo de operación"},
    {IDS_LIST_LINE_UP_ICONS, "Lin&e up Icons", "&Alinear iconos"},
    {IDS_LIST_NEW, "&New", "&Nuevo"},
    {IDS_LIST_NEW_KILN, "Kiln", "Horno"},
    {IDS_LIST_STATE_NO_DATA, "No data", "Sin datos"},
    {IDS_LIST_STATE_NORMAL, "Normal", "Normal"},
    {IDS_LIST_STATE_ALARM, "Alarm", "Alarma"},

    {IDS_GENERAL_PAGE_TITLE, "General", nullptr},
    {IDS_GENERAL_PAGE_TITLE_ES, "El general", nullptr},
    {IDS_CONNECTION_TYPE, "Connection Type", nullptr},
    {IDS_LOCAL, "&Local", nullptr},
    {IDS_LOCAL_WITH_MODEM, "Local with &modem", nullptr},
    {IDS_REMOTE_WITH_MODEM, "&Remote with modem", nullptr},
    {IDS_DIALING, "Dialup", nullptr},
    {IDS_PHONE_NUMBER, "&Phone Number:", nullptr},
    {IDS_STARTUP, "Startup", nullptr},
    {IDS_CONNECT_ON_STARTUP, "&Connect on startup", nullptr},
    {IDS_SERIAL_PORT, "Serial Port", nullptr},
    {IDS_SERIAL_PORT_NAME, "&Serial Port Name:", nullptr},
    {IDS_SHEET_OK, "OK", nullptr},
    {IDS_SHEET_CANCEL, "Cancel", nullptr},
    {IDS_NO_SERIAL_PORT, "No serial port is available: the port stays as stored.",
     "No hay ningún puerto en serie disponible: el puerto queda como estaba."},
    {IDS_PHONE_NUMBER_TOO_LONG,
     "The phone number is too long: the dial command holds at most %d characters.",
     "El número de teléfono es demasiado largo: la orden de marcado admite como máximo %d "
     "caracteres."},

    {IDS_ADD_KILN_TITLE, "Add Kiln", "Agregue el horno"},
    {IDS_KILN_ID, "Kiln ID:", "El ID del horno:"},
    {IDS_ADD, "Add", "Agregue"},

    {IDS_LOG_DESCRIPTOR, "Log Descriptor", nullptr},
    {IDS_LOG_DESCRIPTOR_ES, "Apunte a Descriptor", nullptr},

    {IDS_RECONNECTING, "Reconnecting to Group %d in %d s", "Reconectando al Grupo %d en %d s"},
    {IDS_SHEET_FARM_NOT_CONNECTED, "Farm not connected", "Granja no conectada"},
    {IDS_SHEET_NO_DATA, "No data from this unit", "Sin datos de esta unidad"},
    {IDS_HELD_LOG_LINES_FULL,
     "The Log Descriptor is still open: %u readings are kept for the PC log, later ones are "
     "not until it is answered",
     "El descriptor del registro sigue abierto: se guardan %u lecturas para el registro del PC, "
     "las siguientes no hasta que se conteste"},
    {IDS_LIST_STATE_NOT_ANSWERING, "Not answering", "No responde"},
    {IDS_SHEET_COMMIT_WAITING, "Sent — waiting for unit %s", "Enviado — esperando a la unidad %s"},
    {IDS_SHEET_COMMIT_TOOK, "Unit %s took %s", "La unidad %s aceptó %s"},
    {IDS_SHEET_COMMIT_NO_ANSWER, "No answer from unit %s: not changed",
     "Sin respuesta de la unidad %s: sin cambios"},
    {IDS_SHEET_COMMIT_REFUSED, "Unit %s refused the change", "La unidad %s rechazó el cambio"},
    {IDS_NO_ALARM_TONE, "No alarm tone", "Sin tono de alarma"},
    {IDS_SCAN_PAGE_TITLE, "Scan", "Sondeo"},
    {IDS_SCAN_PACE, "&Scan pace:", "&Ritmo de sondeo:"},
    {IDS_SCAN_PACE_TICK, "One query a second (tick)", "Una consulta por segundo (tic)"},
    {IDS_SCAN_PACE_LINE, "As fast as the line allows (line)",
     "Tan rápido como permite la línea (línea)"},
    {IDS_SCAN_GUARD,
     "&Guard time after a reply (ms):", "Tiempo de &guarda tras una respuesta (ms):"},
    {IDS_SCAN_MARGIN, "Reply &margin (ms):", "&Margen de respuesta (ms):"},
    {IDS_SCAN_NOTE,
     "The line pace reads every unit as often as the line allows, so the PC log can hold a "
     "line for each unit every minute. Keep the tick for controllers that need a second "
     "between queries.",
     "El ritmo de línea lee cada unidad tan a menudo como permite la línea, de modo que el "
     "registro del PC puede tener una línea por unidad cada minuto. Mantenga el tic para los "
     "controladores que necesitan un segundo entre consultas."},
    {IDS_SCAN_NOT_SAVED, "The scan pace applies now but could not be saved.",
     "El ritmo de sondeo se aplica ahora, pero no se pudo guardar."},
    {IDS_TREND_SAVE_CERTIFICATE, "Save &Certificate\xE2\x80\xA6",
     "Guardar &certificado\xE2\x80\xA6"},
    {IDS_TREND_SAVE_CERTIFICATE_NAME, "Save Certificate", "Guardar certificado"},
    {IDS_TREND_CERTIFICATE_FILTER, "PDF files (*.pdf)", "Archivos PDF (*.pdf)"},
    {IDS_TREND_CERTIFICATE_SAVED, "Certificate of unit %1 saved as %2.",
     "Certificado de la unidad %1 guardado como %2."},
    {IDS_TREND_CERTIFICATE_FAILED, "The certificate was not saved: %1.",
     "No se guard\xC3\xB3 el certificado: %1."},
    {IDS_TREND_CERTIFICATE_NO_LOG, "No PC log holds a charge of this unit yet.",
     "Ning\xC3\xBAn registro del PC contiene todav\xC3\xAD"
     "a una carga de esta unidad."},

    // ---- Texts of the newer windows, menus and notices (62600-62899) ----------------------
    {IDS_MENU_TREND, "&Trend…", "La &tendencia…"},
    {IDS_MENU_LINE_HEALTH, "Line &Health…", "La &salud de la línea…"},
    {IDS_PROGRAM_HELP, kHelpEnglish, kHelpSpanish},
    {IDS_ALARM_TONE_PC_SPEAKER, "Alarm tone: PC speaker", "Tono de alarma: altavoz del PC"},
    {IDS_ALARM_TONE_SOUND_CARD, "Alarm tone: sound card", "Tono de alarma: tarjeta de sonido"},
    {IDS_ALARM_TONE_NONE, "Alarm tone: none", "Tono de alarma: ninguno"},
    {IDS_ALARM_TONE_NOT_HEARD,
     "This PC has no speaker or sound card to use: the alarm tone will not be heard",
     "Este PC no tiene altavoz ni tarjeta de sonido: el tono de alarma no se oirá"},
    {IDS_HEALTH_TITLE, "Line Health", "La salud de la línea"},
    {IDS_HEALTH_TABLE, "Line health of each unit", "Salud de la línea por unidad"},
    {IDS_HEALTH_SUMMARY, "%1 units, %2 failing", "%1 unidades, %2 con fallos"},
    {IDS_HEALTH_FAILING, "Failing", "Falla"},
    {IDS_HEALTH_OK, "OK", "Bien"},
    {IDS_HEALTH_COLUMN_STATE, "State", "Estado"},
    {IDS_HEALTH_COLUMN_UNIT, "Unit", "Unidad"},
    {IDS_HEALTH_COLUMN_POLLS, "Polls", "Consultas"},
    {IDS_HEALTH_COLUMN_GOOD, "Good", "Buenas"},
    {IDS_HEALTH_COLUMN_NO_REPLY, "No reply", "Sin respuesta"},
    {IDS_HEALTH_COLUMN_GIVEN_UP, "Given up", "Abandonos"},
    {IDS_HEALTH_COLUMN_REFUSED, "Refused", "Rechazadas"},
    {IDS_HEALTH_COLUMN_LAST_GOOD, "Last good", "Última buena"},
    {IDS_HEALTH_COLUMN_SINCE, "Since", "Hace"},
    {IDS_HEALTH_HEADING_UNIT, "Unit", "Unid"},
    {IDS_HEALTH_HEADING_POLLS, "Polls", "Consult"},
    {IDS_HEALTH_HEADING_GOOD, "Good", "Buenas"},
    {IDS_HEALTH_HEADING_NO_REPLY, "NoReply", "SinResp"},
    {IDS_HEALTH_HEADING_GIVE_UPS, "GiveUps", "Abandon"},
    {IDS_HEALTH_HEADING_REFUSED, "Refused", "Rechaz"},
    {IDS_HEALTH_HEADING_LAST_GOOD, "LastGood", "UltBuena"},
    {IDS_HEALTH_HEADING_SINCE, "Since", "Desde"},
    {IDS_HEALTH_TIP,
     "Line: %" PRIu64 " polls, %" PRIu64 " good, %" PRIu64 " without a valid reply, %" PRIu64
     " given up, %" PRIu64 " refused\nLast good reply: %s (%s ago)",
     "Línea: %" PRIu64 " consultas, %" PRIu64 " buenas, %" PRIu64 " sin respuesta válida, %" PRIu64
     " abandonos, %" PRIu64 " rechazadas\nÚltima respuesta buena: %s (hace %s)"},
    {IDS_TREND_THRESHOLD_LABEL, "&Threshold:", "&Umbral:"},
    {IDS_TREND_THRESHOLD_NAME, "Core threshold", "Umbral del núcleo"},
    {IDS_TREND_MINUTES_LABEL, "&Minutes:", "&Minutos:"},
    {IDS_TREND_MINUTES_NAME, "Minutes required", "Minutos requeridos"},
    {IDS_TREND_UNIT_LABEL, "U&nit:", "U&nidad:"},
    {IDS_TREND_UNIT_NAME, "Unit", "Unidad"},
    {IDS_TREND_OPEN_LOG_BUTTON, "&Open PC log…", "&Abrir registro del PC…"},
    {IDS_TREND_OPEN_LOG, "Open PC log", "Abrir registro del PC"},
    {IDS_TREND_LIVE_BUTTON, "&Live", "&En vivo"},
    {IDS_TREND_LIVE_NAME, "Back to the live trend", "Volver a la tendencia en vivo"},
    {IDS_TREND_LOG_FILTER, "PC logs (*.CSV *.csv);;All files (*)",
     "Registros del PC (*.CSV *.csv);;Todos los archivos (*)"},
    {IDS_TREND_BAD_THRESHOLD, "The threshold is a temperature such as 56C or 133F.",
     "El umbral es una temperatura como 56C o 133F."},
    {IDS_TREND_LOG_UNREADABLE, "%1: the log %2.", "%1: el registro no se pudo leer (%2)."},
    {IDS_TREND_TITLE, "Trend of unit %1 - %2", "La tendencia de la unidad %1 - %2"},
    {IDS_TREND_THIS_CONNECTION, "this connection", "esta conexión"},
    {IDS_TREND_AXIS_TIME, "Time", "Hora"},
    {IDS_TREND_AXIS_TEMPERATURE, "Temperature (%1)", "Temperatura (%1)"},
    {IDS_TREND_HELD_LONG_ENOUGH, "Held long enough", "Mantenido lo suficiente"},
    {IDS_TREND_AT_THRESHOLD, "At threshold", "En el umbral"},
    {IDS_TREND_CORE1, "Core 1", "Núcleo 1"},
    {IDS_TREND_CORE2, "Core 2", "Núcleo 2"},
    {IDS_TREND_CORE3, "Core 3", "Núcleo 3"},
    {IDS_TREND_CHAMBER, "Chamber", "Cámara"},
    {IDS_TREND_THRESHOLD_LINE, "Threshold %1%2", "Umbral %1%2"},
    {IDS_TREND_LIVE_STATUS,
     "%1 readings on the chart. The verdict counts the PC log's lines of this unit, one a minute "
     "while it runs: %2 lines, %3 stretches at threshold; every core for %4 minutes at %5: %6",
     "%1 lecturas en el gráfico. El veredicto cuenta las líneas de esta unidad en el registro del "
     "PC, una por minuto mientras corre: %2 líneas, %3 tramos en el umbral; cada núcleo durante "
     "%4 minutos a %5: %6"},
    {IDS_TREND_NO_READINGS, "No readings of this unit yet.",
     "Todavía no hay lecturas de esta unidad."},
    {IDS_TREND_LOG_STATUS, "%1 readings, %2 stretches at threshold; %3 for %4 minutes at %5: %6",
     "%1 lecturas, %2 tramos en el umbral; %3 durante %4 minutos a %5: %6"},
    {IDS_TREND_EVERY_CORE, "every core", "cada núcleo"},
    {IDS_TREND_TREATED, "TREATED", "TRATADO"},
    {IDS_TREND_NOT_TREATED, "NOT TREATED", "NO TRATADO"},
    {IDS_MENU_EVENT_HISTORY, "&Event History…", "El &historial de eventos…"},
    {IDS_HISTORY_TITLE, "Event History", "Historial de eventos"},
    {IDS_HISTORY_FARM_LABEL, "&Farm:", "&Granja:"},
    {IDS_HISTORY_UNIT_LABEL, "&Unit:", "&Unidad:"},
    {IDS_HISTORY_KIND_LABEL, "&Event:", "&Evento:"},
    {IDS_HISTORY_FROM_LABEL, "Fr&om:", "&Desde:"},
    {IDS_HISTORY_TO_LABEL, "&To:", "&Hasta:"},
    {IDS_HISTORY_ALL_FARMS, "All farms", "Todas las granjas"},
    {IDS_HISTORY_FARM, "Farm %1", "Granja %1"},
    {IDS_HISTORY_ALL_UNITS, "All units", "Todas las unidades"},
    {IDS_HISTORY_ALL_KINDS, "All events", "Todos los eventos"},
    {IDS_HISTORY_REFRESH, "&Refresh", "&Actualizar"},
    {IDS_HISTORY_EXPORT, "E&xport…", "E&xportar…"},
    {IDS_HISTORY_CLOSE, "&Close", "&Cerrar"},
    {IDS_HISTORY_TABLE, "Events", "Eventos"},
    {IDS_HISTORY_COLUMN_TIME, "Date and time", "Fecha y hora"},
    {IDS_HISTORY_COLUMN_FARM, "Farm", "Granja"},
    {IDS_HISTORY_COLUMN_UNIT, "Unit", "Unidad"},
    {IDS_HISTORY_COLUMN_KIND, "Event", "Evento"},
    {IDS_HISTORY_COLUMN_DETAIL, "Detail", "Detalle"},
    {IDS_HISTORY_SHOWN_ONE, "1 event shown.", "1 evento mostrado."},
    {IDS_HISTORY_SHOWN, "%1 events shown.", "%1 eventos mostrados."},
    {IDS_HISTORY_SKIPPED_ONE, "1 line could not be read.", "1 línea no se pudo leer."},
    {IDS_HISTORY_SKIPPED, "%1 lines could not be read.", "%1 líneas no se pudieron leer."},
    {IDS_HISTORY_UNREADABLE_ONE, "1 journal file could not be read.",
     "1 archivo del historial no se pudo leer."},
    {IDS_HISTORY_UNREADABLE, "%1 journal files could not be read.",
     "%1 archivos del historial no se pudieron leer."},
    {IDS_HISTORY_NO_JOURNAL, "No events have been journaled in %1.",
     "No se ha registrado ningún evento en %1."},
    {IDS_HISTORY_EXPORT_TITLE, "Export events", "Exportar eventos"},
    {IDS_HISTORY_EXPORT_FILTER, "CSV files (*.csv)", "Archivos CSV (*.csv)"},
    {IDS_HISTORY_EXPORT_NAME, "EventHistory.csv", "HistorialEventos.csv"},
    {IDS_HISTORY_EXPORT_FAILED, "The events could not be saved as %1: %2",
     "No se pudieron guardar los eventos como %1: %2"},
    {IDS_HISTORY_EXPORT_OVER_RECORD,
     "it is a file of the journal's folder, kept as a record; choose another name or folder",
     "es un archivo de la carpeta del historial, que se guarda como registro; elija otro nombre "
     "u otra carpeta"},
    {IDS_EVENT_ALARM_RAISED, "Alarm raised", "Alarma activada"},
    {IDS_EVENT_ALARM_CLEARED, "Alarm cleared", "Alarma despejada"},
    {IDS_EVENT_ALARM_ACKNOWLEDGED, "Alarm acknowledged", "Alarma reconocida"},
    {IDS_EVENT_UNIT_SILENT, "Unit silent", "Unidad sin respuesta"},
    {IDS_EVENT_UNIT_ANSWERING, "Unit answering again", "Unidad responde de nuevo"},
    {IDS_EVENT_SENSOR_FAULT, "Sensor fault", "Fallo de sensor"},
    {IDS_EVENT_SENSOR_RECOVERED, "Sensor back in range", "Sensor de nuevo en su rango"},
    {IDS_EVENT_CHARGE_QUALIFIED, "Charge qualified", "Carga cualificada"},
    {IDS_EVENT_CHARGE_BROKEN, "Charge broken", "Carga interrumpida"},
    {IDS_EVENT_MODE_CHANGED, "Mode changed", "Cambio de modo"},
    {IDS_EVENT_FARM_CONNECTED, "Farm connected", "Granja conectada"},
    {IDS_EVENT_FARM_DISCONNECTED, "Farm disconnected", "Granja desconectada"},
    {IDS_EVENT_PORT_LOST, "Port lost", "Puerto perdido"},
    {IDS_EVENT_RECONNECTED, "Reconnected", "Reconectada"},
    {IDS_EVENT_PROGRAM_STARTED, "Program started", "Programa iniciado"},
    {IDS_EVENT_PROGRAM_ENDED, "Program ended", "Programa terminado"},
    {IDS_MENU_PUBLISHING, "&Publishing...", "&Publicación..."},
    {IDS_PUBLISHING_TITLE, "Publishing to an MQTT broker", "Publicación en un servidor MQTT"},
    {IDS_PUBLISHING_URL, "&Broker URL", "&URL del servidor"},
    {IDS_PUBLISHING_CLIENT_ID, "&Client id", "Id del &cliente"},
    {IDS_PUBLISHING_USER, "&User name", "Usua&rio"},
    {IDS_PUBLISHING_PASSWORD_FILE, "Password &file", "Archivo de la c&ontraseña"},
    {IDS_PUBLISHING_PASSWORD_ENV, "Password &variable", "&Variable de la contraseña"},
    {IDS_PUBLISHING_CA_FILE, "C&A file", "Archivo de la &AC"},
    {IDS_PUBLISHING_PREFIX, "Topic &prefix", "&Prefijo de los temas"},
    {IDS_PUBLISHING_SITE, "&Site name", "Nombre del &sitio"},
    {IDS_PUBLISHING_NOTE,
     "Leave the broker URL empty to publish nothing. The password is never stored here: give a "
     "file holding it or the name of an environment variable. The program only publishes; nothing "
     "received from the broker reaches a unit.",
     "Deje vacía la URL del servidor para no publicar nada. La contraseña nunca se guarda aquí: "
     "indique un archivo que la contenga o el nombre de una variable de entorno. El programa solo "
     "publica; nada recibido del servidor llega a una unidad."},
    {IDS_PUBLISHING_STATE, "State: %1", "Estado: %1"},
    {IDS_PUBLISHING_OFF, "not publishing", "sin publicar"},
    {IDS_PUBLISHING_CONNECTED, "connected to the broker", "conectado al servidor"},
    {IDS_PUBLISHING_WAITING, "waiting for the broker", "esperando al servidor"},
    {IDS_PUBLISHING_CANNOT_START, "Publishing cannot start: %1",
     "La publicación no puede empezar: %1"},
    {IDS_PUBLISHING_NOT_SAVED, "The settings could not be saved in the registry.",
     "No se pudo guardar la configuración en el registro."},
    {IDS_PUBLISH_URL_SCHEME,
     "the broker URL must start with mqtt:// or mqtts:// (e.g. mqtt://broker:1883)",
     "la URL del bróker debe empezar por mqtt:// o mqtts:// (p. ej. mqtt://broker:1883)"},
    {IDS_PUBLISH_URL_BRACKET, "the broker URL has an unclosed [ in its host",
     "la URL del bróker tiene un [ sin cerrar en su host"},
    {IDS_PUBLISH_URL_TRAILING, "the broker URL has text after its host",
     "la URL del bróker tiene texto tras su host"},
    {IDS_PUBLISH_URL_PORT, "the broker URL's port must be a number from 1 to 65535",
     "el puerto de la URL del bróker debe ser un número de 1 a 65535"},
    {IDS_PUBLISH_URL_HOST, "the broker URL needs a host name or address (e.g. mqtt://broker:1883)",
     "la URL del bróker necesita un nombre de host o una dirección (p. ej. mqtt://broker:1883)"},
    {IDS_PUBLISH_CLIENT_ID, "the client id must be one line of at most 128 characters",
     "el identificador de cliente debe ser una línea de 128 caracteres como máximo"},
    {IDS_PUBLISH_USER, "the user name must be one line of text",
     "el nombre de usuario debe ser una línea de texto"},
    {IDS_PUBLISH_PASSWORD_BOTH,
     "give the password either from a file or from an environment variable, not both",
     "indique la contraseña desde un archivo o desde una variable de entorno, no de ambos"},
    {IDS_PUBLISH_PASSWORD_VARIABLE,
     "the password variable's name may hold only letters, digits and _",
     "el nombre de la variable de la contraseña solo puede tener letras, dígitos y _"},
    {IDS_PUBLISH_PASSWORD_NEEDS_USER, "a password needs a user name",
     "una contraseña necesita un nombre de usuario"},
    {IDS_PUBLISH_CA_NEEDS_TLS, "a CA file is used only with an mqtts:// broker URL",
     "un archivo de CA solo se usa con una URL de bróker mqtts://"},
    {IDS_PUBLISH_CA_UNREADABLE, "the CA file %s cannot be read",
     "no se puede leer el archivo de CA %s"},
    {IDS_PUBLISH_PREFIX,
     "the topic prefix must be a topic without +, #, a leading $ or a leading or trailing / (e.g. "
     "kilnwatch or plant/kilns)",
     "el prefijo de tema debe ser un tema sin +, #, sin $ inicial y sin / al principio o al final "
     "(p. ej. kilnwatch o planta/hornos)"},
    {IDS_PUBLISH_SITE,
     "the site name must be one topic level of at most 64 characters, without /, + or # (e.g. "
     "north-yard)",
     "el nombre del sitio debe ser un nivel de tema de 64 caracteres como máximo, sin /, + ni # "
     "(p. ej. patio-norte)"},
    {IDS_PUBLISH_PASSWORD_FILE_UNREADABLE, "the password file %s cannot be read",
     "no se puede leer el archivo de contraseña %s"},
    {IDS_PUBLISH_PASSWORD_FILE_EMPTY, "the password file %s holds no password on its first line",
     "el archivo de contraseña %s no tiene contraseña en su primera línea"},
    {IDS_PUBLISH_PASSWORD_ENV_UNSET, "the environment variable %s holding the password is not set",
     "la variable de entorno %s con la contraseña no está definida"},
};

constexpr bool IdsAreUnique() {
    for (std::size_t i = 0; i < std::size(kEntries); ++i) {
        for (std::size_t j = i + 1; j < std::size(kEntries); ++j) {
            if (kEntries[i].id == kEntries[j].id) {
                return false;
            }
        }
    }
    return true;
}
static_assert(IdsAreUnique(), "two texts share one string id");

struct Texts {
    std::string english;
    std::string spanish;
};

const std::unordered_map<int, Texts>& Table() {
    static const std::unordered_map<int, Texts> table = [] {
        std::unordered_map<int, Texts> built;
        for (const Entry& entry : kEntries) {
            built.emplace(entry.id, Texts{entry.english, entry.spanish != nullptr ? entry.spanish
                                                                                  : entry.english});
        }
        return built;
    }();
    return table;
}

} // namespace

const std::string& StringTable::Text(Language language, int id) {
    static const std::string kEmpty;
    const auto& table = Table();
    const auto found = table.find(id);
    if (found == table.end()) {
        return kEmpty;
    }
    return language == Language::Spanish ? found->second.spanish : found->second.english;
}
