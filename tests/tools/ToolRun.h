#pragma once

#include <string>
#include <vector>

namespace logtools::test {

// A fresh folder under the system's temp folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Runs a converter as its own process in the given working folder; returns what it printed.
std::string runTool(const std::string& program, const std::vector<std::string>& args,
                    const std::string& workingDir);

// Like runTool, also giving the exit status (-1 when the program did not exit normally).
std::string runTool(const std::string& program, const std::vector<std::string>& args,
                    const std::string& workingDir, int& status);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);
std::vector<std::string> listFolder(const std::string& path);

} // namespace logtools::test
