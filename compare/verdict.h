// The similarity figure and the verdict against the 0.8 threshold.
#pragma once

#include "platform/console.h"

namespace compare {

/// 2 x matched / (lena + lenb), rounded to single precision; not a number
/// when both lengths are 0.
float similarity(long long matched, long long lena, long long lenb);

/// Prints the threshold note and the verdict: suspected when n >= 0.8
/// (compared in double precision), not suspected otherwise or for NaN.
/// Returns 0.
int copy(float n, platform::Console& console);

}  // namespace compare
