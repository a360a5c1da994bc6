#pragma once

#include "app/Language.h"

#include <string>

// Ids of the string table. Texts that have a form in each language come in two shapes:
// - a pair of ids, one per language (the title 61479 / 61480, the connection messages, ...):
//   pick the id with TextId(language, englishId, spanishId);
// - one id holding both forms (the status texts, the captions, ...): Get() picks the form.
// An id that holds only one text shows that text in both languages.
//
// Ids below 62000 are those of the original resource script and must keep their values.
// Texts that had no id there got one in the block from 62000 on.
enum StringId : int {
    IDR_MAINFRAME = 128, // document template string

    // Main window title, menus and About box.
    IDS_APP_TITLE = 61479,
    IDS_APP_TITLE_ES = 61480,
    IDS_MENU_FILE_ES = 61468,
    IDS_MENU_OPTIONS_ES = 61469,
    IDS_MENU_EXIT_ES = 61470,
    IDS_MENU_VIEW_ES = 61471,
    IDS_MENU_HELP_ES = 61472, // also the Spanish About item
    IDS_MENU_LARGE_ICONS_ES = 57611,
    IDS_MENU_SMALL_ICONS_ES = 57621,
    IDS_MENU_LIST_ES = 61464,
    IDS_MENU_DETAILS_ES = 61462,

    // Farm tree.
    IDS_ALL_GROUPS_ES = 61474,
    IDS_GROUP_ES = 61475,
    IDS_ALL_GROUPS = 61477,
    IDS_GROUP = 61478,

    // Farm property sheet, Spanish texts of the General page.
    IDS_SHEET_APPLY_ES = 61484,
    IDS_SHEET_OK_ES = 61485,
    IDS_SHEET_CANCEL_ES = 61486,
    IDS_CONNECT_ON_STARTUP_ES = 61487,
    IDS_CONNECTION_TYPE_ES = 61488,
    IDS_PHONE_NUMBER_ES = 61491,
    IDS_SERIAL_PORT_ES = 61492,
    IDS_DIALING_ES = 61494,
    IDS_REMOTE_WITH_MODEM_ES = 61495,
    IDS_STARTUP_ES = 61496,
    IDS_LOCAL_ES = 61500,
    IDS_LOCAL_WITH_MODEM_ES = 61501,

    IDS_CONTROLLER_SHEET_TITLE_ES = 61502,

    // Connection messages of the status bar.
    IDS_CONNECTED_TO_GROUP = 61504,
    IDS_CONNECTED_TO_GROUP_ES = 61506,
    IDS_NOT_CONNECTED = 61507,
    IDS_NOT_CONNECTED_ES = 61508,
    IDS_UNABLE_TO_CONNECT = 61509,
    IDS_UNABLE_TO_CONNECT_ES = 61510,
    IDS_UNABLE_TO_OPEN_PORT = 61511,
    IDS_UNABLE_TO_OPEN_PORT_ES = 61512,

    // Name of the PC log mirror file.
    IDS_MIRROR_FILE_NAME = 61515,
    IDS_MIRROR_FILE_NAME_ES = 61516,

