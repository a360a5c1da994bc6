#include "app/StringTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

TEST(StringTable, PairedIdsHoldOneLanguageEach) {
    const StringTable english(Language::English);
    const StringTable spanish(Language::Spanish);
    EXPECT_EQ(english.Get(TextId(Language::English, IDS_APP_TITLE, IDS_APP_TITLE_ES)),
              "WRB Explorer");
    EXPECT_EQ(spanish.Get(TextId(Language::Spanish, IDS_APP_TITLE, IDS_APP_TITLE_ES)),
              "El Explorador de WRB");
    EXPECT_EQ(english.Get(61508), "No CONECTADO");
    EXPECT_EQ(english.Get(61504), "CONNECTED to Group");
    EXPECT_EQ(english.Get(61506), "CONECTO para Agrupar");
}

TEST(StringTable, AnIdWithOneTextShowsItInBothLanguages) {
    EXPECT_EQ(StringTable::Text(Language::Spanish, IDS_APP_TITLE), "WRB Explorer");
    EXPECT_EQ(StringTable::Text(Language::English, 61472), "La ayuda");
    EXPECT_EQ(StringTable::Text(Language::Spanish, IDS_ALARM_HIGH), "High");
}

TEST(StringTable, IdsWithTwoFormsFollowTheLanguage) {
    EXPECT_EQ(StringTable::Text(Language::English, IDS_ABOUT_VERSION), "Version 1.50  (14SEP04)");
    EXPECT_EQ(StringTable::Text(Language::Spanish, IDS_ABOUT_VERSION),
              "La versión 1.50  (14SEP04)");
    EXPECT_EQ(StringTable::Text(Language::Spanish, IDS_ABOUT_CAPTION),
              "Acerca de Explorador de WRB");
    EXPECT_EQ(StringTable::Text(Language::Spanish, IDS_CAPTION_CHAMBER_C),
              "La Temperatura de la cámara (°C):");
    EXPECT_EQ(StringTable::Text(Language::Spanish, IDS_HEATER_OFF), "Lejos");
}

TEST(StringTable, KeepsTheTextsAsUtf8) {
    EXPECT_EQ(StringTable::Text(Language::English, IDS_CAPTION_CORE1_F),
              "Core Temperature 1 (\xC2\xB0"
              "F):");
    EXPECT_EQ(StringTable::Text(Language::English, IDS_MENU_SMALL_ICONS_ES),
              "Iconos peque\xC3\xB1os");
}

TEST(StringTable, UnknownIdsGiveAnEmptyText) {
    for (int id : {0, -1, 1, 61473, 99999}) {
        EXPECT_TRUE(StringTable::Text(Language::English, id).empty()) << id;
        EXPECT_TRUE(StringTable::Text(Language::Spanish, id).empty()) << id;
    }
}

TEST(StringTable, DocumentTemplateFirstLineNamesTheWindowClass) {
    const std::string& templ = StringTable::Text(Language::English, IDR_MAINFRAME);
    EXPECT_EQ(templ.substr(0, templ.find('\n')), "Vantrel KVN-7100 Explorer");
}

namespace {

// The arguments a text takes: its printf conversions in order ("%s", "%u", "%lu", ...) and its
// Qt placeholders ("%1", "%2", ...) in number order, as QString::arg fills them.
struct Arguments {
    std::vector<std::string> printf;
    std::vector<int> placeholders;
    bool operator==(const Arguments&) const = default;
};

Arguments ArgumentsOf(const std::string& text) {
    Arguments found;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
            continue;
        }
        // Flags, width, precision, length, conversion; a Qt placeholder is digits alone.
        const auto skip = [&](std::size_t at, const char* set) {
            while (at < text.size() && std::strchr(set, text[at]) != nullptr) {
                ++at;
            }
            return at;
        };
        const std::size_t flagsEnd = skip(i + 1, "-+ #0");
        const std::size_t widthEnd = skip(flagsEnd, "0123456789");
        std::size_t end = widthEnd;
        if (end < text.size() && text[end] == '.') {
            end = skip(end + 1, "0123456789");
        }
        end = skip(end, "hlzjtL");
        if (end < text.size() && std::strchr("diouxXeEfgGcsp", text[end]) != nullptr) {
            found.printf.push_back(text.substr(i, end + 1 - i));
            i = end;
        } else if (flagsEnd == i + 1 && widthEnd > flagsEnd) {
            found.placeholders.push_back(std::stoi(text.substr(flagsEnd, widthEnd - flagsEnd)));
            i = widthEnd - 1;
        }
    }
    std::sort(found.placeholders.begin(), found.placeholders.end());
    return found;
}

} // namespace

// A Spanish text that takes other arguments than its English one would print garbage, or read
// past the arguments of a printf-style format.
TEST(StringTable, BothLanguagesOfATextTakeTheSameArguments) {
    EXPECT_EQ(ArgumentsOf("%1 of %d%% at %-8s, %2%1").placeholders, std::vector<int>({1, 1, 2}));
    EXPECT_EQ(ArgumentsOf("%1 of %d%% at %-8s, %2%1").printf,
              std::vector<std::string>({"%d", "%-8s"}));
    int texts = 0;
    for (int id = 0; id < 100000; ++id) {
        const std::string& english = StringTable::Text(Language::English, id);
        if (english.empty()) {
            continue;
        }
        ++texts;
        EXPECT_EQ(ArgumentsOf(english), ArgumentsOf(StringTable::Text(Language::Spanish, id)))
            << id << ": " << english;
    }
    EXPECT_GT(texts, 100);
}

TEST(StringTable, TheNewerWindowsTextsHaveBothLanguages) {
    EXPECT_EQ(StringTable::Text(Language::English, IDS_MENU_LINE_HEALTH), "Line &Health…");
    EXPECT_EQ(StringTable::Text(Language::Spanish, IDS_MENU_LINE_HEALTH),
              "La &salud de la l\xC3\xADnea\xE2\x80\xA6");
    EXPECT_EQ(StringTable::Text(Language::Spanish, IDS_TREND_CORE1), "N\xC3\xBA"
                                                                     "cleo 1");
    EXPECT_EQ(StringTable::Text(Language::English, IDS_ALARM_TONE_SOUND_CARD),
              "Alarm tone: sound card");
}
