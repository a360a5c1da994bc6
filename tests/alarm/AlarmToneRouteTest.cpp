#include "alarm/AlarmToneRoute.h"

#include "support/EngineFakes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

// Two devices of a desktop machine as the kernel lists them.
constexpr const char* kWithSpeaker = "I: Bus=0010 Vendor=001f Product=0001 Version=0100\n"
                                     "N: Name=\"PC Speaker\"\n"
                                     "P: Phys=isa0061/input0\n"
                                     "H: Handlers=kbd event4 \n"
                                     "B: EV=40001\n"
                                     "\n"
                                     "I: Bus=0003 Vendor=0001 Product=0002 Version=0111\n"
                                     "N: Name=\"USB Keyboard\"\n"
                                     "H: Handlers=sysrq kbd event5 \n"
                                     "\n";

} // namespace

TEST(AlarmToneRoute, TheInputDeviceListNamesASpeakerOnlyByItsWholeName) {
    EXPECT_TRUE(InputDevicesListPcSpeaker(kWithSpeaker));
    EXPECT_TRUE(InputDevicesListPcSpeaker("N: Name=\"PC Speaker\"\r\n")) << "CR LF line ends";
    EXPECT_TRUE(InputDevicesListPcSpeaker("N: Name=\"PC Speaker\"")) << "no final newline";
    EXPECT_FALSE(InputDevicesListPcSpeaker(""));
    EXPECT_FALSE(InputDevicesListPcSpeaker("N: Name=\"HDA Front Headphone\"\n"
                                           "N: Name=\"USB PC Speaker Dock\"\n"
                                           "N: Name=\"PC Speaker\" \"extra\"\n"
                                           "P: Phys=\"PC Speaker\"\n"));
}

TEST(AlarmToneRoute, ReadsTheListToItsEndAndAMissingListAsEmpty) {
    ScratchDirectory dir;
    const std::string path = dir.Path() + "/devices";
    std::string big(10000, 'x');
    big += "\nN: Name=\"PC Speaker\"\n";
    std::ofstream(path, std::ios::binary) << big;
    EXPECT_TRUE(InputDevicesListPcSpeaker(ReadInputDevices(path)));
    EXPECT_EQ(ReadInputDevices(dir.Path() + "/absent"), "");
}

TEST(AlarmToneRoute, PrefersTheSpeakerThenTheSoundCardAndAsksNoFurther) {
    std::vector<std::string> asked;
    auto probe = [&asked](std::string name, bool answer) {
        return [&asked, name, answer] {
            asked.push_back(name);
            return answer;
        };
    };
    EXPECT_EQ(ChooseAlarmToneRoute({probe("speaker", true), probe("card", true)}),
              AlarmToneRoute::PcSpeaker);
    EXPECT_EQ(asked, std::vector<std::string>{"speaker"}) << "the sound card is never opened";

    asked.clear();
    EXPECT_EQ(ChooseAlarmToneRoute({probe("speaker", false), probe("card", true)}),
              AlarmToneRoute::SoundCard);
    EXPECT_EQ(asked, (std::vector<std::string>{"speaker", "card"}));

    EXPECT_EQ(ChooseAlarmToneRoute({probe("speaker", false), probe("card", false)}),
              AlarmToneRoute::None);
    EXPECT_EQ(ChooseAlarmToneRoute({}), AlarmToneRoute::None) << "no probes, no route";
}

TEST(AlarmToneRoute, NamesTheRouteAndGivesANoticeOnlyWhenNothingCanSound) {
    EXPECT_STREQ(AlarmToneRouteName(AlarmToneRoute::PcSpeaker), "PC speaker");
    EXPECT_STREQ(AlarmToneRouteName(AlarmToneRoute::SoundCard), "sound card");
    EXPECT_STREQ(AlarmToneRouteName(AlarmToneRoute::None), "none");
    EXPECT_EQ(AlarmToneAboutLine(AlarmToneRoute::SoundCard, Language::English),
              "Alarm tone: sound card");
    EXPECT_EQ(AlarmToneAboutLine(AlarmToneRoute::None, Language::Spanish),
              "Tono de alarma: ninguno");
    for (Language language : {Language::English, Language::Spanish}) {
        EXPECT_EQ(AlarmToneNotice(AlarmToneRoute::PcSpeaker, language), "");
        EXPECT_EQ(AlarmToneNotice(AlarmToneRoute::SoundCard, language), "");
        EXPECT_NE(AlarmToneNotice(AlarmToneRoute::None, language), "");
    }
}