    // ---- Ids given here (62000 on) ----------------------------------------------------
    // Unit status (both languages).
    IDS_STATUS_STANDBY = 62000,
    IDS_STATUS_RUN = 62001,
    IDS_STATUS_SETUP = 62002,
    // Alarm status, curing method, heater and damper.
    IDS_ALARM_NORMAL = 62004,
    IDS_ALARM_LOW = 62005,
    IDS_ALARM_HIGH = 62006,
    IDS_CURING_AH = 62008,
    IDS_CURING_DT = 62009,
    IDS_HEATER_OFF = 62010,
    IDS_HEATER_ON = 62011,
    IDS_DAMPER_MANUAL = 62012,
    IDS_DAMPER_AUTO = 62013,
    // Temperature captions: cores 1-3 and the chamber, Fahrenheit then Centigrade.
    IDS_CAPTION_CORE1_F = 62016,
    IDS_CAPTION_CORE2_F = 62017,
    IDS_CAPTION_CORE3_F = 62018,
    IDS_CAPTION_CHAMBER_F = 62019,
    IDS_CAPTION_CORE1_C = 62020,
    IDS_CAPTION_CORE2_C = 62021,
    IDS_CAPTION_CORE3_C = 62022,
    IDS_CAPTION_CHAMBER_C = 62023,
    // Operational mode as the controller sheet shows it.
    IDS_MODE_STANDBY = 62024,
    IDS_MODE_RUN = 62025,
    IDS_MODE_SETUP = 62026,
    // About box (its first line is the title, IDS_APP_TITLE / IDS_APP_TITLE_ES).
    IDS_ABOUT_VERSION = 62030,
    IDS_ABOUT_CAPTION = 62031,
    // English menu texts; the Spanish ones are the IDS_MENU_..._ES ids above.
    IDS_MENU_FILE = 62040,
    IDS_MENU_OPTIONS = 62041,
    IDS_MENU_EXIT = 62042,
    IDS_MENU_VIEW = 62043,
    IDS_MENU_LARGE_ICONS = 62044,
    IDS_MENU_SMALL_ICONS = 62045,
    IDS_MENU_LIST = 62046,
    IDS_MENU_DETAILS = 62047,
    IDS_MENU_HELP = 62048,
    IDS_MENU_ABOUT = 62049,
    // Controller sheet.
    IDS_CONTROLLER_SHEET_TITLE = 62050, // Spanish: IDS_CONTROLLER_SHEET_TITLE_ES
    IDS_OPERATION_PAGE_TITLE = 62051,
    IDS_LABEL_IDENTIFICATION_CODE = 62052,
    IDS_LABEL_HEATER_STATUS = 62053,
    IDS_LABEL_HOURS = 62054,
    IDS_LABEL_OPERATIONAL_MODE = 62055,
    IDS_APPLY = 62056, // Spanish: IDS_SHEET_APPLY_ES
    // Farm property sheet title, a format with the farm number.
    IDS_GROUP_PROPERTIES_FORMAT = 62060,
    // Kiln list column headers.
    IDS_COLUMN_ID = 62070,
    IDS_COLUMN_STATUS = 62071,
    IDS_COLUMN_RTD1 = 62072,
    IDS_COLUMN_RTD2 = 62073,
    IDS_COLUMN_RTD3 = 62074,
    IDS_COLUMN_RTD4 = 62075,
    // Farm tree menu.
    IDS_TREE_CONNECT = 62200,
    IDS_TREE_DISCONNECT = 62201,
    IDS_TREE_PROPERTIES = 62202,
    // Status bar lock indicators, and the tree's note on a connected group.
    IDS_INDICATOR_CAPS = 62205,
    IDS_INDICATOR_NUM = 62206,
    IDS_INDICATOR_SCROLL = 62207,
    IDS_TREE_CONNECTED = 62208,
    // Accessible names of the main window's panes.
    IDS_PANE_FARMS = 62210,
    IDS_PANE_UNITS = 62211,
    IDS_PANE_STATUS = 62212,
    IDS_ABOUT_OK = 62213,
    // Start-up notices about the settings and the PC logs; each takes the reason.
    IDS_NOTICE_TITLE = 62214,
    IDS_NOTICE_HIVE_UNREADABLE = 62215,
    IDS_NOTICE_HIVE_NOT_SAVED = 62216,
    IDS_NOTICE_PC_LOGGING_OFF = 62217,
    // Kiln list menus; the View submenu takes the main menu's texts.
    IDS_LIST_OPERATE = 62300,
    IDS_LIST_DELETE = 62301,
    IDS_LIST_PROPERTIES = 62302,
    IDS_LIST_ARRANGE_ICONS = 62303,
    IDS_LIST_BY_NAME = 62304,
    IDS_LIST_BY_ALARM_STATUS = 62305,
    IDS_LIST_BY_OPERATING_MODE = 62306,
    IDS_LIST_LINE_UP_ICONS = 62307,
    IDS_LIST_NEW = 62308,
    IDS_LIST_NEW_KILN = 62309,
    // The state a line's icon shows, in words for screen readers and tooltips.
    IDS_LIST_STATE_NO_DATA = 62310,
    IDS_LIST_STATE_NORMAL = 62311,
    IDS_LIST_STATE_ALARM = 62312,
    // Farm General page (English; the Spanish texts are the IDS_..._ES ids above), its
    // sheet's buttons and its messages.
    IDS_GENERAL_PAGE_TITLE = 62400,
    IDS_CONNECTION_TYPE = 62401,
    IDS_LOCAL = 62402,
    IDS_LOCAL_WITH_MODEM = 62403,
    IDS_REMOTE_WITH_MODEM = 62404,
    IDS_DIALING = 62405,
    IDS_PHONE_NUMBER = 62406,
    IDS_STARTUP = 62407,
    IDS_CONNECT_ON_STARTUP = 62408,
    IDS_SERIAL_PORT = 62409,
    IDS_SERIAL_PORT_NAME = 62410,
    IDS_SHEET_OK = 62411,     // Spanish: IDS_SHEET_OK_ES
    IDS_SHEET_CANCEL = 62412, // Spanish: IDS_SHEET_CANCEL_ES
    IDS_GENERAL_PAGE_TITLE_ES = 62413,
    IDS_NO_SERIAL_PORT = 62414,
    IDS_PHONE_NUMBER_TOO_LONG = 62415,
    // Add Kiln dialog.
    IDS_ADD_KILN_TITLE = 62420,
    IDS_KILN_ID = 62421,
    IDS_ADD = 62422,
    // Log Descriptor dialog.
    IDS_LOG_DESCRIPTOR = 62430,
    IDS_LOG_DESCRIPTOR_ES = 62431,
    // Reconnecting after a lost port; the controller sheet's reasons for a locked mode switch.
    IDS_RECONNECTING = 62440,
    IDS_SHEET_FARM_NOT_CONNECTED = 62441,
    IDS_SHEET_NO_DATA = 62442,
    IDS_HELD_LOG_LINES_FULL = 62443,
    // A kiln list line whose unit stopped answering; what became of the controller sheet's
    // last commit (each takes the unit's identification, "took" also the mode); the status
    // bar's mark that no alarm tone can be heard.
    IDS_LIST_STATE_NOT_ANSWERING = 62444,
    IDS_SHEET_COMMIT_WAITING = 62445,
    IDS_SHEET_COMMIT_TOOK = 62446,
    IDS_SHEET_COMMIT_NO_ANSWER = 62447,
    IDS_SHEET_COMMIT_REFUSED = 62448,
    IDS_NO_ALARM_TONE = 62449,

