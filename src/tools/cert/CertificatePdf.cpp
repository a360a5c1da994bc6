#include "tools/cert/CertificatePdf.h"

#include "base/FileAttributes.h"
#include "tools/cert/CertificateChart.h"
#include "tools/cert/CertificateFonts.h"
#include "tools/cert/CertificatePage.h"
#include "tools/common/ReplacingFile.h"
#include "tools/treat/LogTimestamp.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace logtools {

namespace {

constexpr double kMargin = 48;

struct Output {
    int fd = -1;
    bool failed = false;
    int error = 0;
};

cairo_status_t writeOut(void* closure, const unsigned char* data, unsigned int length) {
    auto* out = static_cast<Output*>(closure);
    while (length > 0 && !out->failed) {
#ifdef _WIN32
        const int written = ::_write(out->fd, data, length);
#else
        const ssize_t written = ::write(out->fd, data, length);
#endif
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            out->failed = true;
            out->error = written < 0 ? errno : ENOSPC;
            break;
        }
        data += written;
        length -= static_cast<unsigned int>(written);
    }
    return out->failed ? CAIRO_STATUS_WRITE_ERROR : CAIRO_STATUS_SUCCESS;
}

// Lays out a page from the top down.
class PageWriter {
public:
    PageWriter(cairo_t* cr, const CertificateFonts& fonts, double width, double height)
        : m_cr(cr), m_fonts(fonts), m_width(width), m_height(height), m_y(kMargin) {}

    double textWidth(cairo_font_face_t* face, double size, const std::string& text) {
        cairo_set_font_face(m_cr, face);
        cairo_set_font_size(m_cr, size);
        cairo_text_extents_t extents;
        cairo_text_extents(m_cr, text.c_str(), &extents);
        return extents.x_advance;
    }

    // One line at x, shortened with "..." when it would pass the right margin.
    void show(cairo_font_face_t* face, double size, double x, double y, std::string text,
              double grey = 0) {
        const double room = m_width - kMargin - x;
        if (textWidth(face, size, text) > room) {
            while (!text.empty() && textWidth(face, size, text + "...") > room) {
                text.pop_back();
                while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) {
                    text.pop_back();
                }
                if (!text.empty() && static_cast<unsigned char>(text.back()) >= 0xC0) {
                    text.pop_back();
                }
            }
            text += "...";
        }
        cairo_set_source_rgb(m_cr, grey, grey, grey);
        cairo_move_to(m_cr, x, y);
        cairo_show_text(m_cr, text.c_str());
    }

    // Text broken into lines at spaces to fit between the margins; moves down past it.
    void paragraph(cairo_font_face_t* face, double size, const std::string& text) {
        const double room = m_width - 2 * kMargin;
        std::string line;
        std::size_t pos = 0;
        while (pos <= text.size()) {
            std::size_t space = text.find(' ', pos);
            if (space == std::string::npos) {
                space = text.size();
            }
            const std::string word = text.substr(pos, space - pos);
            const std::string longer = line.empty() ? word : line + " " + word;
            if (!line.empty() && textWidth(face, size, longer) > room) {
                lineDown(face, size, line);
                line = word;
            } else {
                line = longer;
            }
            pos = space + 1;
        }
        if (!line.empty()) {
            lineDown(face, size, line);
        }
    }

    void lineDown(cairo_font_face_t* face, double size, const std::string& text) {
        m_y += size * 1.3;
        show(face, size, kMargin, m_y, text);
    }

    void skip(double points) { m_y += points; }
    double y() const { return m_y; }

    void hairline(double grey, double width) {
        cairo_set_source_rgb(m_cr, grey, grey, grey);
        cairo_set_line_width(m_cr, width);
        cairo_move_to(m_cr, kMargin, m_y);
        cairo_line_to(m_cr, m_width - kMargin, m_y);
        cairo_stroke(m_cr);
    }

    void draw(const CertificatePage& page, const UnitTreatment& unit, const TreatmentRule& rule,
              int number, int pages) {
        const CertificateFonts& f = m_fonts;
        if (!page.site.empty()) {
            lineDown(f.bold(), 10.5, page.site);
        }
        if (!page.facility.empty()) {
            lineDown(f.regular(), 9.5, page.facility);
        }
        skip(8);
        lineDown(f.bold(), 17, page.title);
        skip(4);
        hairline(0, 0.8);
        lineDown(f.regular(), 10, page.description);
        lineDown(f.bold(), 12, page.farmAndUnit);

        skip(34);
        show(f.bold(), 30, kMargin, m_y, page.verdict);
        skip(2);
        if (!page.lacking.empty()) {
            paragraph(f.regular(), 9.5, page.lacking);
        }
        skip(6);
        for (const std::string& line : page.rule) {
            paragraph(f.regular(), 8.5, line);
        }
        skip(3);
        for (const std::string& line : page.evidence) {
            lineDown(f.regular(), 9, line);
        }
        skip(10);

        // What the bottom of the page needs: the files, the signature line and the footer.
        const double fileRows =
            2 * static_cast<double>(std::max<std::size_t>(page.files.size(), 1));
        double bottom = 14 + std::min(fileRows, 12.0) * 9.5 + 58 + 24;
        double chartHeight = m_height - kMargin - bottom - m_y;
        chartHeight = std::clamp(chartHeight, 180.0, 320.0);
        CertificateChart chart(unit, rule, page, m_fonts);
        chart.draw(m_cr, CertificateChart::Area{kMargin, m_y, m_width - 2 * kMargin, chartHeight});
        m_y += chartHeight + 4;

        lineDown(f.bold(), 8.5, page.filesHeading);
        const std::size_t fit = 6; // at two rows each
        for (std::size_t i = 0; i < page.files.size() && i < fit; ++i) {
            lineDown(f.regular(), 7.5, page.files[i].name);
            const std::string hash =
                page.files[i].sha256.empty() ? page.hashMissing : page.files[i].sha256;
            m_y += 9.5;
            show(f.mono(), 7.5, kMargin + 12, m_y, hash);
        }
        if (page.files.size() > fit) {
            lineDown(f.regular(), 7.5, "+ " + std::to_string(page.files.size() - fit) + " ...");
        }

        // The signature line: a label and a line to write on, three times across.
        const double y = m_height - kMargin - 30;
        const double third = (m_width - 2 * kMargin) / 3;
        for (std::size_t i = 0; i < page.signature.size(); ++i) {
            const double x = kMargin + third * static_cast<double>(i);
            show(f.regular(), 9, x, y, page.signature[i] + ":");
            const double start = x + textWidth(f.regular(), 9, page.signature[i] + ":") + 4;
            cairo_set_source_rgb(m_cr, 0, 0, 0);
            cairo_set_line_width(m_cr, 0.5);
            cairo_move_to(m_cr, start, y + 2);
            cairo_line_to(m_cr, x + third - 10, y + 2);
            cairo_stroke(m_cr);
        }
        m_y = m_height - kMargin + 6;
        hairline(0.5, 0.4);
        show(f.regular(), 7.5, kMargin, m_height - kMargin + 16, page.footer, 0.2);
        const std::string pageText = page.pageText(number, pages);
        show(f.regular(), 7.5, m_width - kMargin - textWidth(f.regular(), 7.5, pageText),
             m_height - kMargin + 16, pageText, 0.2);
    }

