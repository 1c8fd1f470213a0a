// The names and places of one update package, and the start of the program it holds.
#pragma once

#include <string>

#include "update/UpdateMessages.h"

namespace Corvane {

struct UpdatePackage {
    std::wstring archiveName;  // "Software-<v>.zip" / "FirmwareUpdateTool-<v>.zip"
    std::wstring programName;  // "Software-<v>.exe" / "FirmwareUpdateTool-<v>.exe"
    std::wstring archiveUrl;   // base URL + "//" + archive name
    std::wstring workFolder;   // data folder + "\\temp\\"
    std::wstring archivePath;  // data folder + "\\temp\\" + archive name
    std::wstring programPath;  // data folder + "\\temp\\" + program name
};

// The package of kind for version (a plain version text, see AcceptVersionText). The
// base URL ends with a slash and the data folder with a backslash, so the URL has three
// slashes before the archive name and the paths two backslashes before "temp", as the
// server and the file system both accept.
UpdatePackage MakeUpdatePackage(UpdateKind kind, const std::wstring& version,
                                const std::wstring& baseUrl, const std::wstring& dataFolder);

// Starts the program through the shell ("open", no parameters, no working folder,
// SW_SHOW). The file is held open against writes and deletion until the shell has
// started it. True when the shell reports success.
bool StartUpdateProgram(const std::wstring& programPath);

}  // namespace Corvane
