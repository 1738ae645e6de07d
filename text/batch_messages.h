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
/// Why a path was passed over, as batch_skipped() gives it.
extern const std::string_view kCannotBeRead;
extern const std::string_view kCannotBeListed;
extern const std::string_view kGivenMoreThanOnce;
/// "<path>: no such file or directory"
std::string batch_no_such_path(std::string_view path);
/// "<path>: cannot be written"; kStandardOutput names standard output.
std::string batch_unwritable(std::string_view path);
extern const std::string_view kStandardOutput;
/// "<path>: cannot be listed: <why>"
std::string batch_unlistable(std::string_view path, std::string_view why);
/// "ccsim-batch: no C source found in <path>\n"
std::string batch_nothing_found(std::string_view path);
/// One progress line, to be redrawn in place.
std::string batch_progress(std::size_t done, std::size_t total, double elapsed, double left);

}  // namespace text