    // The farm sheet's Scan page.
    IDS_SCAN_PAGE_TITLE = 62500,
    IDS_SCAN_PACE = 62501,
    IDS_SCAN_PACE_TICK = 62502,
    IDS_SCAN_PACE_LINE = 62503,
    IDS_SCAN_GUARD = 62504,
    IDS_SCAN_MARGIN = 62505,
    IDS_SCAN_NOTE = 62506,
    IDS_SCAN_NOT_SAVED = 62507,

    // The Trend window's treatment certificate.
    IDS_TREND_SAVE_CERTIFICATE = 62520,
    IDS_TREND_SAVE_CERTIFICATE_NAME = 62521,
    IDS_TREND_CERTIFICATE_FILTER = 62522,
    IDS_TREND_CERTIFICATE_SAVED = 62523,
    IDS_TREND_CERTIFICATE_FAILED = 62524,
    IDS_TREND_CERTIFICATE_NO_LOG = 62525,

    // ---- Texts of the newer windows, menus and notices (62600-62899) ----------------------
    // View menu items for the Trend and Line Health windows.
    IDS_MENU_TREND = 62600,
    IDS_MENU_LINE_HEALTH = 62601,
    // The desktop program's --help.
    IDS_PROGRAM_HELP = 62602,
    // The About box's line on the alarm tone's route, and the start-up notice when no route
    // can be heard.
    IDS_ALARM_TONE_PC_SPEAKER = 62610,
    IDS_ALARM_TONE_SOUND_CARD = 62611,
    IDS_ALARM_TONE_NONE = 62612,
    IDS_ALARM_TONE_NOT_HEARD = 62613,
    // Line Health window: title, table name, summary (units, failing), a unit's state.
    IDS_HEALTH_TITLE = 62620,
    IDS_HEALTH_TABLE = 62621,
    IDS_HEALTH_SUMMARY = 62622,
    IDS_HEALTH_FAILING = 62623,
    IDS_HEALTH_OK = 62624,
    // Its column headers, in column order.
    IDS_HEALTH_COLUMN_STATE = 62625,
    IDS_HEALTH_COLUMN_UNIT = 62626,
    IDS_HEALTH_COLUMN_POLLS = 62627,
    IDS_HEALTH_COLUMN_GOOD = 62628,
    IDS_HEALTH_COLUMN_NO_REPLY = 62629,
    IDS_HEALTH_COLUMN_GIVEN_UP = 62630,
    IDS_HEALTH_COLUMN_REFUSED = 62631,
    IDS_HEALTH_COLUMN_LAST_GOOD = 62632,
    IDS_HEALTH_COLUMN_SINCE = 62633,
    // The console's line health table: its headings, in column order, at most eight
    // characters each.
    IDS_HEALTH_HEADING_UNIT = 62640,
    IDS_HEALTH_HEADING_POLLS = 62641,
    IDS_HEALTH_HEADING_GOOD = 62642,
    IDS_HEALTH_HEADING_NO_REPLY = 62643,
    IDS_HEALTH_HEADING_GIVE_UPS = 62644,
    IDS_HEALTH_HEADING_REFUSED = 62645,
    IDS_HEALTH_HEADING_LAST_GOOD = 62646,
    IDS_HEALTH_HEADING_SINCE = 62647,
    // A kiln list line's tooltip: polls, good, without a valid reply, given up, refused (each
    // a 64-bit count), the last good reply's clock time and its age.
    IDS_HEALTH_TIP = 62648,
    // Trend window: its controls (labels with their access keys, and accessible names).
    IDS_TREND_THRESHOLD_LABEL = 62660,
    IDS_TREND_THRESHOLD_NAME = 62661,
    IDS_TREND_MINUTES_LABEL = 62662,
    IDS_TREND_MINUTES_NAME = 62663,
    IDS_TREND_UNIT_LABEL = 62664,
    IDS_TREND_UNIT_NAME = 62665,
    IDS_TREND_OPEN_LOG_BUTTON = 62666,
    IDS_TREND_OPEN_LOG = 62667, // the button's accessible name and the file dialog's title
    IDS_TREND_LIVE_BUTTON = 62668,
    IDS_TREND_LIVE_NAME = 62669,
    IDS_TREND_LOG_FILTER = 62670,
    // Its messages: a threshold that does not read, a log that does not (file, reason).
    IDS_TREND_BAD_THRESHOLD = 62671,
    IDS_TREND_LOG_UNREADABLE = 62672,
    // Its title (unit, source) and the live source's name; the chart's axes and series.
    IDS_TREND_TITLE = 62673,
    IDS_TREND_THIS_CONNECTION = 62674,
    IDS_TREND_AXIS_TIME = 62675,
    IDS_TREND_AXIS_TEMPERATURE = 62676, // takes the scale
    IDS_TREND_HELD_LONG_ENOUGH = 62677,
    IDS_TREND_AT_THRESHOLD = 62678,
    IDS_TREND_CORE1 = 62679,
    IDS_TREND_CORE2 = 62680,
    IDS_TREND_CORE3 = 62681,
    IDS_TREND_CHAMBER = 62682,
    IDS_TREND_THRESHOLD_LINE = 62683, // takes the reading and the scale
    // Its status line: live (readings, log lines, stretches, minutes, threshold, verdict), a
    // log without readings, a log (readings, stretches, what was held, minutes, threshold,
    // verdict), and the verdicts.
    IDS_TREND_LIVE_STATUS = 62684,
    IDS_TREND_NO_READINGS = 62685,
    IDS_TREND_LOG_STATUS = 62686,
    IDS_TREND_EVERY_CORE = 62687,
    IDS_TREND_TREATED = 62688,
    IDS_TREND_NOT_TREATED = 62689,

