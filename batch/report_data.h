// The report's data block: the JSON the page's script draws everything
// from (the pairs listed with their tiles, each submission once with its
// sources, the groups, what the run was).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "batch/formats.h"

namespace batch {

/// What a report holds at most, so that no input makes it grow without
/// bound (about 64 MB of sources plus 25 MB of tiles and the rows).
struct ReportLimits {
  std::size_t suspected_pairs = 20000;  // suspected pairs listed
  std::size_t pairs_below = 100;        // top pairs below the threshold listed
  std::size_t other_pairs = 200000;     // further pairs above the floor, for the students' pages
  std::size_t source = 1 << 20;         // bytes shown of one source file
  std::size_t all_sources = 64u << 20;  // bytes of all sources shown
  std::size_t pair_tiles = 2000;        // tiles drawn for one pair
  std::size_t all_tiles = 1000000;      // tiles drawn in all
  std::size_t names = 12;               // shared names shown for one pair
  std::size_t name_bytes = 60;          // bytes shown of one name
};

/// A JSON string that can sit inside a <script> element: no '<', '>' or
/// '&' as such, so no "</script>" in a source can end it.
void js_string(std::ostream& out, std::string_view s);

/// The page's data for `run`, written at `written` (a local date and time):
/// the JSON the page is drawn from, and that of the pairs above the floor
/// not listed (read when a student's page is opened).
struct PageData {
  std::string main;
  std::string others;
};
PageData page_data(const Run& run, const ReportLimits& limits, std::string_view written);

}  // namespace batch
