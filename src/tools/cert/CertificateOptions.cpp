#include "tools/cert/CertificateOptions.h"

#include <array>
#include <cstdlib>
#include <string_view>

namespace logtools {

std::string CertificateOptions::thisVersion() {
    return KILNWATCH_VERSION;
}

CertificateOptions::Paper CertificateOptions::paperOfLocale(const std::string& locale) {
    // The territories whose locales print on US Letter.
    static constexpr std::array<std::string_view, 14> kLetter = {
        "US", "CA", "MX", "CL", "CO", "CR", "DO", "GT", "NI", "PA", "PH", "PR", "SV", "VE"};
    const std::size_t underscore = locale.find('_');
    if (underscore == std::string::npos || underscore + 3 > locale.size()) {
        return Paper::A4;
    }
    const std::string_view territory = std::string_view(locale).substr(underscore + 1, 2);
    for (const std::string_view letter : kLetter) {
        if (territory == letter) {
            return Paper::Letter;
        }
    }
    return Paper::A4;
}

CertificateOptions::Paper CertificateOptions::paperOfEnvironment() {
    for (const char* name : {"LC_ALL", "LC_PAPER", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return paperOfLocale(value);
        }
    }
    return Paper::A4;
}

} // namespace logtools
