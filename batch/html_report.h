// The HTML report: one self-contained file (no network, prints on paper)
// with the summary, every suspected pair and the top ones below them, a
// view per student and the groups; a pair's evidence (both sources, every
// tile marked) is drawn when it is opened, and decisions on pairs are kept
// in the browser.
#pragma once

#include <cstddef>
#include <string>

#include "batch/formats.h"

namespace batch {

/// What a report holds at most, so that no input makes it grow without
/// bound (about 64 MB of sources plus 25 MB of tiles and the rows).
struct ReportLimits {
  std::size_t suspected_pairs = 20000;  // suspected pairs listed
  std::size_t pairs_below = 100;        // top pairs below the threshold listed
  std::size_t source = 1 << 20;         // bytes shown of one source file
  std::size_t all_sources = 64u << 20;  // bytes of all sources shown
  std::size_t pair_tiles = 2000;        // tiles drawn for one pair
  std::size_t all_tiles = 1000000;      // tiles drawn in all
  std::size_t names = 12;               // shared names shown for one pair
  std::size_t name_bytes = 60;          // bytes shown of one name
};

/// The page for `run`.
std::string report_page(const Run& run, const ReportLimits& limits);

/// Writes the report to `path`; false, with `error` set, if it cannot.
bool write_report(const std::string& path, const Run& run, std::string* error);

}  // namespace batch
