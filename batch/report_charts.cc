// histogram(): bars, axes and their words as SVG elements.
#include "batch/report_charts.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "text/batch_results.h"

namespace batch {
namespace {

constexpr int kBins = 20;
constexpr double kLeft = 48;    // the x axis' 0
constexpr double kWidth = 400;  // from 0 to 1
constexpr double kBase = 130;   // the y axis' 0
constexpr double kTall = 112;   // the highest bar

// The x axis' words at tick t of ten: 0, 0.1 ... 0.9, 1.
std::string tick_label(int t) { return t == 0 ? "0" : t == 10 ? "1" : "0." + std::to_string(t); }

double bar_height(std::uint64_t count, std::uint64_t top) {
  return kTall * std::sqrt(static_cast<double>(count) / static_cast<double>(top));
}

}  // namespace

std::vector<std::uint64_t> count_ticks(std::uint64_t top, double height, double gap) {
  std::vector<std::uint64_t> round;
  for (std::uint64_t power = 1; power <= top; power *= 10) {
    for (std::uint64_t step : {1, 2, 5})
      if (step * power <= top) round.push_back(step * power);
    if (power > top / 10) break;
  }
  std::vector<std::uint64_t> ticks;
  double last = -1;  // height of the last tick kept, from the top down
  for (auto at = round.rbegin(); at != round.rend(); ++at) {
    const double h = height * std::sqrt(static_cast<double>(*at) / static_cast<double>(top));
    if (last >= 0 && last - h < gap) continue;
    if (h < gap) break;  // too close to 0
    ticks.push_back(*at);
    last = h;
  }
  ticks.push_back(0);
  return ticks;
}

std::string histogram(const std::vector<double>& values, const Histogram& how) {
  std::vector<std::uint64_t> bins(kBins, 0);
  for (double v : values)
    ++bins[static_cast<std::size_t>(std::clamp(static_cast<int>(v * kBins), 0, kBins - 1))];
  const std::uint64_t top = std::max<std::uint64_t>(1, *std::max_element(bins.begin(), bins.end()));
  std::ostringstream svg;
  svg << "<figure class=\"hist\"><svg viewBox=\"0 0 470 172\" role=\"img\" aria-label=\""
      << how.label << "\">";
  // Under the floor nothing is charted: shaded, and said in the caption.
  if (how.floor_on_axis && how.floor > 0) {
    const double w = std::min(1.0, how.floor) * kWidth;
    svg << "<rect class=\"unscored\" x=\"" << kLeft << "\" y=\"" << kBase - kTall << "\" width=\""
        << w << "\" height=\"" << kTall << "\"/><text class=\"unscored-label\" x=\""
        << kLeft + w / 2 << "\" y=\"" << kBase - kTall / 2 << "\" text-anchor=\"middle\">"
        << text::kHistogramUncharted << "</text>";
  }
  svg << "<line class=\"axis\" x1=\"" << kLeft << "\" x2=\"" << kLeft << "\" y1=\""
      << kBase - kTall - 4 << "\" y2=\"" << kBase << "\"/><line class=\"axis\" x1=\"" << kLeft
      << "\" x2=\"" << kLeft + kWidth << "\" y1=\"" << kBase << "\" y2=\"" << kBase << "\"/>";
  for (std::uint64_t tick : count_ticks(top, kTall, 13)) {
    const double y = kBase - bar_height(tick, top);
    svg << "<line class=\"axis\" x1=\"" << kLeft - 4 << "\" x2=\"" << kLeft << "\" y1=\"" << y
        << "\" y2=\"" << y << "\"/><text x=\"" << kLeft - 6 << "\" y=\"" << y + 3.5
        << "\" text-anchor=\"end\">" << tick << "</text>";
  }
  for (int b = 0; b < kBins; ++b) {
    if (bins[b] == 0) continue;
    const double h = std::max(1.0, bar_height(bins[b], top));
    const bool over = how.threshold >= 0 && (b + 1) * 1.0 / kBins > how.threshold;
    svg << "<rect" << (over ? " class=\"over\"" : "") << " x=\"" << kLeft + b * kWidth / kBins + 1
        << "\" y=\"" << kBase - h << "\" width=\"" << kWidth / kBins - 2 << "\" height=\"" << h
        << "\"><title>" << text::histogram_bin(b * 5, b * 5 + 5, bins[b]) << "</title></rect>";
  }
  for (int t = 0; t <= 10; ++t) {
    const double x = kLeft + t * kWidth / 10;
    svg << "<line class=\"axis\" x1=\"" << x << "\" x2=\"" << x << "\" y1=\"" << kBase << "\" y2=\""
        << kBase + 4 << "\"/><text x=\"" << x << "\" y=\"" << kBase + 15
        << "\" text-anchor=\"middle\">" << tick_label(t) << "</text>";
  }
  if (how.threshold >= 0) {
    const double x = kLeft + std::min(1.0, how.threshold) * kWidth;
    const bool right = how.threshold > 0.75;  // its words go left of the line near the end
    svg << "<line class=\"mark\" x1=\"" << x << "\" x2=\"" << x << "\" y1=\"" << kBase - kTall - 6
        << "\" y2=\"" << kBase << "\"/><text class=\"mark-label\" x=\"" << (right ? x - 4 : x + 4)
        << "\" y=\"" << kBase - kTall + 4 << "\" text-anchor=\"" << (right ? "end" : "start")
        << "\">" << text::histogram_threshold(how.threshold) << "</text>";
  }
  svg << "<text x=\"" << kLeft << "\" y=\"" << kBase + 32 << "\">" << text::kHistogramAxis
      << "</text></svg><figcaption>" << how.label;
  if (how.below > 0) svg << "<br>" << text::histogram_below(how.floor, how.below);
  svg << "</figcaption></figure>";
  return svg.str();
}

}  // namespace batch