    // Event history: the View menu's item, its window's controls (labels with their access keys;
    // the accessible names drop the key and the colon), the table's columns and its notes.
    IDS_MENU_EVENT_HISTORY = 63050,
    IDS_HISTORY_TITLE = 63051,
    IDS_HISTORY_FARM_LABEL = 63052,
    IDS_HISTORY_UNIT_LABEL = 63053,
    IDS_HISTORY_KIND_LABEL = 63054,
    IDS_HISTORY_FROM_LABEL = 63055,
    IDS_HISTORY_TO_LABEL = 63056,
    IDS_HISTORY_ALL_FARMS = 63057,
    IDS_HISTORY_FARM = 63058, // takes the farm's number
    IDS_HISTORY_ALL_UNITS = 63059,
    IDS_HISTORY_ALL_KINDS = 63060,
    IDS_HISTORY_REFRESH = 63061,
    IDS_HISTORY_EXPORT = 63062,
    IDS_HISTORY_CLOSE = 63063,
    IDS_HISTORY_TABLE = 63064,
    IDS_HISTORY_COLUMN_TIME = 63065,
    IDS_HISTORY_COLUMN_FARM = 63066,
    IDS_HISTORY_COLUMN_UNIT = 63067,
    IDS_HISTORY_COLUMN_KIND = 63068,
    IDS_HISTORY_COLUMN_DETAIL = 63069,
    // The line under the table: events shown, lines and files that could not be read (counts).
    IDS_HISTORY_SHOWN_ONE = 63070,
    IDS_HISTORY_SHOWN = 63071,
    IDS_HISTORY_SKIPPED_ONE = 63072,
    IDS_HISTORY_SKIPPED = 63073,
    IDS_HISTORY_UNREADABLE_ONE = 63074,
    IDS_HISTORY_UNREADABLE = 63075,
    IDS_HISTORY_NO_JOURNAL = 63097, // takes the journal's folder
    // Saving the shown events as CSV: the file dialog's title and filter, the default file
    // name, and why it failed (file, reason).
    IDS_HISTORY_EXPORT_TITLE = 63076,
    IDS_HISTORY_EXPORT_FILTER = 63077,
    IDS_HISTORY_EXPORT_NAME = 63078,
    IDS_HISTORY_EXPORT_FAILED = 63079,
    IDS_HISTORY_EXPORT_OVER_RECORD = 63080,
    // The kinds of event, in the order of EventKind.
    IDS_EVENT_ALARM_RAISED = 63081,
    IDS_EVENT_ALARM_CLEARED = 63082,
    IDS_EVENT_ALARM_ACKNOWLEDGED = 63083,
    IDS_EVENT_UNIT_SILENT = 63084,
    IDS_EVENT_UNIT_ANSWERING = 63085,
    IDS_EVENT_SENSOR_FAULT = 63086,
    IDS_EVENT_SENSOR_RECOVERED = 63087,
    IDS_EVENT_CHARGE_QUALIFIED = 63088,
    IDS_EVENT_CHARGE_BROKEN = 63089,
    IDS_EVENT_MODE_CHANGED = 63090,
    IDS_EVENT_FARM_CONNECTED = 63091,
    IDS_EVENT_FARM_DISCONNECTED = 63092,
    IDS_EVENT_PORT_LOST = 63093,
    IDS_EVENT_RECONNECTED = 63094,
    IDS_EVENT_PROGRAM_STARTED = 63095,
    IDS_EVENT_PROGRAM_ENDED = 63096,

