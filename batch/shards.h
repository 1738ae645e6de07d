// Shards: a slice of a run's pairs written to a file of its own, and the
// files of all slices joined into the output the whole run gives.
//
// A shard file is text, a record per line, fields split by single spaces,
// every field that may hold any byte %XX-escaped (space, '%', and bytes
// below 0x21 or above 0x7e):
//
//   ccsim-batch shard 4            format and version
//   part I N                       slice I of N
//   submissions S skipped K        the class as every slice read it
//   pairs P                        pairs in this slice, those below the floor too
//                                  (no fewer than it lists; all slices' no more
//                                  than S submissions make)
//   threshold T                    hexadecimal floating point, exact
//   note TEXT                      how pairs were scored
//   json-head TEXT                 the JSON output's fields before the counts
//   json-class TEXT                its "submissions" and "skipped" fields
//   pair FIRST SECOND SCORE COVERAGE SIMILARITY MATCHED LONGEST TILES TILE-LIST
//   ...                            one per pair listed by the slice (a pair
//                                  is listed once, by one slice)
//   end C                          C pair lines: the file is whole
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "batch/formats.h"

namespace batch {

/// Writes `listing` as slice `shard` (from 0) of `shards`.
void write_shard(std::ostream& out, const Listing& listing, unsigned shard, unsigned shards);

/// The pairs of every slice, ranked as one run ranks them.
class Merged {
 public:
  /// Reads the shard files at `paths`: all slices of one run, each once.
  /// On failure, false with `error` saying which file and why.
  bool read(const std::vector<std::string>& paths, std::string* error);
  /// The joined listing; it refers to this object.
  Listing listing() const;

 private:
  struct Pair {
    std::string first, second, tile_list;
    PairScore score;
  };
  Listing head_;
  std::vector<Pair> pairs_;
};

}  // namespace batch
