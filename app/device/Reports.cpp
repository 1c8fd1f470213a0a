#include "device/Reports.h"

#include <cstring>

namespace Corvane {

TemperatureReport BuildTemperatureReport(int shown) {
    TemperatureReport report;
    std::memset(report.bytes, 0, sizeof(report.bytes));
    report.bytes[0] = kDisplayReportId;
    report.bytes[1] = 0xFF;
    report.bytes[2] = 0xFF;
    report.bytes[3] = static_cast<uint8_t>((shown / 100) % 10);
    report.bytes[4] = static_cast<uint8_t>((shown / 10) % 10);
    report.bytes[5] = static_cast<uint8_t>(shown - (shown / 10) * 10);
    return report;
}

FirmwareVersionRequest BuildFirmwareVersionRequest() {
    FirmwareVersionRequest request;
    std::memset(request.bytes, 0, sizeof(request.bytes));
    request.bytes[0] = kDisplayReportId;
    request.bytes[1] = 0xFD;
    return request;
}

}  // namespace Corvane
