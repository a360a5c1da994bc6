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

// What a run printed and its exit status (-1 when it did not exit by itself).
struct ToolResult {
    std::string output;
    int status = -1;
};

// As runTool; with fileSizeLimit >= 0 no file the converter writes may grow beyond that many
// bytes, and a write past it fails as on a full disk.
ToolResult runToolForResult(const std::string& program, const std::vector<std::string>& args,
                            const std::string& workingDir, long fileSizeLimit = -1);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);
std::vector<std::string> listFolder(const std::string& path);

} // namespace logtools::test
