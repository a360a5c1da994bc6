#pragma once

#include <cairo.h>

#include <string>

namespace logtools {

// The typefaces of a certificate, read from the font files themselves rather than asked of the
// system's font configuration, so a certificate looks and measures the same on every machine
// that has the files (the DejaVu fonts of the fonts-dejavu-core package).
class CertificateFonts {
public:
    CertificateFonts() = default;
    ~CertificateFonts();
    CertificateFonts(const CertificateFonts&) = delete;
    CertificateFonts& operator=(const CertificateFonts&) = delete;

    // False, with the reason, when a font file is missing or unreadable.
    bool load(std::string& error);

    cairo_font_face_t* regular() const { return m_regular; }
    cairo_font_face_t* bold() const { return m_bold; }
    cairo_font_face_t* mono() const { return m_mono; }

private:
    cairo_font_face_t* m_regular = nullptr;
    cairo_font_face_t* m_bold = nullptr;
    cairo_font_face_t* m_mono = nullptr;
};

} // namespace logtools
