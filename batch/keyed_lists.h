// Many lists of 64-bit keys turned around: for every key, the lists it is
// in. Both the common-code count and the inverted index are made this way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace batch {

/// One key and the list it came from.
using KeyedEntry = std::pair<std::uint64_t, std::uint32_t>;

/// Every (key, list number) of `lists`, each list holding distinct keys,
/// sorted by key, then list number: equal keys stand together. The lists
/// are emptied as they are read, so the two never both take memory. Sorted
/// on `jobs` threads.
std::vector<KeyedEntry> group_by_key(std::vector<std::vector<std::uint64_t>>* lists, unsigned jobs);

/// The keys found in at least `lists_wanted` of `lists` (each list holding
/// distinct keys), in ascending order. The lists are emptied as they are
/// read.
std::vector<std::uint64_t> keys_in_at_least(std::vector<std::vector<std::uint64_t>>* lists,
                                            std::size_t lists_wanted, unsigned jobs);

/// A set of 64-bit keys: open addressing, linear probing.
class KeySet {
 public:
  explicit KeySet(const std::vector<std::uint64_t>& keys);
  bool contains(std::uint64_t key) const;

 private:
  std::vector<std::uint64_t> slots_;
  bool has_zero_ = false;  // 0 marks an empty slot
};

}  // namespace batch
