// A pair's tiles as the report draws them: stretches of each side's shown
// source, a tile whose text a longer one has marked already passed over,
// and the pair's figures in lines taken from the tiles drawn, so that the
// list and the evidence count the same blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <vector>

#include "batch/display_text.h"
#include "batch/scoring.h"
#include "batch/submission.h"
#include "compare/tile.h"

namespace batch {

/// The sources of one submission as the report shows them (none unless
/// `included`).
struct Shown {
  bool included = false;
  std::vector<ShownFile> files;
};

/// A stretch of one file's shown text: [line, column] to [end line, end
/// column].
struct Stretch {
  std::uint32_t file, line, column, end_line, end_column;
  bool holds(const Stretch& o) const;
};

/// The token-string characters [start, start + length) of `s` as stretches
/// of its shown source.
std::vector<Stretch> stretches_of(const Submission& s, const Shown& shown, std::size_t start,
                                  std::size_t length);

/// Writes stretches as [file, line, column, end line, end column(, kind)]
/// ranges (no kind when `kind` < 0). False if there are none.
bool write_stretches(std::ostream& out, const std::vector<Stretch>& stretches, int kind);

/// A tile as drawn: the tile and what of it is marked on either side.
struct DrawnTile {
  compare::Match tile;
  std::vector<Stretch> first, second;
};

/// The tiles of a pair (longest first, as tiled) that are drawn, both
/// sides' sources shown: each without the stretches a longer tile drawn
/// already holds (a message's text inside the code around it); one left
/// with nothing to mark on either side, or whose characters stand for no
/// source shown, is passed over.
std::vector<DrawnTile> drawn_tiles(const Submission& first, const Shown& first_shown,
                                   const Submission& second, const Shown& second_shown,
                                   const std::vector<compare::Match>& tiles);

/// A pair's lines in a teacher's terms: the share of each side's own lines
/// (those holding code that counts: neither template nor common) that lie
/// in its tiles, and the longest tile in lines (of its shorter side).
struct LineFigures {
  double first = 0, second = 0;
  std::size_t longest = 0;
};

class LineCounter {
 public:
  LineCounter(const std::vector<Submission>& subs, const std::vector<Prepared>& prepared)
      : subs_(subs), prepared_(prepared), own_(subs.size(), -1) {}

  /// The figures of the pair of submissions `first` and `second` that
  /// `tiles` match.
  LineFigures figures(std::uint32_t first, std::uint32_t second,
                      const std::vector<compare::Match>& tiles);

 private:
  std::size_t lines_of(std::uint32_t k, std::size_t start, std::size_t length,
                       std::vector<std::uint64_t>* all) const;
  std::size_t own(std::uint32_t k);

  const std::vector<Submission>& subs_;
  const std::vector<Prepared>& prepared_;
  std::vector<std::int64_t> own_;
};

}  // namespace batch
