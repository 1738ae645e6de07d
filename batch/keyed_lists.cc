// The keys of all lists are dealt into buckets by their top byte, so that
// sorting every bucket on its own sorts them all.
#include "batch/keyed_lists.h"

#include <algorithm>
#include <numeric>

#include "batch/parallel.h"

namespace batch {
namespace {

constexpr std::size_t kBuckets = 256;

// The keys are hashes whose top bits are as spread as any.
std::size_t bucket_of(std::uint64_t key) { return static_cast<std::size_t>(key >> 56); }

// `make(key, list)` of every key of every list, sorted, and where each
// bucket begins. The lists are emptied as they are read.
template <typename Entry, typename Make>
std::vector<Entry> sorted_in_buckets(std::vector<std::vector<std::uint64_t>>* lists, unsigned jobs,
                                     Make make, std::vector<std::size_t>* begin) {
  begin->assign(kBuckets + 1, 0);
  for (const auto& list : *lists)
    for (std::uint64_t key : list) ++(*begin)[bucket_of(key) + 1];
  std::partial_sum(begin->begin(), begin->end(), begin->begin());
  std::vector<Entry> entries(begin->back());
  std::vector<std::size_t> fill(begin->begin(), begin->end() - 1);
  for (std::size_t k = 0; k < lists->size(); ++k) {
    for (std::uint64_t key : (*lists)[k])
      entries[fill[bucket_of(key)]++] = make(key, static_cast<std::uint32_t>(k));
    std::vector<std::uint64_t>().swap((*lists)[k]);
  }
  parallel_for(kBuckets, jobs, [&](std::size_t b) {
    std::sort(entries.begin() + static_cast<std::ptrdiff_t>((*begin)[b]),
              entries.begin() + static_cast<std::ptrdiff_t>((*begin)[b + 1]));
  });
  return entries;
}

std::size_t slot_of(std::uint64_t key, std::size_t mask) {
  return static_cast<std::size_t>(key ^ (key >> 29)) & mask;
}

}  // namespace

std::vector<KeyedEntry> group_by_key(std::vector<std::vector<std::uint64_t>>* lists,
                                     unsigned jobs) {
  std::vector<std::size_t> begin;
  return sorted_in_buckets<KeyedEntry>(
      lists, jobs,
      [](std::uint64_t key, std::uint32_t k) {
        return KeyedEntry{key, k};
      },
      &begin);
}

std::vector<std::uint64_t> keys_in_at_least(std::vector<std::vector<std::uint64_t>>* lists,
                                            std::size_t lists_wanted, unsigned jobs) {
  std::vector<std::size_t> begin;
  const std::vector<std::uint64_t> keys = sorted_in_buckets<std::uint64_t>(
      lists, jobs, [](std::uint64_t key, std::uint32_t) { return key; }, &begin);
  std::vector<std::vector<std::uint64_t>> found(kBuckets);
  parallel_for(kBuckets, jobs, [&](std::size_t b) {
    for (std::size_t k = begin[b], run = 0; k < begin[b + 1]; k += run) {
      run = 1;
      while (k + run < begin[b + 1] && keys[k + run] == keys[k]) ++run;
      if (run >= lists_wanted) found[b].push_back(keys[k]);
    }
  });
  std::vector<std::uint64_t> out;
  for (const auto& f : found) out.insert(out.end(), f.begin(), f.end());
  return out;
}

KeySet::KeySet(const std::vector<std::uint64_t>& keys) {
  std::size_t size = 16;
  while (size < 2 * keys.size()) size *= 2;
  slots_.assign(size, 0);
  for (std::uint64_t key : keys) {
    if (key == 0) {
      has_zero_ = true;
      continue;
    }
    std::size_t at = slot_of(key, size - 1);
    while (slots_[at] != 0 && slots_[at] != key) at = (at + 1) & (size - 1);
    slots_[at] = key;
  }
}

bool KeySet::contains(std::uint64_t key) const {
  if (key == 0) return has_zero_;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = slot_of(key, mask);; at = (at + 1) & mask) {
    if (slots_[at] == key) return true;
    if (slots_[at] == 0) return false;
  }
}

}  // namespace batch
