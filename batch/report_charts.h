// The report's histograms: inline SVG drawn by the program, so that the
// summary shows before the page's script has run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace batch {

struct Histogram {
  std::string_view label;     // the caption, and the chart's name for a screen reader
  double threshold = -1;      // marked when >= 0
  double floor = 0;           // no pair below it is charted
  bool floor_on_axis = true;  // the axis is the score's: the stretch under the floor is shaded
  std::uint64_t below = 0;    // pairs under the floor, said in words
};

/// `values` (each in [0, 1]) in twenty bins of 0.05 on an axis from 0 to 1
/// with ticks every 0.1, heights on a square-root scale with round counts
/// on the axis, the bins at or above the threshold darker, the threshold
/// drawn and named, the stretch under the floor shaded.
std::string histogram(const std::vector<double>& values, const Histogram& how);

/// Round counts (1, 2, 5 times a power of ten) up to `top`, and 0, that
/// stand at least `gap` apart on a square-root axis `height` tall.
std::vector<std::uint64_t> count_ticks(std::uint64_t top, double height, double gap);

}  // namespace batch
