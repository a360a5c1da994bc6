#include "tools/cert/CertificateFonts.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdlib>
#include <mutex>
#include <sys/stat.h>

namespace logtools {

namespace {

// Where distributions put the DejaVu files; KILNWATCH_FONT_DIR comes first when set.
constexpr const char* kFontDirs[] = {
    "/usr/share/fonts/truetype/dejavu",   "/usr/share/fonts/dejavu", "/usr/share/fonts/TTF",
    "/usr/share/fonts/dejavu-sans-fonts", "/usr/local/share/fonts",
};

// FreeType's library lives as long as the program: cairo may keep faces cached until exit.
FT_Library freeType() {
    static FT_Library library = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        if (FT_Init_FreeType(&library) != 0) {
            library = nullptr;
        }
    });
    return library;
}

bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string findFont(const char* file) {
    const char* chosen = std::getenv("KILNWATCH_FONT_DIR");
    if (chosen != nullptr && *chosen != '\0') {
        const std::string path = std::string(chosen) + "/" + file;
        if (fileExists(path)) {
            return path;
        }
    }
    for (const char* dir : kFontDirs) {
        const std::string path = std::string(dir) + "/" + file;
        if (fileExists(path)) {
            return path;
        }
    }
    return {};
}

cairo_font_face_t* loadFace(const char* file, std::string& error) {
    const std::string path = findFont(file);
    FT_Library library = freeType();
    if (path.empty() || library == nullptr) {
        error = std::string("the font ") + file +
                " was not found (install the DejaVu fonts, package fonts-dejavu-core)";
        return nullptr;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
        error = "the font " + path + " cannot be read";
        return nullptr;
    }
    cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, 0);
    static const cairo_user_data_key_t key{};
    // The FreeType face goes when cairo lets go of its last reference to the font.
    if (cairo_font_face_set_user_data(cairoFace, &key, face, [](void* f) {
            FT_Done_Face(static_cast<FT_Face>(f));
        }) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(cairoFace);
        FT_Done_Face(face);
        error = "the font " + path + " cannot be used";
        return nullptr;
    }
    return cairoFace;
}

} // namespace

bool CertificateFonts::load(std::string& error) {
    m_regular = loadFace("DejaVuSans.ttf", error);
    m_bold = m_regular != nullptr ? loadFace("DejaVuSans-Bold.ttf", error) : nullptr;
    m_mono = m_bold != nullptr ? loadFace("DejaVuSansMono.ttf", error) : nullptr;
    return m_mono != nullptr;
}

CertificateFonts::~CertificateFonts() {
    for (cairo_font_face_t* face : {m_regular, m_bold, m_mono}) {
        if (face != nullptr) {
            cairo_font_face_destroy(face);
        }
    }
}

} // namespace logtools
