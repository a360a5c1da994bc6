#include "alarm/AlarmToneRoute.h"

#include "app/StringTable.h"

#include <fstream>
#include <iterator>

namespace {

// The list holds a few lines per input device; no real machine comes near this.
constexpr std::size_t kMaxInputDevicesText = 1 << 20;

bool Asks(const std::function<bool()>& probe) {
    return probe && probe();
}

} // namespace

AlarmToneRoute ChooseAlarmToneRoute(const AlarmToneProbes& probes) {
    if (Asks(probes.pcSpeaker)) {
        return AlarmToneRoute::PcSpeaker;
    }
    if (Asks(probes.soundCard)) {
        return AlarmToneRoute::SoundCard;
    }
    return AlarmToneRoute::None;
}

bool InputDevicesListPcSpeaker(std::string_view inputDevices) {
    // Each device has a line "N: Name="...""; only the name itself counts, whole.
    constexpr std::string_view kNameLine = "N: Name=\"PC Speaker\"";
    while (!inputDevices.empty()) {
        const std::size_t end = inputDevices.find('\n');
        std::string_view line = inputDevices.substr(0, end);
        inputDevices.remove_prefix(end == std::string_view::npos ? inputDevices.size() : end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.remove_suffix(1);
        }
        if (line == kNameLine) {
            return true;
        }
    }
    return false;
}

std::string ReadInputDevices(const std::string& path) {
    // Files under /proc report no size, so the text is read until it ends.
    std::ifstream file(path, std::ios::binary);
    std::string text;
    char buffer[4096];
    while (file && text.size() < kMaxInputDevicesText) {
        file.read(buffer, sizeof buffer);
        text.append(buffer, static_cast<std::size_t>(file.gcount()));
    }
    return text;
}

const char* AlarmToneRouteName(AlarmToneRoute route) {
    switch (route) {
    case AlarmToneRoute::PcSpeaker:
        return "PC speaker";
    case AlarmToneRoute::SoundCard:
        return "sound card";
    case AlarmToneRoute::None:
        break;
    }
    return "none";
}

std::string AlarmToneAboutLine(AlarmToneRoute route, Language language) {
    switch (route) {
    case AlarmToneRoute::PcSpeaker:
        return StringTable::Text(language, IDS_ALARM_TONE_PC_SPEAKER);
    case AlarmToneRoute::SoundCard:
        return StringTable::Text(language, IDS_ALARM_TONE_SOUND_CARD);
    case AlarmToneRoute::None:
        break;
    }
    return StringTable::Text(language, IDS_ALARM_TONE_NONE);
}

std::string AlarmToneNotice(AlarmToneRoute route, Language language) {
    if (route != AlarmToneRoute::None) {
        return {};
    }
    return StringTable::Text(language, IDS_ALARM_TONE_NOT_HEARD);
}
