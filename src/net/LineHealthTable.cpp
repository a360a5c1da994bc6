#include "net/LineHealthTable.h"

#include "app/StringTable.h"

#include <cinttypes>
#include <cstdio>

std::string LineHealthTable::ClockText(std::int64_t time) {
    if (time < 0) {
        return "--";
    }
    const std::int64_t ofDay = time % 86400;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(ofDay / 3600),
                  static_cast<int>(ofDay % 3600 / 60), static_cast<int>(ofDay % 60));
    return text;
}

std::string LineHealthTable::AgeText(std::int64_t seconds) {
    if (seconds < 0) {
        return "--";
    }
    char text[32];
    if (seconds < 60) {
        std::snprintf(text, sizeof text, "%d s", static_cast<int>(seconds));
    } else if (seconds < 3600) {
        std::snprintf(text, sizeof text, "%d min %02d s", static_cast<int>(seconds / 60),
                      static_cast<int>(seconds % 60));
    } else {
        std::snprintf(text, sizeof text, "%" PRId64 " h %02d min", seconds / 3600,
                      static_cast<int>(seconds % 3600 / 60));
    }
    return text;
}

std::string LineHealthTable::Text(const LineHealth& health, std::int64_t now, Language language) {
    const StringTable texts(language);
    char line[160];
    std::snprintf(
        line, sizeof line, "%-4s %8s %8s %8s %8s %8s  %-8s  %s\n",
        texts.Get(IDS_HEALTH_HEADING_UNIT).c_str(), texts.Get(IDS_HEALTH_HEADING_POLLS).c_str(),
        texts.Get(IDS_HEALTH_HEADING_GOOD).c_str(), texts.Get(IDS_HEALTH_HEADING_NO_REPLY).c_str(),
        texts.Get(IDS_HEALTH_HEADING_GIVE_UPS).c_str(),
        texts.Get(IDS_HEALTH_HEADING_REFUSED).c_str(),
        texts.Get(IDS_HEALTH_HEADING_LAST_GOOD).c_str(),
        texts.Get(IDS_HEALTH_HEADING_SINCE).c_str());
    std::string text = line;
    for (const UnitLineHealth& u : health.FailingFirst(now)) {
        std::snprintf(line, sizeof line,
                      "%03d%c %8" PRIu64 " %8" PRIu64 " %8" PRIu64 " %8" PRIu64 " %8" PRIu64
                      "  %-8s  %s\n",
                      u.nodeId, u.Failing() ? '!' : ' ', u.polls, u.goodReplies, u.noValidReply,
                      u.giveUps, u.refused, ClockText(u.lastGoodReply).c_str(),
                      AgeText(u.SecondsSinceGoodReply(now)).c_str());
        text += line;
    }
    return text;
}

std::string LineHealthTable::TipText(const UnitLineHealth& u, std::int64_t now, Language language) {
    char text[256];
    std::snprintf(text, sizeof text, StringTable::Text(language, IDS_HEALTH_TIP).c_str(), u.polls,
                  u.goodReplies, u.noValidReply, u.giveUps, u.refused,
                  ClockText(u.lastGoodReply).c_str(),
                  AgeText(u.SecondsSinceGoodReply(now)).c_str());
    return text;
}
