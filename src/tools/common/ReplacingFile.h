#pragma once

#include <string>
#include <utility>

namespace logtools {

// An output written under a temporary name in its own folder and renamed to its name only when
// every byte reached the disk, so a run that fails part way (a full disk, an I/O error) leaves
// the file that was there before, or none, under the name, and never a partly written one.
//
// A name that is a symbolic link has its target replaced, the link stays. A name that is no
// regular file (a device, a pipe) is written in place: renaming over it would replace the
// device itself.
class ReplacingFile {
public:
    explicit ReplacingFile(std::string path) : m_path(std::move(path)) {}
    ~ReplacingFile(); // removes the temporary file unless it was committed
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Makes the temporary file (or opens the device); false when that fails.
    bool open();
    int fd() const { return m_fd; }

    // Flushes to the disk, gives the file the mode of the one it replaces (or the mode a new
    // file gets) and renames it to the name. False on any failure; the temporary file is gone
    // either way.
    bool commit();

private:
    void discard();

    std::string m_path; // the file replaced: the name, or the target of a link of that name
    std::string m_temporary;
    bool m_inPlace = false;
    int m_fd = -1;
};

} // namespace logtools
