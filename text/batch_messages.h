// What ccsim-batch says on its own behalf: help, version, errors, progress.
#pragma once

#include <string>
#include <string_view>

namespace text {

extern const std::string_view kBatchUsage;    // --help
extern const std::string_view kBatchVersion;  // --version
/// "ccsim-batch: <what>\nTry 'ccsim-batch --help'.\n"
std::string batch_usage_error(std::string_view what);
/// "ccsim-batch: <what>\n"
std::string batch_error(std::string_view what);
/// "ccsim-batch: skipped <path>: <reason>\n"
std::string batch_skipped(std::string_view path, std::string_view reason);
/// One progress line, to be redrawn in place.
std::string batch_progress(std::size_t done, std::size_t total, double elapsed, double left);

}  // namespace text
