// The temperature a display and the window show, and the CPU reading as the trace
// line prints it.
#pragma once

namespace Corvane {

// The highest value the three digits show.
inline constexpr int kMaxShownTemperature = 199;

// A reading in whole degrees Celsius in the chosen unit: Fahrenheit is computed from
// the whole Celsius degrees (c * 1.8 + 32 in double precision, truncated toward zero:
// 45 gives 113, 46 gives 114). The result is clamped to 0 ... 199, the range that the
// display's digits can show.
int ShownTemperature(int celsius, bool fahrenheit);

// The shortest decimal that reads back as the same float, as a double: the value the
// sensor server wrote. "%f" of 45.9f promoted directly prints 45.900002; of this,
// 45.900000.
double WrittenValue(float value);

}  // namespace Corvane
