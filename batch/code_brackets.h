// Bracket matching and statement bounds over a scanned token list: all the
// rewrites know of a source's structure. No parse tree; whatever these
// cannot tell apart they say so (kNone) and the caller leaves it as it is.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "batch/code_scan.h"

namespace batch {

inline constexpr std::size_t kNone = static_cast<std::size_t>(-1);

inline bool opens(const RawToken& t) {
  return is_symbol(t, "(") || is_symbol(t, "[") || is_symbol(t, "{");
}

inline bool closes(const RawToken& t) {
  return is_symbol(t, ")") || is_symbol(t, "]") || is_symbol(t, "}");
}

/// The closer of the bracket at `k` (within [k, limit)), or kNone.
std::size_t closer(const std::vector<RawToken>& in, std::size_t k, std::size_t limit);

/// Just past the statement that starts at `k` (a block, a compound
/// statement with its body and any `else`, or up to its `;`), or kNone when
/// it cannot be told within `limit`.
std::size_t past_statement(const std::vector<RawToken>& in, std::size_t k, std::size_t limit);

/// Calls `inside(begin, end)` for each outermost `{ }` block within [b, e),
/// with the bounds of what stands between its braces; stops at one that
/// does not close.
template <typename Inside>
void each_block(const std::vector<RawToken>& in, std::size_t b, std::size_t e, Inside inside) {
  for (std::size_t k = b; k < e; ++k) {
    if (!is_symbol(in[k], "{")) continue;
    const std::size_t c = closer(in, k, e);
    if (c == kNone) return;
    inside(k + 1, c);
    k = c;
  }
}

/// Where `symbol` stands outside every bracket within [b, e).
std::vector<std::size_t> top_level(const std::vector<RawToken>& in, std::size_t b, std::size_t e,
                                   std::string_view symbol);

/// The `(` at `k` (within a statement from `b`) opens a call that may do
/// something: after a name that is no library function that only computes
/// (computes_only), after `)`, or after a template's `>` that is no cast.
bool acting_call(const std::vector<RawToken>& in, std::size_t b, std::size_t k);

/// [b, e) only computes a value: no call that may do something, nothing
/// set (no assignment, `++` or `--`), no block, no preprocessor line.
bool only_computes(const std::vector<RawToken>& in, std::size_t b, std::size_t e);

}  // namespace batch
