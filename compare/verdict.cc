// similarity() and copy().
#include "compare/verdict.h"

#include "text/messages.h"

namespace compare {

float similarity(long long matched, long long lena, long long lenb) {
  // Rounding the double quotient to float gives the correctly rounded
  // single-precision quotient: double carries more than twice float's bits.
  return static_cast<float>(2.0 * static_cast<double>(matched) / static_cast<double>(lena + lenb));
}

int copy(float n, platform::Console& console) {
  console.write(text::kThresholdNote);
  console.write(static_cast<double>(n) >= 0.8 ? text::kSuspected : text::kNotSuspected);
  return 0;
}

}  // namespace compare
