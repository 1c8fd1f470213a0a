// The update layer's vocabulary toward the main window and the worker: the result
// message it posts, the two kinds of update, and the worker command codes of its work.
#pragma once

#include <windows.h>

namespace Corvane {

// Posted to the main window by a start-up check that found a newer version:
// wParam = UpdateKind, lParam = 1 ("newer"). The version itself stays in UpdateService,
// which the window reads while it handles the message.
inline constexpr UINT kUpdateResultMessage = WM_USER + 668;  // 1692

enum UpdateKind : int {
    kSoftwareUpdate = 1,
    kFirmwareUpdate = 2,
};

// The worker's command codes for the update work; the worker queue carries them as
// they are. kNoUpdateCommand means "queue nothing".
enum UpdateCommand : int {
    kNoUpdateCommand = 0,
    kCheckSoftwareCommand = 5,
    kCheckFirmwareCommand = 6,
    kDownloadSoftwareCommand = 7,
    kDownloadFirmwareCommand = 8,
};

}  // namespace Corvane
