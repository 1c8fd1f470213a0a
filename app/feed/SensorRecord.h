// The sensor server's shared record: a 584-byte named block in the paging file that
// the server writes and the program only reads, in place, without a lock. Each float
// is read with one aligned 4-byte load, so a value is never torn.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace Corvane {

inline constexpr char kSensorMappingName[] = "vorlin_hardware_mapfile";
inline constexpr DWORD kSensorRecordSize = 584;

struct SensorRecord {
    uint8_t notRead0[152];
    float cpuTemperature;  // degrees Celsius; exactly 0.0 means no reading yet
    float liveness;        // above zero while the server publishes
    char adapterAName[136];
    float adapterATemperature;
    uint8_t notRead1[4];
    char adapterBName[136];
    float adapterBTemperature;
    uint8_t notRead2[140];
};

static_assert(sizeof(SensorRecord) == kSensorRecordSize, "the record is 584 bytes");
static_assert(offsetof(SensorRecord, cpuTemperature) == 152, "CPU temperature at 152");
static_assert(offsetof(SensorRecord, liveness) == 156, "liveness at 156");
static_assert(offsetof(SensorRecord, adapterAName) == 160, "adapter A name at 160");
static_assert(offsetof(SensorRecord, adapterATemperature) == 296, "adapter A temperature at 296");
static_assert(offsetof(SensorRecord, adapterBName) == 304, "adapter B name at 304");
static_assert(offsetof(SensorRecord, adapterBTemperature) == 440, "adapter B temperature at 440");

// Creates or opens the block and maps a read-only view of it. True when a view was
// mapped. The program never unmaps it: the system releases it when the process ends.
bool OpenSensorMapping(HANDLE* handle, const SensorRecord** view);

// The CPU temperature in whole degrees Celsius, truncated toward zero (45.9 gives 45,
// -3.7 gives -3). False when there is no reading: exactly 0.0, or a value that is not
// a number or infinite (a display cannot show those).
bool ReadCpuTemperature(const SensorRecord* record, int* degrees);

// The same rule for a value already loaded from the record.
bool CpuDegrees(float value, int* degrees);

// The CPU temperature as the record holds it (one 4-byte load).
float LoadCpuTemperature(const SensorRecord* record);

// True while the server publishes: liveness above zero, or not a number.
bool IsServerPublishing(const SensorRecord* record);

}  // namespace Corvane
