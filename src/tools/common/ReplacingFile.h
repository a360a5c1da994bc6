#pragma once

#include <string>
#include <utility>

namespace logtools {

// An output written under a temporary name in its own folder and renamed to its name only when
// every byte reached the disk, so a run that fails part way (a full disk, an I/O error) leaves
// the file that was there before, or none, under the name, and never a partly written one.
class ReplacingFile {
public:
    explicit ReplacingFile(std::string path) : m_path(std::move(path)) {}
    ~ReplacingFile(); // removes the temporary file unless it was committed
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Makes the temporary file; false when the folder takes no new file.
    bool open();
    int fd() const { return m_fd; }

    // Flushes to the disk, gives the file the mode of the one it replaces (or the mode a new
    // file gets) and renames it to the name. False on any failure; the temporary file is gone
    // either way.
    bool commit();

private:
    void discard();

    std::string m_path;
    std::string m_temporary;
    int m_fd = -1;
};

} // namespace logtools