private:
    cairo_t* m_cr;
    const CertificateFonts& m_fonts;
    double m_width;
    double m_height;
    double m_y;
};

// The record's last line as the document's date: re-making the certificate gives it again.
std::string documentDate(const TreatmentRecord& record) {
    LogSeconds last = 0;
    for (const LogFileSummary& file : record.files()) {
        if (file.readings > 0 && file.lastTime > last) {
            last = file.lastTime;
        }
    }
    std::string text = LogTimestamp::text(last);
    text[10] = 'T';
    return text;
}

} // namespace

bool CertificatePdf::write(const std::string& path, const TreatmentRecord& record,
                           const std::vector<int>& units, const CertificateOptions& options,
                           std::string& error) {
    std::vector<const UnitTreatment*> chosen;
    if (units.empty()) {
        chosen = record.units();
    } else {
        std::vector<int> sorted = units;
        std::sort(sorted.begin(), sorted.end());
        sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
        for (const int id : sorted) {
            if (const UnitTreatment* unit = record.unit(id)) {
                chosen.push_back(unit);
            }
        }
    }
    if (chosen.empty()) {
        error = "no unit to certify: the logs hold no unit";
        return false;
    }
    CertificateFonts fonts;
    if (!fonts.load(error)) {
        return false;
    }
    ReplacingFile file(path);
    if (!file.open()) {
        error = std::string("cannot write ") + path + ": " + std::strerror(errno);
        return false;
    }

    Output out{file.fd()};
    const double width = CertificateOptions::width(options.paper);
    const double height = CertificateOptions::height(options.paper);
    cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(writeOut, &out, width, height);
    const std::string title =
        options.spanish ? "Certificado de tratamiento térmico" : "Heat treatment certificate";
    const std::string creator = options.program + " " + options.version;
    const std::string date = documentDate(record);
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, title.c_str());
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, creator.c_str());
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATE_DATE, date.c_str());
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_MOD_DATE, date.c_str());
    cairo_t* cr = cairo_create(surface);
    const int pages = static_cast<int>(chosen.size());
    for (int i = 0; i < pages && cairo_status(cr) == CAIRO_STATUS_SUCCESS && !out.failed; ++i) {
        const UnitTreatment& unit = *chosen[static_cast<std::size_t>(i)];
        const CertificatePage page = CertificatePage::build(record, unit, options);
        PageWriter(cr, fonts, width, height).draw(page, unit, record.rule(), i + 1, pages);
        cairo_show_page(cr);
    }
    const cairo_status_t drawn = cairo_status(cr);
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    const cairo_status_t finished = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (out.failed) {
        error = std::string("cannot write ") + path + ": " + std::strerror(out.error);
        return false;
    }
    if (drawn != CAIRO_STATUS_SUCCESS || finished != CAIRO_STATUS_SUCCESS) {
        error = std::string("cannot make ") + path + ": " +
                cairo_status_to_string(drawn != CAIRO_STATUS_SUCCESS ? drawn : finished);
        return false;
    }
    if (!file.commit()) {
        error = std::string("cannot write ") + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool CertificatePdf::writeFromLogs(const std::string& path, const std::vector<std::string>& logs,
                                   const TreatmentRule& rule, int unit,
                                   const CertificateOptions& options, std::string& error) {
    TreatmentRecord record(rule);
    record.keepEvidence();
    record.expectUnit(unit);
    for (const std::string& log : logs) {
        if (log == path || FileAttributes::isSameFile(log, path)) {
            error = "the certificate would replace the log " + log;
            return false;
        }
        if (!record.readFile(log)) {
            error = "cannot read " + log + ": " + record.files().back().error;
            return false;
        }
    }
    record.finish();
    return write(path, record, {unit}, options, error);
}

} // namespace logtools
