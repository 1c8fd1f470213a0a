#include "device/Temperature.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Corvane {

int ShownTemperature(int celsius, bool fahrenheit) {
    double value = celsius;
    if (fahrenheit) value = celsius * 1.8 + 32.0;
    // Clamped before the conversion to int, so huge readings cannot overflow it.
    if (value >= kMaxShownTemperature) return kMaxShownTemperature;
    if (value <= 0.0) return 0;
    return static_cast<int>(value);  // truncates toward zero
}

double WrittenValue(float value) {
    if (!std::isfinite(value)) return value;
    // A float needs at most 9 significant digits to read back exactly.
    char text[32];
    for (int digits = 1; digits < 9; ++digits) {
        std::snprintf(text, sizeof(text), "%.*g", digits, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value) return std::strtod(text, nullptr);
    }
    return value;
}

}  // namespace Corvane
