#pragma once

#include "config/HiveDocument.h"
#include "config/RegistryBackend.h"

#include <map>
#include <string>

// The registry kept in a hive file (see HiveDocument for the format), for platforms without
// a registry.
//
// The file is read again whenever a key is opened or created, so edits made by hand while the
// program runs are seen as the registry would show them; reads of values use what the last
// open found. Every change is a read-modify-write under an advisory lock (flock on
// "<hive>.lock" beside it): the file is read afresh, changed, written to "<hive>.tmp",
// flushed to disk and renamed over the hive, so a crash leaves either the old or the new
// file, and two programs writing at once never lose each other's values. A write that
// changes nothing leaves the file alone.
//
// A missing file is an empty registry, created with its folder by the first write. A file that
// cannot be read or does not parse is never written: every operation fails (kBadDb, or
// kAccessDenied for an unreadable file) until the file is mended. A file without write
// permission, or in a folder without it, is never replaced either: reads work, and every
// write fails with kAccessDenied, as in a locked registry.
class HiveFileBackend : public RegistryBackend {
public:
    explicit HiveFileBackend(std::string hivePath);

    std::int32_t OpenKey(RegKey parent, const std::string& subKey, RegKey* result) override;
    std::int32_t CreateKey(RegKey parent, const std::string& subKey, RegKey* result) override;
    std::int32_t QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                            std::uint8_t* data, std::uint32_t* size) override;
    std::int32_t SetValue(RegKey key, const std::string& name, std::uint32_t type,
                          const std::uint8_t* data, std::uint32_t size) override;
    std::int32_t CloseKey(RegKey key) override;

    const std::string& HivePath() const { return m_path; }

    // "the hive FILE could not be read (line N: REASON)" after a failed load, else empty.
    std::string ReadProblem() const override { return m_readProblem; }
    // Why writes fail now ("the hive FILE is read-only", ...), or empty when they may go on.
    std::string WriteProblem() const override;

private:
    // Reads the file into m_doc; the status every operation reports while it does not parse.
    std::int32_t Load();
    std::int32_t WriteFile(const std::string& text);
    // The full path of a new key below parent, or false for an unknown handle.
    bool JoinPath(RegKey parent, const std::string& subKey, std::string& path) const;
    RegKey NewHandle(const std::string& path);
    // The checks and the fresh read that opening and creating a key share; on success path
    // holds the key's full path.
    std::int32_t PrepareKey(RegKey parent, const std::string& subKey, RegKey* result,
                            std::string& path);

    std::string m_path;
    std::string m_readProblem;
    HiveDocument m_doc;
    std::int32_t m_loadStatus = RegStatus::kSuccess;
    std::map<RegKey, std::string> m_handles;
    RegKey m_nextHandle = 1;
};
