// The HTML report: one self-contained file (no network, prints on paper)
// with the summary, every suspected pair and the top ones below them, a
// view per student and the groups; a pair's evidence (both sources, every
// tile marked) is drawn when it is opened, and decisions on pairs are kept
// in the browser.
#pragma once

#include <cstddef>
#include <string>

#include "batch/formats.h"
#include "batch/report_data.h"

namespace batch {

/// The page for `run`.
std::string report_page(const Run& run, const ReportLimits& limits);

/// Writes the report to `path`; false, with `error` set, if it cannot.
bool write_report(const std::string& path, const Run& run, std::string* error);

}  // namespace batch
