#include "app/StringTable.h"

#include <gtest/gtest.h>

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
