// The HTML report: one self-contained file (no network, prints on paper)
// with the summary, a sortable table of pairs, and for the suspected and
// top pairs both sources side by side with every tile marked.
#pragma once

#include <string>

#include "batch/formats.h"

namespace batch {

/// Writes the report to `path`; false, with `error` set, if it cannot.
bool write_report(const std::string& path, const Run& run, std::string* error);

}  // namespace batch
