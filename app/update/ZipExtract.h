// ExtractZipToFolder: unpacks an update archive below one folder, and nowhere else.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace Corvane {

// How much one archive may unpack. The program runs elevated and the archive comes from
// the network, so a hostile one must not fill the disk.
struct ExtractLimits {
    ULONGLONG maxEntryBytes = 512ULL * 1024 * 1024;  // one file's inflated size
    ULONGLONG maxTotalBytes = 1024ULL * 1024 * 1024;  // all files together
    DWORD maxEntries = 10000;                         // directory entries looked at
};

// What an unpack did, for the caller's decisions and for tests.
struct ExtractReport {
    std::vector<std::wstring> written;  // files written completely, relative to the folder
    DWORD skipped = 0;                  // entries skipped or failed
};

// Unpacks every entry of the archive, in directory order, below folder (which must be a
// plain directory, not a reparse point). Entry names are read in the ANSI code page,
// cleaned (CleanEntryName) and confined (ConfineEntryName). A directory entry creates its
// folder; a file entry creates its missing parent folders and replaces any file of that
// name with the inflated data, the entry's stored attributes (read-only, hidden, system,
// archive) and its stored time as creation, access and write time.
// An entry is skipped, leaving nothing behind, when its name is refused, it is encrypted
// or packed by an unsupported method, its declared size is over a limit, its name or a
// folder on its way is a reparse point or its name is a folder, or its data fails (inflate error, wrong
// checksum, size other than declared, failing write). Returns false only when the
// archive cannot be opened (or folder is not a plain directory); the report may be null.
bool ExtractZipToFolder(const std::wstring& archivePath, const std::wstring& folder,
                        const ExtractLimits& limits = ExtractLimits(),
                        ExtractReport* report = nullptr);

}  // namespace Corvane
