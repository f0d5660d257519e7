// Numbers, currency and dates as the platform's US English texts (locale 1033).
#pragma once

#include <cstdint>

#include "core/variant.h"

namespace brivet::detail {

// Like the C library's %.<precision>G, with the exponent as E+nn.
Text RealText(double v, int precision);
// A currency value (value * 10000) with up to four decimals.
Text CurrencyText(int64_t scaled);
// "M/d/yyyy h:mm:ss tt"; the date alone when the time is zero and the time
// alone when the day is zero.
Text DateText(double date);

}  // namespace brivet::detail
