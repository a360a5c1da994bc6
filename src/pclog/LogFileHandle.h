#pragma once

#include <string>
#include <string_view>

// One open PC log file: opened for appending without losing what it holds, and kept from
// other writers while open. On Windows that is the sharing mode of the open; elsewhere an
// advisory lock (flock), which programs that lock the same way respect.
class LogFileHandle {
public:
    enum class Sharing {
        Exclusive, // nobody else may open the file while we hold it
        DenyWrite  // others may read it, nobody else may write it
    };

    LogFileHandle() = default;
    ~LogFileHandle() { Close(); }
    LogFileHandle(const LogFileHandle&) = delete;
    LogFileHandle& operator=(const LogFileHandle&) = delete;
    LogFileHandle(LogFileHandle&& other) noexcept;
    LogFileHandle& operator=(LogFileHandle&& other) noexcept;

    // Opens (creating if missing) for writing at the end. With truncate the content is
    // dropped, but only once the file is ours: a file another program holds is never emptied.
    // False, with nothing open, when the file cannot be opened or is held elsewhere.
    bool Open(const std::string& path, Sharing sharing, bool truncate);
    // Writes all of text; false when the system took less.
    bool Write(std::string_view text);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};
