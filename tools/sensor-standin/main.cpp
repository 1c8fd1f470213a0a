// SentrelServer.exe stand-in: publishes the sensor record "vorlin_hardware_mapfile"
// (584 bytes) the way the real sensor server does, so the program's whole feed runs
// without sensor hardware.
//
// With SENSOR_STANDIN_FILE set, it re-reads that file every 200 ms (SENSOR_STANDIN_PERIOD_MS
// sets another period, 1 to 1000 ms): "cpu=<float>" and "alive=<float>" on separate lines;
// a missing key keeps its last value ("nan" and "inf" are accepted). Without it, it writes
// a slow synthetic CPU curve and liveness 1.
// It runs until it is terminated.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "feed/SensorRecord.h"

namespace {

struct Values {
    float cpu = 0.0f;
    float alive = 0.0f;
};

// Applies the keys present in the file; false when the file cannot be read.
bool ReadValuesFile(const wchar_t* path, Values* values) {
    FILE* file = ::_wfopen(path, L"rb");
    if (file == nullptr) return false;
    char line[128];
    while (std::fgets(line, sizeof(line), file) != nullptr) {
        float* target = nullptr;
        const char* text = nullptr;
        if (std::strncmp(line, "cpu=", 4) == 0) {
            target = &values->cpu;
            text = line + 4;
        } else if (std::strncmp(line, "alive=", 6) == 0) {
            target = &values->alive;
            text = line + 6;
        }
        if (target != nullptr) *target = std::strtof(text, nullptr);
    }
    std::fclose(file);
    return true;
}

void Store(volatile float* field, float value) { *field = value; }

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    HANDLE mapping = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                          Corvane::kSensorRecordSize, Corvane::kSensorMappingName);
    if (mapping == nullptr) return 1;
    auto* record = static_cast<Corvane::SensorRecord*>(
        ::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, Corvane::kSensorRecordSize));
    if (record == nullptr) return 1;
    std::strcpy(record->adapterAName, "Stand-in Graphics A");
    record->adapterBName[0] = '\0';

    wchar_t path[MAX_PATH] = {};
    const bool fromFile =
        ::GetEnvironmentVariableW(L"SENSOR_STANDIN_FILE", path, MAX_PATH) > 0;
    DWORD periodMs = 200;
    wchar_t period[16] = {};
    if (::GetEnvironmentVariableW(L"SENSOR_STANDIN_PERIOD_MS", period, 16) > 0) {
        const long value = std::wcstol(period, nullptr, 10);
        if (value >= 1 && value <= 1000) periodMs = static_cast<DWORD>(value);
    }
    Values values;
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        if (fromFile) {
            ReadValuesFile(path, &values);
        } else {
            const double t = static_cast<double>(::GetTickCount64() - start) / 1000.0;
            values.cpu = static_cast<float>(45.0 + 12.0 * std::sin(t / 20.0));
            values.alive = 1.0f;
        }
        Store(&record->cpuTemperature, values.cpu);
        Store(&record->adapterATemperature, values.cpu - 5.0f);
        Store(&record->liveness, values.alive);
        ::Sleep(periodMs);
    }
}
