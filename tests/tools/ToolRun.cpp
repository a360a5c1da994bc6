#include "ToolRun.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#if defined(_WIN32)
#include <direct.h>
#include <io.h>
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace logtools::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "logtools-XXXXXX").string();
#if defined(_WIN32)
    if (_mktemp_s(pattern.data(), pattern.size() + 1) == 0 && _mkdir(pattern.c_str()) == 0) {
        m_path = pattern;
    }
#else
    if (::mkdtemp(pattern.data()) != nullptr) {
        m_path = pattern;
    }
#endif
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

#if defined(_WIN32)

namespace {

// One argument as the C runtime's command-line parser reads it back.
std::string quoted(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
        return arg;
    }
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (const char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

} // namespace

std::string runTool(const std::string& program, const std::vector<std::string>& args,
                    const std::string& workingDir, int& exitStatus) {
    exitStatus = -1;
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        return "<pipe failed>";
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::string commandLine = quoted(program);
    for (const std::string& arg : args) {
        commandLine += ' ' + quoted(arg);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        0, nullptr, workingDir.c_str(), &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return "<start failed>";
    }
    std::string output;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        output.append(buffer, got);
    }
    CloseHandle(readEnd);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) {
        // A crash ends the process with an exception code, which has the top bit set.
        exitStatus = (code & 0x80000000u) != 0 ? -1 : static_cast<int>(code);
    }
    if (exitStatus < 0) {
        output += "<crashed>";
    }
    // The console is written in text mode, which ends lines with CR LF on Windows: read it back
    // as text, as a console program would.
    for (std::size_t at = output.find("\r\n"); at != std::string::npos;
         at = output.find("\r\n", at)) {
        output.erase(at, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return output;
}

ToolResult runToolForResult(const std::string& program, const std::vector<std::string>& args,
                            const std::string& workingDir, long fileSizeLimit) {
    // Windows sets no limit on the size of a child's files: callers skip those cases there.
    (void)fileSizeLimit;
    ToolResult result;
    result.output = runTool(program, args, workingDir, result.status);
    return result;
}

#else

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

#endif

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
