// Points the default hive location of the whole test program at a temporary file, so no test
// that starts a document without its own registry backend can reach the user's real hive.

#include "ConfigTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class IsolatedHiveEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        m_dir = std::make_unique<configtest::TempDir>();
        m_env = std::make_unique<configtest::ScopedEnv>("KILNWATCH_REGISTRY",
                                                        m_dir->File("registry.reg"));
    }
    void TearDown() override {
        m_env.reset();
        m_dir.reset();
    }

private:
    std::unique_ptr<configtest::TempDir> m_dir;
    std::unique_ptr<configtest::ScopedEnv> m_env;
};

[[maybe_unused]] ::testing::Environment* const g_isolatedHive =
    ::testing::AddGlobalTestEnvironment(new IsolatedHiveEnvironment);

} // namespace
