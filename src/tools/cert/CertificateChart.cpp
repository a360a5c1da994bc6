#include "tools/cert/CertificateChart.h"

#include "tools/treat/LogTimestamp.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace logtools {

namespace {

constexpr double kAxisLeft = 34;   // room for the degree labels
constexpr double kAxisBottom = 30; // room for the time labels and the date
constexpr double kLegendRow = 13;

enum Pattern { Decisive, Longest, GapBand, FaultBand };

struct Style {
    double grey;
    double width;
    std::vector<double> dashes;
};

// Core 1 to 3 and the chamber.
const Style kStyles[4] = {
    {0.0, 1.0, {}},
    {0.0, 1.0, {4.0, 2.0}},
    {0.0, 1.5, {1.0, 1.6}},
    {0.6, 2.2, {}},
};

void applyStyle(cairo_t* cr, const Style& style) {
    cairo_set_source_rgb(cr, style.grey, style.grey, style.grey);
    cairo_set_line_width(cr, style.width);
    cairo_set_dash(cr, style.dashes.data(), static_cast<int>(style.dashes.size()), 0);
}

void thresholdStyle(cairo_t* cr) {
    static const double dashes[] = {7.0, 2.0, 1.5, 2.0};
    cairo_set_source_rgb(cr, 0.15, 0.15, 0.15);
    cairo_set_line_width(cr, 1.1);
    cairo_set_dash(cr, dashes, 4, 0);
}

void label(cairo_t* cr, cairo_font_face_t* face, double size, double x, double y,
           const std::string& text, double align = 0) {
    cairo_set_font_face(cr, face);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_move_to(cr, x - extents.x_advance * align, y);
    cairo_show_text(cr, text.c_str());
}

std::string clock(LogSeconds time) {
    return LogTimestamp::text(time).substr(11, 5);
}

} // namespace

int CertificateChart::valueStep(double range, int wanted) {
    const double rough = std::max(range, 1.0) / std::max(wanted, 1);
    int power = 1;
    while (power < 100000 && power * 10 <= rough) {
        power *= 10;
    }
    for (const int factor : {1, 2, 5, 10}) {
        if (power * factor >= rough) {
            return power * factor;
        }
    }
    return power * 10;
}

LogSeconds CertificateChart::timeStep(LogSeconds range, int wanted) {
    static constexpr LogSeconds kSteps[] = {60,    120,   300,   600,   900,   1800,   3600,  7200,
                                            10800, 14400, 21600, 43200, 86400, 172800, 604800};
    for (const LogSeconds step : kSteps) {
        if (range / step <= wanted) {
            return step;
        }
    }
    return kSteps[sizeof kSteps / sizeof kSteps[0] - 1] * (range / (604800 * wanted) + 1);
}

double CertificateChart::inScale(int reading, Scale scale) const {
    const Scale chart = m_unit.firstScale();
    if (scale == chart) {
        return reading;
    }
    return chart == Scale::Fahrenheit ? reading * 9.0 / 5.0 + 32.0 : (reading - 32.0) * 5.0 / 9.0;
}

double CertificateChart::xOf(LogSeconds time) const {
    return m_plot.x +
           m_plot.width * static_cast<double>(time - m_from) / static_cast<double>(m_to - m_from);
}

double CertificateChart::yOf(double value) const {
    const double clamped = std::clamp(value, m_low, m_high);
    return m_plot.y + m_plot.height * (m_high - clamped) / (m_high - m_low);
}

