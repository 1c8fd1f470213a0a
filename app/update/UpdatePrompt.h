// The update prompt: its text and caption for a check's result, and the decision the
// main window's WM_UPDATE_RESULT handler makes with the user's answer.
#pragma once

#include <windows.h>

#include <string>

#include "update/UpdateMessages.h"

namespace Corvane {

class UpdateService;

struct UpdatePrompt {
    std::wstring text;     // "Detected the latest version:v<version>, update now?"
    std::wstring caption;  // "Software Updates" / "Firmware Updates"
    UpdateCommand command;  // queued on consent
};

// The prompt of kind for version; false for a kind that is neither software nor firmware.
bool BuildUpdatePrompt(int kind, const std::wstring& version, UpdatePrompt* prompt);

// Asks the user; the window implements it with its message box (YES and NO buttons).
class UpdateConsent {
public:
    virtual ~UpdateConsent() = default;
    // The box's result: 1 for YES, anything else is refusal.
    virtual int AskUser(const std::wstring& text, const std::wstring& caption) = 0;
};

// The work of the WM_UPDATE_RESULT handler (window thread): for a nonzero newer and a
// known kind, asks about the latest version of that kind and returns the command to
// queue on consent; kNoUpdateCommand otherwise (nothing is asked for newer 0 or an
// unknown kind). The handler itself returns 0.
UpdateCommand DecideUpdateResult(WPARAM kind, LPARAM newer, const UpdateService& updates,
                                 UpdateConsent& consent);

}  // namespace Corvane
