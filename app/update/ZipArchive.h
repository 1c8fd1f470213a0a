// ZipArchive: owns one minizip reader (unzFile). The archive file is opened by its wide
// path through Win32 file calls, so a data folder outside the ANSI code page works.
#pragma once

#include <minizip/unzip.h>

#include <string>

namespace Corvane {

class ZipArchive {
public:
    ZipArchive() = default;
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Opens the archive for reading (shared for reading only); false when the file cannot
    // be opened or holds no readable zip directory.
    bool Open(const std::wstring& path);

    unzFile get() const { return m_file; }

private:
    unzFile m_file = nullptr;  // owned
};

// Owns the open state of the archive's current entry (unzOpenCurrentFile).
class ZipEntryReader {
public:
    explicit ZipEntryReader(unzFile archive) : m_archive(archive) {}
    ~ZipEntryReader();
    ZipEntryReader(const ZipEntryReader&) = delete;
    ZipEntryReader& operator=(const ZipEntryReader&) = delete;

    bool Open();
    // unzCloseCurrentFile's result: UNZ_CRCERROR when the whole entry was read and its
    // checksum does not match.
    int Close();

private:
    unzFile m_archive;  // not owned
    bool m_open = false;
};

}  // namespace Corvane
