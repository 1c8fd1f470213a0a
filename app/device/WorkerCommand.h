// WorkerCommand: the codes of the worker's command queue. A code that is not listed is
// removed from the queue and ignored.
#pragma once

#include <cstdint>

namespace Corvane {

enum WorkerCommand : uint32_t {
    kConnectDisplay = 1,          // reopen the displays, map the sensor record if needed
    kCheckSoftwareAtStart = 5,    // software version check, silent when up to date
    kCheckFirmwareAtStart = 6,    // firmware version check, silent when up to date
    kDownloadSoftwareUpdate = 7,  // download and start the software update
    kDownloadFirmwareUpdate = 8,  // download and start the firmware update
};

}  // namespace Corvane
