#include "ToolRun.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace logtools::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "logtools-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
        m_path = pattern;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    // Outputs are left read-only; give write permission back so they can be removed.
    for (auto it = fs::recursive_directory_iterator(m_path, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        // Never through a link: a test may leave one to a device such as /dev/full.
        std::error_code linkError;
        if (!it->is_symlink(linkError) && !linkError) {
            std::error_code permissionError;
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add,
                            permissionError);
        }
    }
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
}

std::string runTool(const std::string& program, const std::vector<std::string>& args,
                    const std::string& workingDir) {
    int status = 0;
    return runTool(program, args, workingDir, status);
}

std::string runTool(const std::string& program, const std::vector<std::string>& args,
                    const std::string& workingDir, int& exitStatus) {
    ToolResult result = runToolForResult(program, args, workingDir);
    exitStatus = result.status;
    if (result.status < 0) {
        result.output += "<crashed>";
    }
    return result.output;
}

ToolResult runToolForResult(const std::string& program, const std::vector<std::string>& args,
                            const std::string& workingDir, long fileSizeLimit) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return {"<pipe failed>", -1};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (fileSizeLimit >= 0) {
            // The write past the limit then fails with EFBIG instead of ending the program.
            ::signal(SIGXFSZ, SIG_IGN);
            const struct rlimit limit {
                static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)
            };
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        if (::chdir(workingDir.c_str()) != 0) {
            ::_exit(126);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    std::string output;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        output.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

std::vector<std::string> listFolder(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto it = fs::directory_iterator(path, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace logtools::test
