#pragma once

#include <string>

namespace logtools {

// What a certificate shows beyond the record: who treated, on which paper, in which language.
struct CertificateOptions {
    enum class Paper {
        A4,
        Letter,
    };

    std::string site;     // the site line: the treatment provider's name and address
    std::string facility; // the facility's registration or certification number
    bool spanish = false;
    Paper paper = Paper::A4;
    std::string program = "logtreat"; // the footer names the program and its version
    std::string version = thisVersion();

    // The version of this build.
    static std::string thisVersion();

    // The paper a locale name such as "en_US.UTF-8" prints on: US Letter in the Americas that
    // use it, A4 elsewhere (and for "C", "POSIX" or no name).
    static Paper paperOfLocale(const std::string& locale);
    // From LC_ALL, else LC_PAPER, else LANG, as the C library takes them.
    static Paper paperOfEnvironment();

    // Width and height in PDF points.
    static double width(Paper paper) { return paper == Paper::A4 ? 595.276 : 612.0; }
    static double height(Paper paper) { return paper == Paper::A4 ? 841.89 : 792.0; }
};

} // namespace logtools
