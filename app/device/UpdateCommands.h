// UpdateCommands: the worker commands 5 to 8 that the update subsystem carries out. The
// main window implements them; the worker calls them on its own thread, one per pass.
// A long command checks stop (StopSignal::Wait or Requested) so that a stop of the
// worker does not wait out a download.
#pragma once

#include "device/StopSignal.h"

namespace Corvane {

class UpdateCommands {
public:
    virtual void CheckSoftwareAtStart(const StopSignal& stop) = 0;    // code 5
    virtual void CheckFirmwareAtStart(const StopSignal& stop) = 0;    // code 6
    virtual void DownloadSoftwareUpdate(const StopSignal& stop) = 0;  // code 7
    virtual void DownloadFirmwareUpdate(const StopSignal& stop) = 0;  // code 8

protected:
    ~UpdateCommands() = default;
};

}  // namespace Corvane
