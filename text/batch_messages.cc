// ccsim-batch's own texts (plain ASCII).
#include "text/batch_messages.h"

#include <cstdio>

#include "text/batch_results.h"

namespace text {

namespace batch_help {
const std::string_view kDescription =
    "Ranks every pair of C and C++ submissions by how much of them lies in shared\n"
    "runs of normalised tokens, the way ccsim compares two files, leaving out code\n"
    "that much of the class has in common.\n"
    "\n"
    "A file PATH is one submission. In a directory PATH, each source file is one\n"
    "submission and each subdirectory is one, made of all its source files; so is\n"
    "each archive, one student's work. An archive PATH is read as a directory is.\n"
    "A course platform's export (Moodle, Blackboard) gives one submission per student.";
const std::string_view kFooter =
    "Scores, after template and common code are taken out: code = matched /\n"
    "max(sqrt(length1 x length2), 100); names = how far the two share rare\n"
    "identifiers, string literals and comment words (0 to 1); score = code + names x\n"
    "code x (1 - code), which ranks and flags; coverage = matched / shorter length;\n"
    "similarity = 2 x matched / (sum of lengths).\n"
    "Exit status: 0 no pair suspected, 1 some pair suspected, 2 usage or input error or a\n"
    "run that could not finish; with --shard, 0 when the shard file is written (--merge\n"
    "gives the verdict).";
const std::string_view kHelp = "show this help and exit";
const std::string_view kVersion = "show the version and exit";
const std::string_view kMinMatch =
    "count runs longer than N token-string characters (default 16; ccsim itself uses 3)";
const std::string_view kThreshold = "a score at or above T is suspected (default 0.7)";
const std::string_view kEncoding =
    "how the report shows the sources' text: auto (UTF-8, else GB18030; the default), utf-8, "
    "gb18030 (or gbk), latin1";
const std::string_view kJsonTiles =
    "which pairs' tiles JSON lists: suspected (the default), all, none";
const std::string_view kFloor =
    "pairs scoring below F are only counted: they are not tiled when the index shows they "
    "cannot reach it, nor listed (default: two thirds of the threshold)";
const std::string_view kAllPairs =
    "tile every pair and list them all, whatever their score (slower: every pair of the class)";
const std::string_view kShard =
    "compute slice I of N of the pairs (1 <= I <= N), to be joined by --merge; every slice "
    "reads the whole class";
const std::string_view kMerge =
    "join the shard files of all slices of a run (written by --shard) into the output of the "
    "whole run, in the --format asked for";
const std::string_view kWriteIndex =
    "write the submissions under PATH... to an index FILE for later runs' --old, and stop";
const std::string_view kCommon =
    "code found in at least this share of the submissions (and in at least --common-min "
    "of them) counts for nothing (default 0.2)";
const std::string_view kCommonMin = "... and in at least N submissions (default 10)";
const std::string_view kNoCommon = "keep code common to the class";
const std::string_view kNoNames =
    "score by code alone: identifiers, string literals and comment words two submissions "
    "share raise nothing";
const std::string_view kCcsim =
    "compare as ccsim does (runs over 3 characters, text up to a 0x1A byte, nothing common "
    "left out, no names weighed): the similarity column is then ccsim's figure";
const std::string_view kMaxSize =
    "sources larger than this are passed over and listed (bytes, or with K, M, G or T in "
    "either case, up to 1T; default 10M)";
const std::string_view kExtensions =
    "the file extensions that are sources, comma-separated, in any case (default "
    "c,h,cpp,cc,cxx,hpp,hh,hxx)";
const std::string_view kBase =
    "template code given to the students (file or directory, repeatable): tiled out of "
    "every submission first";
const std::string_view kOld =
    "earlier submissions (repeatable): compared with every new submission, never among "
    "themselves; a folder, file, archive or an index file made by --write-index";
const std::string_view kFormat = "table (default), csv or json, on standard output";
const std::string_view kTop = "pairs shown in the table (default 50)";
const std::string_view kReport =
    "also write a self-contained HTML report with the evidence to FILE";
const std::string_view kOpen =
    "open the report in the default browser once it is written (where none can be started, "
    "say where the report is)";
const std::string_view kJobs = "threads (default: all cores)";
const std::string_view kQuiet = "no progress line";
const std::string_view kPaths =
    "the submissions: files, directories and archives (.zip, .7z, .rar, .tar, .tar.gz, .tgz, "
    ".tar.bz2, .tar.xz)";
const std::string_view kNoArchives =
    "This build reads no archives (it was built without libarchive): unpack them first.\n";
}  // namespace batch_help

const std::string_view kEmptyValue = "an empty value";
const std::string_view kBadShare = "a share of the class above 0 and up to 1";

std::string not_finite(std::string_view value) {
  return std::string(value) + ": not a finite number";
}

const std::string_view kNoSubmissions = "no submissions given";
const std::string_view kNothingToCompare =
    "no submission was found to compare: nothing was compared";
const std::string_view kBadMaxSize =
    "--max-size takes a size from 1 byte up to 1T (bytes, or with K, M, G or T)";
const std::string_view kBadExtensions =
    "--extensions takes file extensions separated by commas, such as c,h,cpp";
const std::string_view kCcsimFixesMinMatch =
    "--ccsim compares as ccsim does: runs over 3 characters";
const std::string_view kBadEncoding = "--encoding takes auto, utf-8, gb18030, gbk or latin1";
const std::string_view kBadShard = "--shard takes I/N: slice I of N, 1 <= I <= N <= 100000";
const std::string_view kFloorAboveThreshold = "--floor must not be above --threshold";
const std::string_view kMergeTakesNoClass =
    "--merge joins shard files: only --format, --top and --quiet go with it (no class: the "
    "shards hold what it needs; no report: that needs the sources)";
const std::string_view kOpenNeedsReport = "--open opens the report: give it with --report FILE.html";
const std::string_view kShardWritesShards =
    "--shard writes a shard file for --merge: --format and --report do not go with it";
const std::string_view kNotAnIndex = "not an index file of ccsim-batch";
const std::string_view kIndexOfAnotherVersion =
    "an index file of another version of ccsim-batch: write it again with --write-index";
const std::string_view kIndexDamaged = "damaged or cut short (its checksum does not match)";
const std::string_view kIndexCutShort =
    "damaged or cut short (shorter than any index file: write it again with --write-index)";
const std::string_view kIndexReadOtherwise =
    "written with another way of reading sources (--ccsim or not): write it again";
const std::string_view kIndexOfAnotherTokeniser =
    "its sources no longer give its token strings: write it again with --write-index";
const std::string_view kWriteIndexAlone =
    "--write-index FILE PATH... writes the submissions under PATH to FILE: only --extensions, "
    "--max-size, --ccsim and --quiet go with it";

std::string index_of_nothing(std::string_view path) {
  return std::string(path) + ": no submission to write: nothing was found";
}

std::string index_written(std::size_t count, std::string_view path) {
  return "ccsim-batch: wrote " + counted(count, "submission", "submissions") + " to " +
         std::string(path) + "\n";
}

const std::string_view kNotAShard = "not a shard file of ccsim-batch (or of another version)";
const std::string_view kShardDamaged = "damaged or cut short";
const std::string_view kShardOfAnotherRun =
    "a slice of another run (another class, other options or another number of slices)";
const std::string_view kShardTwice = "a slice already given";

std::string shards_missing(std::size_t missing, std::size_t total) {
  return std::to_string(missing) + " of the " + std::to_string(total) + " slices are missing";
}

const std::string_view kBatchVersion = "ccsim-batch 1.0.0\n";

std::string batch_usage_error(std::string_view what) {
  return "ccsim-batch: " + std::string(what) + "\nTry 'ccsim-batch --help'.\n";
}

std::string report_not_opened(std::string_view path) {
  return "ccsim-batch: no browser could be started; the report is " + std::string(path) + "\n";
}

std::string report_opened(std::string_view path) {
  return "ccsim-batch: the report is " + std::string(path) + ", opened in the browser\n";
}

std::string report_names_taken(std::string_view first, int count) {
  return std::string(first) + " and the " + std::to_string(count - 1) +
         " numbered names after it are taken: no report is written over them";
}

std::string batch_error(std::string_view what) {
  return "ccsim-batch: " + std::string(what) + "\n";
}

std::string batch_skipped(std::string_view path, std::string_view reason) {
  return "ccsim-batch: skipped " + std::string(path) + ": " + std::string(reason) + "\n";
}

const std::string_view kCannotBeRead = "cannot be read";
const std::string_view kNotText =
    "no source text: too many NUL or control bytes (a program or a document named as a "
    "source?)";
std::string not_text_by_its_start(std::string_view what) {
  return "no source text: its first bytes are those of " + std::string(what);
}
const std::string_view kZipBytes = "a zip archive (as Word, Excel and PowerPoint files are)";
const std::string_view kOldOfficeBytes = "an old Word, Excel or PowerPoint document";
const std::string_view kPdfBytes = "a PDF document";
const std::string_view kRtfBytes = "an RTF document";
const std::string_view kProgramBytes = "a program";
const std::string_view kImageBytes = "an image";
const std::string_view kCompressedBytes = "a compressed file";
const std::string_view kDatabaseBytes = "a database";
const std::string_view kCannotBeListed = "cannot be listed";
const std::string_view kGivenMoreThanOnce = "given more than once";
const std::string_view kCannotBeExamined = "cannot be examined";
const std::string_view kDanglingLink = "a link that leads nowhere, or round in a loop";
const std::string_view kLinkOutside = "a link to a place outside the path given";
const std::string_view kNotARegularFile = "not a regular file (a FIFO, socket or device)";
const std::string_view kWalkedAlready = "a link to a folder already taken";
const std::string_view kReplacedByLater =
    "an earlier member of the same name: the last one is the file, as unpacking leaves it";
std::string earlier_attempt(std::string_view latest) {
  return "an earlier attempt: the latest (" + std::string(latest) + ") is the one compared";
}
const std::string_view kHoldsNoSource = "holds no source file (--extensions says which are)";

std::string same_text_as(std::string_view path) {
  return "the same text as " + std::string(path) + ", counted once";
}

std::string too_large(std::uintmax_t size, std::uintmax_t limit) {
  return "larger than the limit (" + std::to_string(size) + " bytes; --max-size " +
         std::to_string(limit) + ")";
}

std::string archive_too_large(std::uintmax_t size, std::uintmax_t limit) {
  return "an archive larger than the limit (" + std::to_string(size) +
         " bytes; archives are read up to " + std::to_string(limit) + ")";
}

const std::string_view kTheReport = "the report";
const std::string_view kTheIndex = "the index";

std::string batch_output_over_input(std::string_view path, bool a_source, std::string_view what) {
  return std::string(path) +
         (a_source ? ": is a source being compared; " : ": is read by this run; ") +
         std::string(what) + " is not written over it";
}

const std::string_view kUnsafeArchivePath =
    "a path that climbs out of the archive (absolute or with ..)";
const std::string_view kNestedTooDeep = "an archive nested too deep";
const std::string_view kUnreadableMemberName =
    "its name cannot be read (it is not in the encoding its archive says)";

std::string member_number(std::size_t number) { return "(member " + std::to_string(number) + ")"; }
const std::string_view kNoArchiveSupport = "this build reads no archives (no libarchive)";

std::string not_an_archive(std::string_view why) {
  return "cannot be read as an archive: " + std::string(why);
}

std::string batch_bad_archive(std::string_view path, std::string_view why) {
  return std::string(path) + ": " + not_an_archive(why);
}

std::string cannot_be_read(std::string_view why) { return "cannot be read: " + std::string(why); }

const std::string_view kEncrypted = "locked with a password: cannot be read";

std::string batch_archive_too_big(std::string_view path, std::size_t entries,
                                  std::uintmax_t bytes) {
  return std::string(path) + ": refused: unpacks to more than " + std::to_string(entries) +
         " members or " + std::to_string(bytes) + " bytes";
}

std::string batch_not_a_regular_file(std::string_view path) {
  return std::string(path) + ": not a regular file";
}

std::string batch_unreadable(std::string_view path) {
  return std::string(path) + ": " + std::string(kCannotBeRead);
}

const std::string_view kBatchOutOfMemory = "out of memory";

const std::string_view kPressAKeyToClose = "Press any key to close this window.";

std::string batch_no_thread(std::string_view why) {
  return "a thread could not be started: " + std::string(why);
}

std::string batch_no_such_path(std::string_view path) {
  return std::string(path) + ": no such file or directory";
}

const std::string_view kStandardOutput = "standard output";

std::string batch_unwritable(std::string_view path) {
  return std::string(path) + ": cannot be written";
}

std::string batch_unlistable(std::string_view path, std::string_view why) {
  return std::string(path) + ": " + std::string(kCannotBeListed) + ": " + std::string(why);
}

std::string batch_nothing_found(std::string_view path) {
  return "ccsim-batch: no source found in " + std::string(path) + "\n";
}

std::string batch_lone_archive(std::string_view path) {
  const std::string p(path);
  return "ccsim-batch: the one submission found is " + p +
         ", an archive in a folder, read as one student's work: nothing was compared (to read a "
         "class's archive as the class, name it: ccsim-batch " +
         p + ")\n";
}

std::string batch_template_holds_submissions(std::size_t count, std::size_t total,
                                             const std::vector<std::string>& names) {
  std::string listed;
  for (const std::string& name : names) listed += (listed.empty() ? "" : ", ") + name;
  if (names.size() < count) listed += ", ...";
  return "ccsim-batch: the template (--base) holds the work of " + std::to_string(count) +
         " of the " + std::to_string(total) + " submissions (" + listed +
         "): code of the template counts for nothing, so their copies cannot be found (give "
         "--base the code handed to the students alone)\n";
}

std::string batch_progress(std::size_t done, std::size_t total, double elapsed, double left) {
  char buf[160];
  // Before the first pair is done there is nothing to tell the time left by.
  if (done == 0)
    std::snprintf(buf, sizeof buf, "\rccsim-batch: %zu/%zu pairs, %.1f s elapsed  ", done, total,
                  elapsed);
  else
    std::snprintf(buf, sizeof buf,
                  "\rccsim-batch: %zu/%zu pairs, %.1f s elapsed, about %.0f s left  ", done, total,
                  elapsed, left);
  return buf;
}

}  // namespace text
