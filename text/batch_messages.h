// What ccsim-batch says on its own behalf: help, version, errors, progress.
#pragma once

#include <cstdint>
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
extern const std::string_view kCannotBeExamined;
extern const std::string_view kDanglingLink;
extern const std::string_view kLinkOutside;
extern const std::string_view kNotARegularFile;
extern const std::string_view kWalkedAlready;
/// "larger than the limit (<size> bytes; --max-size <limit>)"
std::string too_large(std::uintmax_t size, std::uintmax_t limit);
/// "<path>: not a regular file"
std::string batch_not_a_regular_file(std::string_view path);
/// "<path>: cannot be read"
std::string batch_unreadable(std::string_view path);
/// "out of memory" and a thread that could not be started, as errors.
extern const std::string_view kBatchOutOfMemory;
std::string batch_no_thread(std::string_view why);
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
