// What ccsim-batch says on its own behalf: help, version, errors, progress.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace text {

extern const std::string_view kBatchVersion;  // --version

/// The words of --help, option by option.
namespace batch_help {
extern const std::string_view kDescription;
extern const std::string_view kFooter;
extern const std::string_view kHelp;
extern const std::string_view kVersion;
extern const std::string_view kMinMatch;
extern const std::string_view kThreshold;
extern const std::string_view kFloor;
extern const std::string_view kEncoding;
extern const std::string_view kJsonTiles;
extern const std::string_view kAllPairs;
extern const std::string_view kShard;
extern const std::string_view kMerge;
extern const std::string_view kWriteIndex;
extern const std::string_view kCommon;
extern const std::string_view kCommonMin;
extern const std::string_view kNoCommon;
extern const std::string_view kNoNames;
extern const std::string_view kCcsim;
extern const std::string_view kMaxSize;
extern const std::string_view kExtensions;
extern const std::string_view kBase;
extern const std::string_view kOld;
extern const std::string_view kFormat;
extern const std::string_view kTop;
extern const std::string_view kReport;
extern const std::string_view kOpen;
extern const std::string_view kJobs;
extern const std::string_view kQuiet;
extern const std::string_view kPaths;
extern const std::string_view kNoArchives;
}  // namespace batch_help

/// What is wrong with a command line, beyond what the parser says itself.
extern const std::string_view kEmptyValue;
extern const std::string_view kBadShare;
/// "<value>: not a finite number" (nan, inf)
std::string not_finite(std::string_view value);
extern const std::string_view kNoSubmissions;
extern const std::string_view kNothingToCompare;  // every path empty or passed over
extern const std::string_view kBadMaxSize;
extern const std::string_view kBadExtensions;
extern const std::string_view kCcsimFixesMinMatch;
extern const std::string_view kBadShard;
extern const std::string_view kBadEncoding;
extern const std::string_view kFloorAboveThreshold;
extern const std::string_view kMergeTakesNoClass;
extern const std::string_view kShardWritesShards;
extern const std::string_view kOpenNeedsReport;
/// Why an index file cannot be loaded.
extern const std::string_view kNotAnIndex;
extern const std::string_view kIndexOfAnotherVersion;
extern const std::string_view kIndexDamaged;
extern const std::string_view kIndexCutShort;
extern const std::string_view kIndexReadOtherwise;
extern const std::string_view kIndexOfAnotherTokeniser;
extern const std::string_view kWriteIndexAlone;
/// "<path>: no submission to write: nothing was found"
std::string index_of_nothing(std::string_view path);
/// "wrote <count> submission(s) to <path>\n"
std::string index_written(std::size_t count, std::string_view path);
/// Why shard files cannot be joined.
extern const std::string_view kNotAShard;
extern const std::string_view kShardDamaged;
extern const std::string_view kShardOfAnotherRun;
extern const std::string_view kShardTwice;
/// "<missing> of the <total> slices are missing"
std::string shards_missing(std::size_t missing, std::size_t total);
/// "ccsim-batch: <what>\nTry 'ccsim-batch --help'.\n"
std::string batch_usage_error(std::string_view what);
/// "ccsim-batch: <what>\n"
std::string batch_error(std::string_view what);

