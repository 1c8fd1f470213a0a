#include "update/UpdateService.h"

#include <cwchar>

#include "shell/Paths.h"
#include "update/FileOps.h"
#include "update/HttpFetch.h"
#include "update/UpdatePackage.h"
#include "update/UpdateServer.h"
#include "update/Versions.h"

namespace Corvane {

UpdateService::UpdateService(const std::wstring& root, const std::wstring& currentVersion, HWND window,
                             UpdateOptions options)
    : m_softwareBaseUrl(Corvane::SoftwareBaseUrl(root)),
      m_firmwareBaseUrl(Corvane::FirmwareBaseUrl(root)),
      m_currentVersion(currentVersion),
      m_window(window),
      m_options(std::move(options)) {}

std::wstring UpdateService::LatestSoftwareVersion() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_latestSoftware;
}

std::wstring UpdateService::LatestFirmwareVersion() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_latestFirmware;
}

std::wstring UpdateService::LatestVersion(UpdateKind kind) const {
    return kind == kFirmwareUpdate ? LatestFirmwareVersion() : LatestSoftwareVersion();
}

void UpdateService::StoreLatest(UpdateKind kind, const std::wstring& version) {
    std::lock_guard<std::mutex> guard(m_lock);
    (kind == kFirmwareUpdate ? m_latestFirmware : m_latestSoftware) = version;
}

bool UpdateService::FetchVersion(const std::wstring& baseUrl, std::wstring* version,
                                 HANDLE stop) const {
    std::wstring text;
    FetchUrlText(baseUrl + L"version", text, m_options.versionFile, stop);
    return AcceptVersionText(text, version);
}

void UpdateService::PostResult(UpdateKind kind) const {
    if (m_window != nullptr) ::PostMessageW(m_window, kUpdateResultMessage, static_cast<WPARAM>(kind), 1);
}

void UpdateService::CheckSoftwareAtStart(HANDLE stop) {
    std::wstring version;
    if (!FetchVersion(m_softwareBaseUrl, &version, stop)) return;
    StoreLatest(kSoftwareUpdate, version);
    if (CompareVersions(m_currentVersion, version) >= 1) PostResult(kSoftwareUpdate);
}

void UpdateService::CheckFirmwareAtStart(const FirmwareVersionReader& readDisplayVersion,
                                         HANDLE stop) {
    std::wstring version;
    if (!FetchVersion(m_firmwareBaseUrl, &version, stop)) return;
    StoreLatest(kFirmwareUpdate, version);
    const int displayVersion = readDisplayVersion ? readDisplayVersion() : -1;
    if (FirmwareUpdateOffered(version, displayVersion)) PostResult(kFirmwareUpdate);
}

DownloadOutcome UpdateService::DownloadSoftwareUpdate(HANDLE stop) {
    return DownloadUpdate(kSoftwareUpdate, stop);
}

DownloadOutcome UpdateService::DownloadFirmwareUpdate(HANDLE stop) {
    return DownloadUpdate(kFirmwareUpdate, stop);
}

DownloadOutcome UpdateService::DownloadUpdate(UpdateKind kind, HANDLE stop) {
    // Only a version a check accepted names the package.
    const std::wstring version = LatestVersion(kind);
    if (version.empty()) return DownloadOutcome::kKeepRunning;
    const std::wstring dataFolder = m_options.dataFolder.empty() ? GetDataFolder() : m_options.dataFolder;
    const UpdatePackage package = MakeUpdatePackage(
        kind, version, kind == kFirmwareUpdate ? m_firmwareBaseUrl : m_softwareBaseUrl, dataFolder);

    EnsureDirectory(package.workFolder);
    // Everything below is written as administrator: never through a link.
    if (!IsPlainDirectory(dataFolder) || !IsPlainDirectory(package.workFolder)) {
        return DownloadOutcome::kKeepRunning;
    }
    RemoveFileIfPresent(package.archivePath);
    RemoveFileIfPresent(package.programPath);

    // A file at the archive path after the download is always a complete body of this
    // download (DownloadUrlToFile); whatever else is there (a link that could not be
    // removed) is not looked at.
    if (!DownloadUrlToFile(package.archiveUrl, package.archivePath, m_options.archive, stop)) {
        return DownloadOutcome::kKeepRunning;
    }

    ExtractReport report;
    if (ExtractZipToFolder(package.archivePath, package.workFolder, m_options.unpack, &report)) {
        RemoveFileIfPresent(package.archivePath);
    }
    for (const std::wstring& written : report.written) {
        if (_wcsicmp(written.c_str(), package.programName.c_str()) == 0) {
            StartUpdateProgram(package.programPath);
            break;
        }
    }
    return DownloadOutcome::kEndProcess;
}

}  // namespace Corvane
