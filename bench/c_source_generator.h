// Plausible C programs made up from a seed, for benchmarks: functions with
// loops, branches, arithmetic, arrays and I/O, as students write them.
#pragma once

#include <cstdint>
#include <string>

namespace bench {

/// A program of about `lines` lines; the same seed gives the same program.
std::string generate_c_program(std::uint32_t seed, int lines);

/// `source` disguised as a copier would: functions reordered, identifiers
/// renamed, a few statements of dead code added.
std::string disguise_c_program(const std::string& source, std::uint32_t seed);

/// The token string of a C source, as ccsim makes it.
std::string token_string_of(const std::string& source);

/// A token string of exactly `length` characters, of programs made from
/// `seed`; different seeds give unrelated programs.
std::string token_string_of_length(std::uint32_t seed, std::size_t length);

/// The same programs disguised (disguise_c_program), as a token string of
/// exactly `length` characters: a copy of token_string_of_length(seed, ...).
std::string disguised_token_string_of_length(std::uint32_t seed, std::size_t length);

}  // namespace bench
