// Replays kept inputs through a fuzz target without libFuzzer, so the normal test run catches a
// finding coming back:
//   <target>_replay FOLDER...
// Every regular file in each folder (not its subfolders) is handed to LLVMFuzzerTestOneInput
// once, in name order. A crash, a sanitizer report or a broken property ends the run as it would
// end the fuzzer; a folder that is missing or holds no input fails too, as a replay that replays
// nothing would pass whatever the target does.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

// The document reaches for the default hive: it goes to a scratch folder, never the user's.
class ScratchHive {
public:
    ScratchHive() {
        std::error_code error;
        const fs::path base = fs::temp_directory_path(error);
        for (int attempt = 0; attempt < 100 && m_dir.empty(); ++attempt) {
            const fs::path candidate = base / ("kilnwatch-replay-" + std::to_string(std::rand()) +
                                               "-" + std::to_string(attempt));
            if (fs::create_directory(candidate, error)) {
                m_dir = candidate;
            }
        }
        if (!m_dir.empty()) {
            ::setenv("KILNWATCH_REGISTRY", (m_dir / "registry.reg").c_str(), 1);
        }
    }
    ~ScratchHive() {
        std::error_code error;
        if (!m_dir.empty()) {
            fs::remove_all(m_dir, error);
        }
    }
    ScratchHive(const ScratchHive&) = delete;
    ScratchHive& operator=(const ScratchHive&) = delete;
    bool Ready() const { return !m_dir.empty(); }

private:
    fs::path m_dir;
};

bool ReadWhole(const fs::path& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER...\n", argv[0]);
        return 2;
    }
    ScratchHive hive;
    if (!hive.Ready()) {
        std::fprintf(stderr, "no scratch folder for the hive\n");
        return 2;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        std::vector<fs::path> files;
        for (fs::directory_iterator it(argv[i], error), end; !error && it != end;
             it.increment(error)) {
            if (it->is_regular_file(error)) {
                files.push_back(it->path());
            }
        }
        if (error || files.empty()) {
            std::fprintf(stderr, "%s: no inputs to replay (%s)\n", argv[i],
                         error ? error.message().c_str() : "empty folder");
            status = 1;
            continue;
        }
        std::sort(files.begin(), files.end());
        std::vector<std::uint8_t> bytes;
        for (const fs::path& file : files) {
            if (!ReadWhole(file, bytes)) {
                std::fprintf(stderr, "%s: cannot be read\n", file.c_str());
                status = 1;
                continue;
            }
            std::printf("replaying %s (%zu bytes)\n", file.c_str(), bytes.size());
            std::fflush(stdout);
            // The fuzzer never hands over a null pointer, even for an empty input.
            static const std::uint8_t kNothing = 0;
            LLVMFuzzerTestOneInput(bytes.empty() ? &kNothing : bytes.data(), bytes.size());
        }
        std::printf("%s: %zu inputs replayed\n", argv[i], files.size());
    }
    return status;
}
