#include "publish/PublishPayloads.h"

#include "kiln/KilnDecoding.h"
#include "net/LineHealth.h"

#include <cstdio>

namespace {

const char* ModeText(std::int32_t status) {
    switch (status) {
    case US_RUN:
        return "run";
    case US_SETUP:
        return "setup";
    default:
        return "standby";
    }
}

const char* AlarmText(std::int32_t alarm) {
    switch (alarm) {
    case AS_NORMAL:
        return "normal";
    case AS_LOW:
        return "low";
    case AS_HIGH:
        return "high";
    default:
        return "unknown";
    }
}

// A raw reading (1/20 °F) in the unit's scale as the list shows it, and in °C to a tenth;
// null for a failed sensor.
void Temperature(std::string& out, const char* name, const KilnRecord& record, std::uint16_t raw) {
    const auto value = static_cast<std::int16_t>(raw);
    if (!HasValidReading(value)) {
        out += "\"" + std::string(name) + "\":null,\"" + name + "_c\":null,";
        return;
    }
    const int shown = ConvertRawTemperature(true, record.m_bCentigrade != 0, value);
    // (raw / 20 - 32) * 5 / 9 in tenths, rounded half away from zero.
    const long long numerator = (static_cast<long long>(value) - 640) * 50;
    const long long tenths = (numerator >= 0 ? numerator + 90 : numerator - 90) / 180;
    char text[96];
    std::snprintf(text, sizeof text, "\"%s\":%d,\"%s_c\":%s%lld.%lld,", name, shown, name,
                  tenths < 0 ? "-" : "", (tenths < 0 ? -tenths : tenths) / 10,
                  (tenths < 0 ? -tenths : tenths) % 10);
    out += text;
}

// Civil date of a day count from 1970-01-01.
void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2 ? 1 : 0;
}

} // namespace

std::string PublishPayloads::FarmTopic(int farmIndex) const {
    return m_base + "/farm/" + std::to_string(farmIndex + 1) + "/connection";
}

std::string PublishPayloads::UnitTopic(int farmIndex, int nodeId) const {
    char id[8];
    std::snprintf(id, sizeof id, "%03d", nodeId & 0xFF);
    return m_base + "/farm/" + std::to_string(farmIndex + 1) + "/unit/" + id + "/state";
}

std::string PublishPayloads::TimeText(std::int64_t now) {
    // Days from 2000-01-01 to 1970-01-01 moved to the epoch the date routine counts from.
    constexpr std::int64_t kDays1970To2000 = 10957;
    std::int64_t days = now / 86400;
    std::int64_t seconds = now % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    std::int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    CivilFromDays(days + kDays1970To2000, year, month, day);
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lld",
                  static_cast<long long>(year), month, day, static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

std::string PublishPayloads::Quoted(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += static_cast<char>(c);
            } else if (c < 0x20 || c == 0x7F) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out += escape;
            } else {
                out += static_cast<char>(c);
            }
            ++i;
            continue;
        }
        // Pass a well-formed multi-byte sequence as it is.
        const std::size_t length = (c & 0xE0) == 0xC0   ? 2
                                   : (c & 0xF0) == 0xE0 ? 3
                                   : (c & 0xF8) == 0xF0 ? 4
                                                        : 0;
        bool valid = length != 0 && i + length <= text.size() && c >= 0xC2 && c <= 0xF4;
        for (std::size_t k = 1; valid && k < length; ++k) {
            valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        }
        if (valid) {
            out.append(text, i, length);
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    out += '"';
    return out;
}

std::string PublishPayloads::Head(std::int64_t now) const {
    return "{\"layout\":" + std::to_string(kLayout) + ",\"time\":" + Quoted(TimeText(now)) +
           ",\"site\":" + Quoted(m_site) + ",";
}

std::string PublishPayloads::ProgramState(bool online, std::int64_t now) const {
    return Head(now) + "\"state\":" + (online ? "\"online\"" : "\"offline\"") + "}";
}

std::string PublishPayloads::FarmState(int farmIndex, bool connected, std::int64_t now) const {
    return Head(now) + "\"farm\":" + std::to_string(farmIndex + 1) +
           ",\"state\":" + (connected ? "\"connected\"" : "\"disconnected\"") + "}";
}

std::string PublishPayloads::UnitState(int farmIndex, int nodeId, const KilnRecord& record,
                                       const UnitLineHealth* health,
                                       const std::optional<Treatment>& treatment,
                                       std::int64_t now) const {
    const bool data = record.m_iCuringMethod != CM_NONE;
    std::string out = Head(now);
    out += "\"farm\":" + std::to_string(farmIndex + 1) + ",\"unit\":" + std::to_string(nodeId) +
           ",\"data\":" + (data ? "true" : "false") + ",";
    if (data) {
        out += "\"mode\":\"" + std::string(ModeText(record.m_iUnitStatus)) + "\",\"scale\":\"" +
               (record.m_bCentigrade != 0 ? "C" : "F") + "\",";
        Temperature(out, "core1", record, record.m_wRtd[0]);
        Temperature(out, "core2", record, record.m_wRtd[1]);
        Temperature(out, "core3", record, record.m_wRtd[2]);
        Temperature(out, "chamber", record, record.m_wRtd[3]);
        out += "\"heater\":" + std::string(record.m_bHeaterOn != 0 ? "true" : "false") +
               ",\"alarm\":\"" + AlarmText(record.m_iAlarmStatus) + "\",";
    }
    out += "\"line\":";
    if (health != nullptr) {
        out += "{\"polls\":" + std::to_string(health->polls) +
               ",\"good_replies\":" + std::to_string(health->goodReplies) +
               ",\"no_valid_reply\":" + std::to_string(health->noValidReply) +
               ",\"give_ups\":" + std::to_string(health->giveUps) +
               ",\"refused\":" + std::to_string(health->refused) + ",\"seconds_since_good\":" +
               (health->lastGoodReply < 0 ? std::string("null")
                                          : std::to_string(health->SecondsSinceGoodReply(now))) +
               ",\"failing\":" + (health->Failing() ? "true" : "false") + "}";
    } else {
        out += "null";
    }
    out += ",\"treatment\":";
    if (treatment) {
        out += "{\"held_minutes\":" + std::to_string(treatment->heldMinutes) + ",\"verdict\":" +
               (!treatment->treated   ? std::string("null")
                : *treatment->treated ? std::string("\"treated\"")
                                      : std::string("\"not treated\"")) +
               "}";
    } else {
        out += "null";
    }
    out += "}";
    return out;
}

std::string PublishPayloads::Event(const std::string& kind, int farmIndex, int nodeId,
                                   std::int64_t now, const std::string& detail,
                                   std::int64_t count) const {
    std::string out = Head(now) + "\"event\":" + Quoted(kind);
    if (farmIndex >= 0) {
        out += ",\"farm\":" + std::to_string(farmIndex + 1);
    }
    if (nodeId > 0) {
        out += ",\"unit\":" + std::to_string(nodeId);
    }
    if (count >= 0) {
        out += ",\"count\":" + std::to_string(count);
    }
    if (!detail.empty()) {
        out += ",\"detail\":" + Quoted(detail);
    }
    out += "}";
    return out;
}
