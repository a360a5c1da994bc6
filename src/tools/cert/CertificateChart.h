#pragma once

#include "tools/cert/CertificateFonts.h"
#include "tools/cert/CertificatePage.h"
#include "tools/treat/UnitTreatment.h"

#include <cairo.h>

#include <vector>

namespace logtools {

// The chart of a certificate: the three cores and the chamber over the whole charge in the
// unit's scale, the threshold as a line, the stretch that decided the verdict shaded, gaps and
// sensor faults marked. Told apart by line style and pattern rather than colour, so it reads
// the same printed in grey.
class CertificateChart {
public:
    struct Area {
        double x = 0;
        double y = 0;
        double width = 0;
        double height = 0;
    };

    CertificateChart(const UnitTreatment& unit, const TreatmentRule& rule,
                     const CertificatePage& page, const CertificateFonts& fonts)
        : m_unit(unit), m_rule(rule), m_page(page), m_fonts(fonts) {}

    // Draws the chart with its axes and legend inside area; returns the height used.
    double draw(cairo_t* cr, const Area& area);

    // A tidy step for about `wanted` ticks over range: 1, 2 or 5 times a power of ten.
    static int valueStep(double range, int wanted);
    // A step in seconds among whole minutes and hours for at most `wanted` ticks.
    static LogSeconds timeStep(LogSeconds range, int wanted);

private:
    double legend(cairo_t* cr, const Area& area) const;
    struct Span {
        double from = 0;
        double to = 0;
    };
    static void bands(cairo_t* cr, const std::vector<Span>& spans, double top, double height,
                      int pattern);
    void curves(cairo_t* cr) const;
    double xOf(LogSeconds time) const;
    double yOf(double value) const;
    double inScale(int reading, Scale scale) const;

    const UnitTreatment& m_unit;
    const TreatmentRule& m_rule;
    const CertificatePage& m_page;
    const CertificateFonts& m_fonts;
    // The plot inside the axes and what it spans, set by draw.
    Area m_plot;
    LogSeconds m_from = 0;
    LogSeconds m_to = 0;
    double m_low = 0;
    double m_high = 0;
};

} // namespace logtools
