// parse_options().
#include "batch/options.h"

#include <cerrno>
#include <cstdlib>
#include <thread>

namespace batch {
namespace {

bool to_int(const std::string& s, long low, long high, long* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < low || v > high) return false;
  *out = v;
  return true;
}

bool to_fraction(const std::string& s, double* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (*end != '\0' || !(v >= 0.0 && v <= 1.0)) return false;
  *out = v;
  return true;
}

// A size in bytes, with an optional K, M or G (powers of 1024).
bool to_size(const std::string& s, std::uintmax_t* out) {
  std::string digits = s;
  std::uintmax_t unit = 1;
  if (!digits.empty() && std::string("KMG").find(digits.back()) != std::string::npos) {
    unit = std::uintmax_t{1} << (10 * (1 + std::string("KMG").find(digits.back())));
    digits.pop_back();
  }
  long n = 0;
  if (!to_int(digits, 1, 1L << 40, &n)) return false;
  *out = static_cast<std::uintmax_t>(n) * unit;
  return *out <= (std::uintmax_t{1} << 40);
}

}  // namespace

Parsed parse_options(int argc, const char* const* argv, Options* o, std::string* error) {
  auto fail = [error](const std::string& what) {
    *error = what;
    return Parsed::kError;
  };
  bool options_done = false;
  bool min_match_given = false;
  for (int k = 1; k < argc; ++k) {
    std::string arg = argv[k];
    if (options_done || arg.size() < 2 || arg[0] != '-') {
      o->paths.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_done = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") return Parsed::kHelp;
    if (arg == "--version") return Parsed::kVersion;
    if (arg == "--quiet" || arg == "-q") {
      o->quiet = true;
      continue;
    }
    if (arg == "--no-common") {
      o->common.enabled = false;
      continue;
    }
    if (arg == "--ccsim") {
      o->as_ccsim = true;
      continue;
    }
    std::string value;
    const std::size_t eq = arg.find('=');
    if (eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg.resize(eq);
    } else if (k + 1 < argc) {
      value = argv[++k];
    } else {
      return fail("option " + arg + " needs a value");
    }
    long n = 0;
    if (arg == "--min-match") {
      if (!to_int(value, 0, 1000000, &n)) return fail("--min-match takes a whole number from 0");
      o->min_match = static_cast<int>(n);
      min_match_given = true;
    } else if (arg == "--threshold") {
      if (!to_fraction(value, &o->threshold)) return fail("--threshold takes a number from 0 to 1");
    } else if (arg == "--common") {
      if (!to_fraction(value, &o->common.share) || o->common.share == 0.0)
        return fail("--common takes a share of the class above 0 and up to 1");
    } else if (arg == "--common-min") {
      if (!to_int(value, 2, 1000000000, &n))
        return fail("--common-min takes a whole number from 2");
      o->common.at_least = static_cast<std::size_t>(n);
    } else if (arg == "--max-size") {
      if (!to_size(value, &o->max_size))
        return fail("--max-size takes a size in bytes from 1 (K, M, G allowed) up to 1T");
    } else if (arg == "--base") {
      o->bases.push_back(value);
    } else if (arg == "--old") {
      o->olds.push_back(value);
    } else if (arg == "--format") {
      if (value == "table")
        o->format = Format::kTable;
      else if (value == "csv")
        o->format = Format::kCsv;
      else if (value == "json")
        o->format = Format::kJson;
      else
        return fail("--format takes table, csv or json");
    } else if (arg == "--top") {
      if (!to_int(value, 0, 1000000000, &n)) return fail("--top takes a whole number");
      o->top = static_cast<int>(n);
    } else if (arg == "--report") {
      o->report = value;
    } else if (arg == "--jobs" || arg == "-j") {
      if (!to_int(value, 1, 1024, &n)) return fail("--jobs takes a whole number from 1 to 1024");
      o->jobs = static_cast<unsigned>(n);
    } else {
      return fail("unknown option " + arg);
    }
  }
  if (o->paths.empty()) return fail("no submissions given");
  if (o->as_ccsim) {
    if (min_match_given) return fail("--ccsim compares as ccsim does: runs over 3 characters");
    o->min_match = 3;
    o->common.enabled = false;
  }
  if (o->jobs == 0) o->jobs = std::max(1u, std::thread::hardware_concurrency());
  return Parsed::kRun;
}

}  // namespace batch
