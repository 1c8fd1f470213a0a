// HidClass: the four functions of the system HID library that the probe uses, loaded
// from hid.dll by name at run time. The probe takes the table as a parameter: under
// test a table of stand-ins can answer for a device that the machine does not have.
#pragma once

#include <windows.h>
#include <hidsdi.h>

namespace Corvane {

struct HidClassFunctions {
    BOOLEAN(NTAPI* GetAttributes)(HANDLE device, PHIDD_ATTRIBUTES attributes);
    BOOLEAN(NTAPI* GetPreparsedData)(HANDLE device, PHIDP_PREPARSED_DATA* data);
    BOOLEAN(NTAPI* FreePreparsedData)(PHIDP_PREPARSED_DATA data);
    NTSTATUS(NTAPI* GetCaps)(PHIDP_PREPARSED_DATA data, PHIDP_CAPS caps);
};

// hid.dll's functions, loaded on first use; all null when the library is missing.
const HidClassFunctions& SystemHidClass();

}  // namespace Corvane
