// The whole test run works in a scratch directory of its own, so that a document built without
// an explicit working directory makes its PC_Logs folder there and not in the build tree.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace {

class ScratchWorkingDirectory : public ::testing::Environment {
public:
    void SetUp() override {
        namespace fs = std::filesystem;
        std::error_code error;
        m_previous = fs::current_path(error);
        std::random_device random;
        const fs::path base = fs::temp_directory_path(error);
        for (int attempt = 0; attempt < 100 && m_scratch.empty(); ++attempt) {
            const fs::path candidate = base / ("kilnwatch-run-" + std::to_string(random()));
            if (fs::create_directory(candidate, error)) {
                m_scratch = candidate;
            }
        }
        if (!m_scratch.empty()) {
            fs::current_path(m_scratch, error);
        }
    }
    void TearDown() override {
        std::error_code error;
        if (!m_previous.empty()) {
            std::filesystem::current_path(m_previous, error);
        }
        if (!m_scratch.empty()) {
            std::filesystem::remove_all(m_scratch, error);
        }
    }

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_scratch;
};

[[maybe_unused]] ::testing::Environment* const kScratch =
    ::testing::AddGlobalTestEnvironment(new ScratchWorkingDirectory);

} // namespace
