#include "net/LineHealthTable.h"

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
    const bool english = language == Language::English;
    char line[160];
    std::snprintf(line, sizeof line, "%-4s %8s %8s %8s %8s %8s  %-8s  %s\n",
                  english ? "Unit" : "Unid", english ? "Polls" : "Consult",
                  english ? "Good" : "Buenas", english ? "NoReply" : "SinResp",
                  english ? "GiveUps" : "Abandon", english ? "Refused" : "Rechaz",
                  english ? "LastGood" : "UltBuena", english ? "Since" : "Desde");
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
    const bool english = language == Language::English;
    char text[256];
    std::snprintf(text, sizeof text,
                  english ? "Line: %" PRIu64 " polls, %" PRIu64 " good, %" PRIu64
                            " without a valid reply, %" PRIu64 " given up, %" PRIu64
                            " refused\nLast good reply: %s (%s ago)"
                          : "L\xC3\xADnea: %" PRIu64 " consultas, %" PRIu64 " buenas, %" PRIu64
                            " sin respuesta v\xC3\xA1lida, %" PRIu64 " abandonos, %" PRIu64
                            " rechazadas\n\xC3\x9Altima respuesta buena: %s (hace %s)",
                  u.polls, u.goodReplies, u.noValidReply, u.giveUps, u.refused,
                  ClockText(u.lastGoodReply).c_str(),
                  AgeText(u.SecondsSinceGoodReply(now)).c_str());
    return text;
}
