// UpdateService: the update work of one program run. It holds what the main window keeps
// for updates (the two base URLs, the program's version, the latest versions the checks
// read) and runs the four worker commands: the two start-up checks and the two
// download-and-start routines.
//
// Threads: the checks and downloads run on the worker thread. Each takes the worker's stop
// event (may be null): once it is set, a transfer under way ends as failed. A check stores its latest
// version before it posts kUpdateResultMessage; the window reads the versions through
// the locked getters while it handles that message.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>

#include "update/HttpTransfer.h"
#include "update/UpdateMessages.h"
#include "update/ZipExtract.h"

namespace Corvane {

struct UpdateOptions {
    HttpLimits versionFile = VersionFileLimits();
    HttpLimits archive = ArchiveLimits();
    ExtractLimits unpack;
    std::wstring dataFolder;  // ends with a backslash; empty: GetDataFolder()
};

// What a download routine leaves the caller to do.
enum class DownloadOutcome {
    kKeepRunning,  // no archive arrived; the program goes on
    kEndProcess,   // an archive arrived and its program was given to the shell (if it was
                   // in the archive); the caller ends the process with exit code 0
};

// Reads the display's firmware version on the worker thread: the 16-bit number, or -1
// when there is no display or it does not answer.
using FirmwareVersionReader = std::function<int()>;

class UpdateService {
public:
    // root: the server root (ReadUpdateRoot). currentVersion: the program's own version.
    // window: receives kUpdateResultMessage; may be null (nothing is posted).
    UpdateService(const std::wstring& root, const std::wstring& currentVersion, HWND window,
                  UpdateOptions options = UpdateOptions());
    UpdateService(const UpdateService&) = delete;
    UpdateService& operator=(const UpdateService&) = delete;

    // Attributes
    const std::wstring& SoftwareBaseUrl() const { return m_softwareBaseUrl; }
    const std::wstring& FirmwareBaseUrl() const { return m_firmwareBaseUrl; }
    const std::wstring& CurrentVersion() const { return m_currentVersion; }
    std::wstring LatestSoftwareVersion() const;
    std::wstring LatestFirmwareVersion() const;
    std::wstring LatestVersion(UpdateKind kind) const;

    // Operations (worker thread)
    // Fetches the software version file; a plain version text is stored, and when it is
    // newer than the current version kUpdateResultMessage (kSoftwareUpdate, 1) is posted.
    void CheckSoftwareAtStart(HANDLE stop = nullptr);
    // Fetches the firmware version file; a plain version text is stored, then the
    // display is asked for its version and kUpdateResultMessage (kFirmwareUpdate, 1) is
    // posted when FirmwareUpdateOffered.
    void CheckFirmwareAtStart(const FirmwareVersionReader& readDisplayVersion,
                              HANDLE stop = nullptr);
    // Downloads the package of the latest version of the kind into the work folder,
    // unpacks it, deletes the archive after an unpack and starts the program if this
    // unpack wrote it. A stale program file of that name is deleted first, so only what
    // this archive held can ever be started.
    DownloadOutcome DownloadSoftwareUpdate(HANDLE stop = nullptr);
    DownloadOutcome DownloadFirmwareUpdate(HANDLE stop = nullptr);

private:
    bool FetchVersion(const std::wstring& baseUrl, std::wstring* version, HANDLE stop) const;
    void StoreLatest(UpdateKind kind, const std::wstring& version);
    void PostResult(UpdateKind kind) const;
    DownloadOutcome DownloadUpdate(UpdateKind kind, HANDLE stop);

    const std::wstring m_softwareBaseUrl;
    const std::wstring m_firmwareBaseUrl;
    const std::wstring m_currentVersion;
    const HWND m_window;  // not owned
    const UpdateOptions m_options;

    mutable std::mutex m_lock;  // guards the two latest versions
    std::wstring m_latestSoftware;
    std::wstring m_latestFirmware;
};

}  // namespace Corvane
