// Writes a simulated day of PC logs of one farm: every unit in Run all day, a line a minute,
// its chamber heating toward 160F and its three cores following with their own lags, in four
// connection logs of six hours each. A few units work in Centigrade, a few lose lines for a
// while and one has a failed core sensor for an hour, as a real day brings.
//   generate_day UNITS FOLDER
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: generate_day UNITS FOLDER\n");
        return 2;
    }
    const int units = std::atoi(argv[1]);
    const std::string folder = argv[2];
    if (units < 1 || units > 254) {
        std::fprintf(stderr, "generate_day: UNITS is 1 to 254\n");
        return 2;
    }
    double chamber[255];
    double core[255][3];
    for (int u = 1; u <= units; ++u) {
        chamber[u] = 68.0;
        core[u][0] = core[u][1] = core[u][2] = 68.0;
    }
    const double follow[3] = {1.0 / 1200.0, 1.0 / 1500.0, 1.0 / 1800.0};
    std::FILE* out = nullptr;
    for (int minute = 0; minute < 24 * 60; ++minute) {
        if (minute % 360 == 0) {
            if (out != nullptr) {
                std::fclose(out);
            }
            char name[64];
            std::snprintf(name, sizeof name, "/001_061206_%02d0000.CSV", minute / 60);
            out = std::fopen((folder + name).c_str(), "wb");
            if (out == nullptr) {
                std::perror(name);
                return 1;
            }
            std::fprintf(out, "Day of charges, farm 1, part %d\r\n", minute / 360 + 1);
        }
        for (int u = 1; u <= units; ++u) {
            // Each unit starts its charge a little later than the one before.
            const bool heating = minute >= u % 60;
            for (int s = 0; s < 60; ++s) {
                const bool on = heating && chamber[u] < 160.0;
                chamber[u] += (on ? 2.0 / 60.0 : 0.0) - (chamber[u] - 68.0) / 3600.0;
                for (int c = 0; c < 3; ++c) {
                    core[u][c] += follow[c] * (chamber[u] - core[u][c]);
                }
            }
            if (u % 17 == 0 && minute >= 300 && minute < 310) {
                continue; // lines lost
            }
            const bool centigrade = u % 5 == 0;
            int value[4];
            for (int c = 0; c < 4; ++c) {
                const double f = c < 3 ? core[u][c] : chamber[u];
                value[c] = static_cast<int>(std::lround(centigrade ? (f - 32.0) * 5.0 / 9.0 : f));
            }
            if (u % 41 == 0 && minute >= 600 && minute < 660) {
                value[1] = centigrade ? 327 : 999; // a failed sensor
            }
            std::fprintf(out, "12/06/06,%02d:%02d:00,%03d,%d,%3d,%3d,%3d,%3d\r\n", minute / 60,
                         minute % 60, u, centigrade ? 58 : 135, value[0], value[1], value[2],
                         value[3]);
        }
    }
    std::fclose(out);
    return 0;
}
