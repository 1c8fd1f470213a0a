#include "feed/SensorRecord.h"

#include <cmath>

namespace Corvane {
namespace {
// The server writes the block from another process: read each field once, in place.
float LoadFloat(const float& field) { return *static_cast<const volatile float*>(&field); }
}  // namespace

bool OpenSensorMapping(HANDLE* handle, const SensorRecord** view) {
    *view = nullptr;
    *handle = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                   kSensorRecordSize, kSensorMappingName);
    if (*handle == nullptr) return false;
    *view = static_cast<const SensorRecord*>(
        ::MapViewOfFile(*handle, FILE_MAP_READ, 0, 0, kSensorRecordSize));
    return *view != nullptr;
}

float LoadCpuTemperature(const SensorRecord* record) { return LoadFloat(record->cpuTemperature); }

bool ReadCpuTemperature(const SensorRecord* record, int* degrees) {
    return CpuDegrees(LoadCpuTemperature(record), degrees);
}

bool CpuDegrees(float value, int* degrees) {
    if (value == 0.0f || !std::isfinite(value)) return false;
    // Huge values saturate rather than overflow the integer conversion.
    if (value >= 2147483520.0f) {
        *degrees = 2147483647;
    } else if (value <= -2147483520.0f) {
        *degrees = -2147483647;
    } else {
        *degrees = static_cast<int>(value);
    }
    return true;
}

bool IsServerPublishing(const SensorRecord* record) {
    const float value = LoadFloat(record->liveness);
    return !(value <= 0.0f);  // NaN compares false: it counts as publishing
}

}  // namespace Corvane
