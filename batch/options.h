// ccsim-batch's command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "batch/common_code.h"
#include "batch/display_text.h"

namespace batch {

enum class Format { kTable, kCsv, kJson };
enum class JsonTiles { kSuspected, kAll, kNone };  // which pairs' tiles JSON lists

struct Options {
  int min_match = 16;
  double threshold = 0.7;
  double floor = -1;       // pairs below it are counted, not listed; < 0: 2/3 of the threshold
  bool all_pairs = false;  // tile and list every pair, the floor aside
  bool sharded = false;    // --shard: this run computes slice `shard` of `shards`
  unsigned shard = 0;
  unsigned shards = 1;
  std::vector<std::string> merge;  // shard files to join, instead of a class
  std::string write_index;         // write the class to this index file, and stop
  CommonRule common;
  bool names = true;                           // the names two submissions share raise their score
  std::uintmax_t max_size = 10 * 1024 * 1024;  // bytes a source may have
  bool as_ccsim = false;
  std::vector<std::string> extensions = {
      ".c",   ".h",   ".cpp", ".cc",
      ".cxx", ".hpp", ".hh",  ".hxx"};  // ccsim's reading and runs, nothing common taken out
  std::vector<std::string> bases;
  std::vector<std::string> olds;
  Format format = Format::kTable;
  int top = 50;
  std::string report;
  bool open_report = false;  // open the report in the default browser once written
  Encoding encoding = Encoding::kAuto;  // of the sources, as the report shows them
  JsonTiles json_tiles = JsonTiles::kSuspected;
  unsigned jobs = 0;  // 0: all cores
  bool quiet = false;
  std::vector<std::string> paths;
};

enum class Parsed { kRun, kHelp, kVersion, kError };

/// Reads the arguments (argv[1] on); on kError, `error` says what is wrong.
/// Options take their value as the next argument or after '='; "--" ends
/// the options. A single-valued option given twice, or given an empty
/// value, is an error.
Parsed parse_options(int argc, const char* const* argv, Options* options, std::string* error);

/// The --help text.
std::string usage();

}  // namespace batch