void CertificateChart::bands(cairo_t* cr, const std::vector<Span>& spans, double top, double height,
                             int pattern) {
    // One path for all of them, spans that meet on the page drawn as one: a log whose lines
    // are all further apart than the allowed gap has a gap between every two lines.
    std::vector<Span> merged;
    for (Span span : spans) {
        // A band too narrow to see (a single line) still shows.
        if (span.to - span.from < 2.0) {
            const double middle = (span.from + span.to) / 2;
            span = Span{middle - 1.0, middle + 1.0};
        }
        if (!merged.empty() && span.from <= merged.back().to + 0.5) {
            merged.back().to = std::max(merged.back().to, span.to);
        } else {
            merged.push_back(span);
        }
    }
    if (merged.empty()) {
        return;
    }
    cairo_save(cr);
    for (const Span& span : merged) {
        cairo_rectangle(cr, span.from, top, span.to - span.from, height);
    }
    if (pattern == Decisive || pattern == FaultBand) {
        const double grey = pattern == Decisive ? 0.85 : 0.55;
        cairo_set_source_rgb(cr, grey, grey, grey);
        cairo_fill(cr);
    } else {
        // Hatching: rising lines for the longest stretch, falling ones for a gap.
        cairo_clip(cr);
        const double grey = pattern == Longest ? 0.7 : 0.45;
        cairo_set_source_rgb(cr, grey, grey, grey);
        cairo_set_line_width(cr, 0.6);
        const double h = height;
        for (double x = merged.front().from - h; x < merged.back().to + h; x += 4.0) {
            if (pattern == Longest) {
                cairo_move_to(cr, x, top + h);
                cairo_line_to(cr, x + h, top);
            } else {
                cairo_move_to(cr, x, top);
                cairo_line_to(cr, x + h, top + h);
            }
        }
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

void CertificateChart::curves(cairo_t* cr) const {
    const std::vector<CoreReading>& readings = m_unit.readings();
    // The chamber's broad grey line first, so that cores settled at its temperature show on it.
    for (const int channel : {3, 0, 1, 2}) {
        bool drawing = false;
        LogSeconds previous = 0;
        for (const CoreReading& r : readings) {
            const int value = channel < 3 ? r.core[channel] : r.chamber;
            const bool fault = channel < 3 && value > TreatmentRule::maximumValidReading(r.scale);
            // A gap or a failed sensor breaks the line: nothing is drawn that was not read.
            if (fault || (drawing && r.time - previous > m_rule.maxGapSeconds())) {
                drawing = false;
            }
            previous = r.time;
            if (fault) {
                continue;
            }
            const double x = xOf(r.time);
            const double y = yOf(inScale(value, r.scale));
            if (drawing) {
                cairo_line_to(cr, x, y);
            } else {
                cairo_move_to(cr, x, y);
                // A lone reading still shows as a dot.
                cairo_line_to(cr, x + 0.01, y);
                drawing = true;
            }
        }
        applyStyle(cr, kStyles[channel]);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke(cr);
    }
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_dash(cr, nullptr, 0, 0);
}

double CertificateChart::legend(cairo_t* cr, const Area& area) const {
    const double size = 7.5;
    double x = area.x;
    double y = area.y + 10;
    cairo_set_font_face(cr, m_fonts.regular());
    cairo_set_font_size(cr, size);
    for (std::size_t i = 0; i < m_page.legend.size(); ++i) {
        const std::string& text = m_page.legend[i];
        cairo_text_extents_t extents;
        cairo_text_extents(cr, text.c_str(), &extents);
        const double width = 22 + extents.x_advance + 12;
        if (x + width > area.x + area.width && x > area.x) {
            x = area.x;
            y += kLegendRow;
        }
        cairo_save(cr);
        if (i < 4) {
            applyStyle(cr, kStyles[i]);
            cairo_move_to(cr, x, y - 2.5);
            cairo_line_to(cr, x + 18, y - 2.5);
            cairo_stroke(cr);
        } else if (i == 4) {
            thresholdStyle(cr);
            cairo_move_to(cr, x, y - 2.5);
            cairo_line_to(cr, x + 18, y - 2.5);
            cairo_stroke(cr);
        } else {
            const int pattern =
                i == 5 ? (m_page.treated ? Decisive : Longest) : (i == 6 ? GapBand : FaultBand);
            bands(cr, {Span{x, x + 18}}, y - 7, 8, pattern);
            cairo_set_source_rgb(cr, 0, 0, 0);
            cairo_set_line_width(cr, 0.4);
            cairo_set_dash(cr, nullptr, 0, 0);
            cairo_rectangle(cr, x, y - 7, 18, 8);
            cairo_stroke(cr);
        }
        cairo_restore(cr);
        label(cr, m_fonts.regular(), size, x + 22, y, text);
        x += width;
    }
    return y + 4 - area.y;
}

double CertificateChart::draw(cairo_t* cr, const Area& area) {
    const std::vector<CoreReading>& readings = m_unit.readings();
    const Scale scale = m_unit.firstScale();
    // The threshold exactly as the rule holds it, in the unit's scale.
    const double given = m_rule.thresholdHundredths() / 100.0;
    const double threshold =
        m_rule.thresholdScale() == scale
            ? given
            : (scale == Scale::Fahrenheit ? given * 9.0 / 5.0 + 32.0 : (given - 32.0) * 5.0 / 9.0);

    double low = threshold;
    double high = threshold;
    for (const CoreReading& r : readings) {
        for (int channel = 0; channel < 4; ++channel) {
            const int value = channel < 3 ? r.core[channel] : r.chamber;
            if (channel < 3 && value > TreatmentRule::maximumValidReading(r.scale)) {
                continue;
            }
            low = std::min(low, inScale(value, r.scale));
            high = std::max(high, inScale(value, r.scale));
        }
    }
    const int step = valueStep(high - low, 6);
    // Room above and below, so that no curve runs along the frame.
    m_low = std::floor(low / step) * step;
    m_high = std::ceil(high / step) * step;
    m_low -= low - m_low < step / 4.0 ? step : 0;
    m_high += m_high - high < step / 4.0 ? step : 0;
    if (m_high <= m_low) {
        m_high = m_low + step;
    }
    m_from = readings.empty() ? 0 : readings.front().time;
    m_to = readings.empty() ? 60 : readings.back().time;
    if (m_to <= m_from) {
        m_to = m_from + 60;
    }

    const double legendHeight = 2 * kLegendRow + 6;
    m_plot = Area{area.x + kAxisLeft, area.y + 12, area.width - kAxisLeft - 4,
                  area.height - 12 - kAxisBottom - legendHeight};

    label(cr, m_fonts.regular(), 7.5, area.x, area.y + 6, m_page.axisDegrees);
    if (readings.empty()) {
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_set_line_width(cr, 0.6);
        cairo_rectangle(cr, m_plot.x, m_plot.y, m_plot.width, m_plot.height);
        cairo_stroke(cr);
        label(cr, m_fonts.regular(), 10, m_plot.x + m_plot.width / 2, m_plot.y + m_plot.height / 2,
              m_page.noReadings, 0.5);
        return area.height;
    }

    // Marks under the curves: the decisive stretch, then gaps and faults over it.
    const Verdict v = m_unit.verdict();
    if (v.stretch >= 0) {
        const Stretch& s = m_unit.stretches()[static_cast<std::size_t>(v.stretch)];
        bands(cr, {Span{xOf(s.first.time), xOf(s.last.time)}}, m_plot.y, m_plot.height,
              v.treated ? Decisive : Longest);
    }
    std::vector<Span> gaps;
    for (const LineGap& g : m_unit.gaps()) {
        gaps.push_back(Span{xOf(g.before.time), xOf(g.after.time)});
    }
    bands(cr, gaps, m_plot.y, m_plot.height, GapBand);
    std::vector<Span> faults;
    for (const SensorFault& f : m_unit.faults()) {
        faults.push_back(Span{xOf(f.first.time), xOf(f.last.time)});
    }
    bands(cr, faults, m_plot.y, m_plot.height, FaultBand);

    // Grid and degree labels.
    cairo_set_line_width(cr, 0.3);
    for (double value = m_low; value <= m_high + 0.001; value += step) {
        cairo_set_source_rgb(cr, 0.75, 0.75, 0.75);
        cairo_move_to(cr, m_plot.x, yOf(value));
        cairo_line_to(cr, m_plot.x + m_plot.width, yOf(value));
        cairo_stroke(cr);
        label(cr, m_fonts.regular(), 7, m_plot.x - 3, yOf(value) + 2.5,
              std::to_string(static_cast<int>(value)), 1.0);
    }
    const LogSeconds tick = timeStep(m_to - m_from, 8);
    for (LogSeconds t = (m_from + tick - 1) / tick * tick; t <= m_to; t += tick) {
        cairo_set_source_rgb(cr, 0.75, 0.75, 0.75);
        cairo_move_to(cr, xOf(t), m_plot.y);
        cairo_line_to(cr, xOf(t), m_plot.y + m_plot.height + 3);
        cairo_stroke(cr);
        label(cr, m_fonts.regular(), 7, xOf(t), m_plot.y + m_plot.height + 11, clock(t), 0.5);
    }
    const std::string firstDay = LogTimestamp::text(m_from).substr(0, 10);
    const std::string lastDay = LogTimestamp::text(m_to).substr(0, 10);
    const double dateY = m_plot.y + m_plot.height + 22;
    label(cr, m_fonts.regular(), 7, m_plot.x, dateY,
          m_page.axisTime + ": " + firstDay + " " + clock(m_from) + " - " +
              (lastDay != firstDay ? lastDay + " " : "") + clock(m_to));

    thresholdStyle(cr);
    cairo_move_to(cr, m_plot.x, yOf(threshold));
    cairo_line_to(cr, m_plot.x + m_plot.width, yOf(threshold));
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);

    cairo_save(cr);
    cairo_rectangle(cr, m_plot.x, m_plot.y, m_plot.width, m_plot.height);
    cairo_clip(cr);
    curves(cr);
    cairo_restore(cr);

    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 0.6);
    cairo_rectangle(cr, m_plot.x, m_plot.y, m_plot.width, m_plot.height);
    cairo_stroke(cr);

    legend(cr, Area{area.x, dateY + 4, area.width, legendHeight});
    return area.height;
}

} // namespace logtools
