// parse_options(): the command line through CLI11.
#include "batch/options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "batch/archive.h"
#include "text/batch_messages.h"

namespace batch {
namespace {

// A size in bytes, with an optional K, M, G or T (powers of 1024) in either
// case, from 1 byte up to 1T. The figure is checked against the limit
// before it is multiplied: 17179869185G wrapped round to 1G.
bool to_size(std::string s, std::uintmax_t* out) {
  constexpr std::uintmax_t kMost = std::uintmax_t{1} << 40;
  const std::string units = "KMGT";
  int shift = 0;
  if (!s.empty()) {
    const std::size_t unit =
        units.find(static_cast<char>(std::toupper(static_cast<unsigned char>(s.back()))));
    if (unit != std::string::npos) {
      shift = 10 * static_cast<int>(unit + 1);
      s.pop_back();
    }
  }
  if (s.empty() || s.size() > 13 || !std::all_of(s.begin(), s.end(), ::isdigit)) return false;
  const std::uintmax_t n = std::stoull(s);
  if (n < 1 || n > (kMost >> shift)) return false;
  *out = n << shift;
  return true;
}

// Comma-separated extensions, each given with or without its dot.
bool to_extensions(const std::string& list, std::vector<std::string>* out) {
  out->clear();
  std::istringstream in(list);
  for (std::string e; std::getline(in, e, ',');) {
    if (!e.empty() && e[0] == '.') e.erase(0, 1);
    if (e.empty() || e.find_first_of("/\\") != std::string::npos) return false;
    out->push_back("." + e);
  }
  return !out->empty();
}

// "I/N": slice I (from 1) of N.
bool to_shard(const std::string& v, unsigned* shard, unsigned* shards) {
  unsigned long i = 0, n = 0;
  char* end = nullptr;
  if (v.empty() || !std::isdigit(static_cast<unsigned char>(v[0]))) return false;
  i = std::strtoul(v.c_str(), &end, 10);
  if (*end != '/' || !std::isdigit(static_cast<unsigned char>(end[1]))) return false;
  n = std::strtoul(end + 1, &end, 10);
  if (*end != '\0' || n < 1 || n > 100000 || i < 1 || i > n) return false;
  *shard = static_cast<unsigned>(i - 1);
  *shards = static_cast<unsigned>(n);
  return true;
}

const CLI::Validator kNotEmpty(
    [](const std::string& v) { return v.empty() ? std::string(text::kEmptyValue) : std::string(); },
    "", "not empty");

// strtod reads "nan" and "inf" (and "1e999" as inf) as readily as 0.7, and
// a NaN passes every comparison a range makes: a threshold of nan flagged
// nothing, and the JSON said "floor":nan.
const CLI::Validator kFinite(
    [](const std::string& v) {
      char* end = nullptr;
      const double d = std::strtod(v.c_str(), &end);
      return end != v.c_str() && !std::isfinite(d) ? text::not_finite(v) : std::string();
    },
    "", "finite");

const CLI::Validator kShare(
    [](const std::string& v) {
      char* end = nullptr;
      const double d = std::strtod(v.c_str(), &end);
      return *end == '\0' && d > 0.0 && d <= 1.0 ? std::string() : std::string(text::kBadShare);
    },
    "SHARE", "share");

// The options' values that need more than CLI11 to be read.
struct Raw {
  std::string size, extensions, format, shard, encoding, json_tiles;
};

// The options, bound to `o`; `raw` takes the values read further below.
void describe(CLI::App& app, Options* o, Raw* raw) {
  std::string* size = &raw->size;
  std::string* extensions = &raw->extensions;
  std::string* format = &raw->format;
  std::string* shard = &raw->shard;
  namespace h = text::batch_help;
  app.description(std::string(h::kDescription));
  // The same options everywhere: on Windows a path such as /class/a.c is a
  // path, not an option in the system's /x style.
  app.allow_windows_style_options(false);
  app.footer(std::string(h::kFooter) + (archives_supported() ? "" : std::string(h::kNoArchives)));
  app.set_help_flag("-h,--help", std::string(h::kHelp));
  app.get_formatter()->column_width(22);
  app.add_flag("--version")->description(std::string(h::kVersion));
  app.add_option("--min-match", o->min_match, std::string(h::kMinMatch))
      ->check(CLI::Range(0, 1000000))
      ->type_name("N");
  app.add_option("-t,--threshold", o->threshold, std::string(h::kThreshold))
      ->check(kFinite)
      ->check(CLI::Range(0.0, 1.0))
      ->type_name("T");
  app.add_option("--floor", o->floor, std::string(h::kFloor))
      ->check(kFinite)
      ->check(CLI::Range(0.0, 1.0))
      ->type_name("F");
  app.add_flag("--all-pairs", o->all_pairs, std::string(h::kAllPairs));
  app.add_option("--shard", *shard, std::string(h::kShard))->check(kNotEmpty)->type_name("I/N");
  app.add_option("--write-index", o->write_index, std::string(h::kWriteIndex))
      ->check(kNotEmpty)
      ->type_name("FILE");
  app.add_option("--merge", o->merge, std::string(h::kMerge))->check(kNotEmpty)->type_name("FILE");
  app.add_option("--common", o->common.share, std::string(h::kCommon))
      ->check(kFinite)
      ->check(kShare)
      ->type_name("SHARE");
  app.add_option("--common-min", o->common.at_least, std::string(h::kCommonMin))
      ->check(CLI::Range(2, 1000000000))
      ->type_name("N");
  app.add_flag("--no-common")->description(std::string(h::kNoCommon));
  app.add_flag("--no-names")->description(std::string(h::kNoNames));
  app.add_flag("--ccsim", o->as_ccsim, std::string(h::kCcsim));
  app.add_option("--max-size", *size, std::string(h::kMaxSize))
      ->check(kNotEmpty)
      ->type_name("SIZE");
  app.add_option("--extensions", *extensions, std::string(h::kExtensions))
      ->check(kNotEmpty)
      ->type_name("LIST");
  app.add_option("--base", o->bases, std::string(h::kBase))
      ->check(kNotEmpty)
      ->allow_extra_args(false)
      ->type_name("PATH");
  app.add_option("--old", o->olds, std::string(h::kOld))
      ->check(kNotEmpty)
      ->allow_extra_args(false)
      ->type_name("PATH");
  app.add_option("-f,--format", *format, std::string(h::kFormat))
      ->check(CLI::IsMember({"table", "csv", "json"}))
      ->type_name("F");
  app.add_option("--top", o->top, std::string(h::kTop))
      ->check(CLI::Range(0, 1000000000))
      ->type_name("N");
  app.add_option("--report", o->report, std::string(h::kReport))
      ->check(kNotEmpty)
      ->type_name("FILE");
  app.add_flag("--open", o->open_report, std::string(h::kOpen));
  app.add_option("--encoding", raw->encoding, std::string(h::kEncoding))
      ->check(kNotEmpty)
      ->type_name("NAME");
  app.add_option("--json-tiles", raw->json_tiles, std::string(h::kJsonTiles))
      ->check(CLI::IsMember({"suspected", "all", "none"}))
      ->type_name("WHICH");
  app.add_option("-j,--jobs", o->jobs, std::string(h::kJobs))
      ->check(CLI::Range(1, 1024))
      ->type_name("N");
  app.add_flag("-q,--quiet", o->quiet, std::string(h::kQuiet));
  app.add_option("PATH", o->paths, std::string(h::kPaths))->check(kNotEmpty)->type_name("PATH");
  for (CLI::Option* opt : app.get_options())
    if (opt->get_items_expected_max() == 1) opt->multi_option_policy(CLI::MultiOptionPolicy::Throw);
}

}  // namespace

std::string usage() {
  CLI::App app("", "ccsim-batch");
  Options o;
  Raw raw;
  describe(app, &o, &raw);
  return app.help();
}

Parsed parse_options(int argc, const char* const* argv, Options* o, std::string* error) {
  CLI::App app("", "ccsim-batch");
  Raw raw;
  describe(app, o, &raw);
  const std::string& size = raw.size;
  const std::string& extensions = raw.extensions;
  const std::string& format = raw.format;
  const std::string& shard = raw.shard;
  // "--report=" would take the next argument as its value (a source, to be
  // written over): an empty value after '=' is an error of its own.
  for (int k = 1; k < argc && std::string_view(argv[k]) != "--"; ++k) {
    const std::string_view arg = argv[k];
    if (arg.size() > 3 && arg.substr(0, 2) == "--" && arg.back() == '=') {
      *error = std::string(arg.substr(0, arg.size() - 1)) + ": " + std::string(text::kEmptyValue);
      return Parsed::kError;
    }
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    return Parsed::kHelp;
  } catch (const CLI::ParseError& e) {
    *error = e.what();
    return Parsed::kError;
  }
  if (app.count("--version")) return Parsed::kVersion;
  auto fail = [error](std::string_view what) {
    *error = std::string(what);
    return Parsed::kError;
  };
  if (!o->merge.empty()) {
    for (const CLI::Option* opt : app.get_options())
      if (opt->count() > 0 && opt->get_name() != "--merge" && opt->get_name() != "--format" &&
          opt->get_name() != "--top" && opt->get_name() != "--quiet")
        return fail(text::kMergeTakesNoClass);
    if (format == "csv") o->format = Format::kCsv;
    if (format == "json") o->format = Format::kJson;
    return Parsed::kRun;
  }
  if (o->paths.empty()) return fail(text::kNoSubmissions);
  if (!o->write_index.empty())
    for (const CLI::Option* opt : app.get_options())
      if (opt->count() > 0 && opt->get_name() != "--write-index" && opt->get_name() != "PATH" &&
          opt->get_name() != "--extensions" && opt->get_name() != "--max-size" &&
          opt->get_name() != "--ccsim" && opt->get_name() != "--quiet" &&
          opt->get_name() != "--jobs")
        return fail(text::kWriteIndexAlone);
  if (o->open_report && o->report.empty()) return fail(text::kOpenNeedsReport);
  if (!shard.empty() && (!format.empty() || !o->report.empty()))
    return fail(text::kShardWritesShards);
  if (!size.empty() && !to_size(size, &o->max_size)) return fail(text::kBadMaxSize);
  if (!extensions.empty() && !to_extensions(extensions, &o->extensions))
    return fail(text::kBadExtensions);
  o->sharded = !shard.empty();
  if (o->sharded && !to_shard(shard, &o->shard, &o->shards)) return fail(text::kBadShard);
  if (o->floor < 0) o->floor = o->threshold * 2 / 3;
  if (o->floor > o->threshold) return fail(text::kFloorAboveThreshold);
  if (format == "csv") o->format = Format::kCsv;
  if (format == "json") o->format = Format::kJson;
  if (!raw.encoding.empty() && !parse_encoding(raw.encoding, &o->encoding))
    return fail(text::kBadEncoding);
  if (raw.json_tiles == "all") o->json_tiles = JsonTiles::kAll;
  if (raw.json_tiles == "none") o->json_tiles = JsonTiles::kNone;
  if (app.count("--no-common")) o->common.enabled = false;
  if (app.count("--no-names")) o->names = false;
  if (o->as_ccsim) {
    if (app.count("--min-match")) return fail(text::kCcsimFixesMinMatch);
    o->min_match = 3;
    o->common.enabled = false;
    o->names = false;
  }
  if (o->jobs == 0) o->jobs = std::max(1u, std::thread::hardware_concurrency());
  return Parsed::kRun;
}

}  // namespace batch
