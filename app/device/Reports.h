// The two feature reports that the program exchanges with a display, byte for byte.
//   TemperatureReport        65 bytes: 07 FF FF <hundreds> <tens> <units> 00 ...
//   FirmwareVersionRequest   64 bytes: 07 FD 00 ...; the reply carries the version in
//                            bytes 1 (high) and 2 (low) behind its report id 07.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Corvane {

inline constexpr uint8_t kDisplayReportId = 0x07;
inline constexpr size_t kTemperatureReportSize = 65;
inline constexpr size_t kFirmwareReportSize = 64;

struct TemperatureReport {
    uint8_t bytes[kTemperatureReportSize];
};

struct FirmwareVersionRequest {
    uint8_t bytes[kFirmwareReportSize];
};

// shown is 0 ... 199 (see ShownTemperature); the digits are binary 0 ... 9.
TemperatureReport BuildTemperatureReport(int shown);

FirmwareVersionRequest BuildFirmwareVersionRequest();

}  // namespace Corvane