/// "ccsim-batch: no browser could be started; the report is <path>\n"
std::string report_not_opened(std::string_view path);
/// "ccsim-batch: the report is <path>, opened in the browser\n": where a
/// class dropped on the program had its report written.
std::string report_opened(std::string_view path);
/// "<first name> and the <count - 1> numbered names after it are taken: no
/// report is written over them": no new name is left beside a dropped class.
std::string report_names_taken(std::string_view first, int count);
/// "ccsim-batch: skipped <path>: <reason>\n"
std::string batch_skipped(std::string_view path, std::string_view reason);
/// Why a path was passed over, as batch_skipped() gives it.
extern const std::string_view kCannotBeRead;
extern const std::string_view kNotText;  // too many NUL or control bytes
/// "no source text: its first bytes are those of <what>": a file given a
/// source's name that starts as one of a known kind, `what` one of these.
std::string not_text_by_its_start(std::string_view what);
extern const std::string_view kZipBytes;
extern const std::string_view kOldOfficeBytes;
extern const std::string_view kPdfBytes;
extern const std::string_view kRtfBytes;
extern const std::string_view kProgramBytes;
extern const std::string_view kImageBytes;
extern const std::string_view kCompressedBytes;
extern const std::string_view kDatabaseBytes;
extern const std::string_view kCannotBeListed;
extern const std::string_view kGivenMoreThanOnce;
extern const std::string_view kCannotBeExamined;
extern const std::string_view kDanglingLink;
extern const std::string_view kLinkOutside;
extern const std::string_view kNotARegularFile;
extern const std::string_view kReplacedByLater;  // an archive's member of a name that comes again
/// "an earlier attempt: the latest (<stamp>) is the one compared": a file of
/// a student's earlier attempt in a course platform's export.
std::string earlier_attempt(std::string_view latest);
extern const std::string_view kHoldsNoSource;  // a student's folder or archive
extern const std::string_view kWalkedAlready;
/// "the same text as <path>, counted once": a file of a submission that
/// repeats another of its files byte for byte.
std::string same_text_as(std::string_view path);
/// "larger than the limit (<size> bytes; --max-size <limit>)"
std::string too_large(std::uintmax_t size, std::uintmax_t limit);
/// "an archive larger than the limit (<size> bytes; archives are read up to
/// <limit>)"
std::string archive_too_large(std::uintmax_t size, std::uintmax_t limit);
/// "<path>: is a source being compared; the report is not written over it",
/// or "<path>: is read by this run; ..." for an archive or index given as
/// input; `what` is kTheReport or kTheIndex.
extern const std::string_view kTheReport;
extern const std::string_view kTheIndex;
std::string batch_output_over_input(std::string_view path, bool a_source, std::string_view what);
/// Archives: a member passed over, and an archive refused.
extern const std::string_view kUnsafeArchivePath;
extern const std::string_view kNestedTooDeep;
extern const std::string_view kUnreadableMemberName;
/// "(member <number>)": an archive member shown by its place, its name
/// being unreadable.
std::string member_number(std::size_t number);
extern const std::string_view kNoArchiveSupport;
/// "<path>: cannot be read as an archive: <why>"
std::string batch_bad_archive(std::string_view path, std::string_view why);
/// "cannot be read as an archive: <why>", for an archive inside another.
std::string not_an_archive(std::string_view why);
/// "cannot be read: <why>", for a damaged member of an archive.
std::string cannot_be_read(std::string_view why);
extern const std::string_view kEncrypted;  // a member locked with a password
/// "<path>: refused: unpacks to more than <entries> members or <bytes> bytes"
std::string batch_archive_too_big(std::string_view path, std::size_t entries, std::uintmax_t bytes);
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
/// "ccsim-batch: no source found in <path>\n"
std::string batch_nothing_found(std::string_view path);
/// The one submission of a run is an archive found in a folder: nothing was
/// compared, and how to read it as a class instead.
std::string batch_lone_archive(std::string_view path);
/// Some of the submissions are files of the template too (--base given the
/// class, or a student's file): their code counts for nothing. `names` are
/// the first few of the `count`, as shown.
std::string batch_template_holds_submissions(std::size_t count, std::size_t total,
                                             const std::vector<std::string>& names);
/// Shown before a console window of the program's own closes.
extern const std::string_view kPressAKeyToClose;
/// One progress line, to be redrawn in place (no time left told before the
/// first pair is done).
std::string batch_progress(std::size_t done, std::size_t total, double elapsed, double left);

}  // namespace text