    // Publishing to an MQTT broker: the File menu's item and its dialog.
    IDS_MENU_PUBLISHING = 62900,
    IDS_PUBLISHING_TITLE = 62901,
    IDS_PUBLISHING_URL = 62902,
    IDS_PUBLISHING_CLIENT_ID = 62903,
    IDS_PUBLISHING_USER = 62904,
    IDS_PUBLISHING_PASSWORD_FILE = 62905,
    IDS_PUBLISHING_PASSWORD_ENV = 62906,
    IDS_PUBLISHING_CA_FILE = 62907,
    IDS_PUBLISHING_PREFIX = 62908,
    IDS_PUBLISHING_SITE = 62909,
    IDS_PUBLISHING_NOTE = 62910,
    IDS_PUBLISHING_STATE = 62911,
    IDS_PUBLISHING_OFF = 62912,
    IDS_PUBLISHING_CONNECTED = 62913,
    IDS_PUBLISHING_WAITING = 62914,
    IDS_PUBLISHING_CANNOT_START = 62915,
    IDS_PUBLISHING_NOT_SAVED = 62916,
    // What is wrong with a publishing setting (a file or variable name in place of %s).
    IDS_PUBLISH_URL_SCHEME = 62920,
    IDS_PUBLISH_URL_BRACKET = 62921,
    IDS_PUBLISH_URL_TRAILING = 62922,
    IDS_PUBLISH_URL_PORT = 62923,
    IDS_PUBLISH_URL_HOST = 62924,
    IDS_PUBLISH_CLIENT_ID = 62925,
    IDS_PUBLISH_USER = 62926,
    IDS_PUBLISH_PASSWORD_BOTH = 62927,
    IDS_PUBLISH_PASSWORD_VARIABLE = 62928,
    IDS_PUBLISH_PASSWORD_NEEDS_USER = 62929,
    IDS_PUBLISH_CA_NEEDS_TLS = 62930,
    IDS_PUBLISH_CA_UNREADABLE = 62931,
    IDS_PUBLISH_PREFIX = 62932,
    IDS_PUBLISH_SITE = 62933,
    IDS_PUBLISH_PASSWORD_FILE_UNREADABLE = 62934,
    IDS_PUBLISH_PASSWORD_FILE_EMPTY = 62935,
    IDS_PUBLISH_PASSWORD_ENV_UNSET = 62936,
};

// The id of a text that has one id per language.
constexpr int TextId(Language language, int englishId, int spanishId) {
    return language == Language::Spanish ? spanishId : englishId;
}

// Texts of one language. Cheap to construct: every instance reads the same static table.
class StringTable {
public:
    explicit StringTable(Language language) : m_language(language) {}

    Language GetLanguage() const { return m_language; }

    // The text of id in this table's language; an empty string for an unknown id (0 included).
    const std::string& Get(int id) const { return Text(m_language, id); }

    static const std::string& Text(Language language, int id);

private:
    Language m_language;
};
