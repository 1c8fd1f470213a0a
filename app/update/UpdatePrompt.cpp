#include "update/UpdatePrompt.h"

#include "update/UpdateService.h"

namespace Corvane {

bool BuildUpdatePrompt(int kind, const std::wstring& version, UpdatePrompt* prompt) {
    if (kind != kSoftwareUpdate && kind != kFirmwareUpdate) return false;
    // The "%s:v%s, %s" layout.
    prompt->text = std::wstring(L"Detected the latest version") + L":v" + version + L", " + L"update now?";
    prompt->caption = kind == kSoftwareUpdate ? L"Software Updates" : L"Firmware Updates";
    prompt->command = kind == kSoftwareUpdate ? kDownloadSoftwareCommand : kDownloadFirmwareCommand;
    return true;
}

UpdateCommand DecideUpdateResult(WPARAM kind, LPARAM newer, const UpdateService& updates,
                                 UpdateConsent& consent) {
    if (newer == 0 || (kind != kSoftwareUpdate && kind != kFirmwareUpdate)) return kNoUpdateCommand;
    const UpdateKind which = static_cast<UpdateKind>(kind);
    UpdatePrompt prompt;
    BuildUpdatePrompt(which, updates.LatestVersion(which), &prompt);
    return consent.AskUser(prompt.text, prompt.caption) == 1 ? prompt.command : kNoUpdateCommand;
}

}  // namespace Corvane
