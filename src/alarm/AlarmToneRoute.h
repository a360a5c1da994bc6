#pragma once

#include "app/Language.h"

#include <functional>
#include <string>
#include <string_view>

// How the alarm tone reaches the operator on this machine, decided once at start-up.
enum class AlarmToneRoute { PcSpeaker, SoundCard, None };

// What start-up asks of the machine, in the order it prefers the routes. Each question is asked
// only when every route before it has been refused, so a machine with a speaker never opens
// its sound card.
struct AlarmToneProbes {
    // The kernel lists a PC speaker and this user may reach it.
    std::function<bool()> pcSpeaker;
    // A sound card output the program may play on.
    std::function<bool()> soundCard;
};

AlarmToneRoute ChooseAlarmToneRoute(const AlarmToneProbes& probes);

// True when the kernel's input device list (the text of /proc/bus/input/devices) names a
// "PC Speaker". The console tone goes to that same device, so without it nothing is heard
// even where the console accepts the tone.
bool InputDevicesListPcSpeaker(std::string_view inputDevices);

// The kernel's input device list, empty when it cannot be read.
std::string ReadInputDevices(const std::string& path = "/proc/bus/input/devices");

// "PC speaker", "sound card" or "none": the start-up log and the About box name the route so.
const char* AlarmToneRouteName(AlarmToneRoute route);

// The About box line, "Alarm tone: sound card" in English.
std::string AlarmToneAboutLine(AlarmToneRoute route, Language language);

// The start-up status bar notice when the tone cannot be heard at all; empty for the others.
std::string AlarmToneNotice(AlarmToneRoute route, Language language);
