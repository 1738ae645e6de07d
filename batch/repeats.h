// Repeats: of several versions of one file, which is the file; and a file
// handed in twice within a submission, counted once.
#pragma once

#include <cstddef>
#include <map>
#include <type_traits>
#include <vector>

#include "batch/submission.h"

namespace batch {

/// Of entries that are versions of one file, the latest is the file, in
/// folders and archives alike: a member of an archive that comes again
/// later under the same name (as `tar -r` appends it; a zip or 7z may hold
/// a name twice) is replaced by the later one, as unpacking leaves it; of a
/// student's attempts on a course platform the latest is the submission.
/// Entry k is named `name(k)` and came `when(k)` (its place in the archive;
/// its attempt's stamp); every entry of a name that came latest is kept (an
/// attempt is several files). True, per entry, for an earlier version.
template <typename Name, typename When>
std::vector<bool> earlier_versions(std::size_t count, const Name& name, const When& when) {
  using Key = std::decay_t<decltype(name(std::size_t{0}))>;
  using Time = std::decay_t<decltype(when(std::size_t{0}))>;
  std::map<Key, Time> latest;
  for (std::size_t k = 0; k < count; ++k) {
    const auto [it, fresh] = latest.emplace(name(k), when(k));
    if (!fresh && it->second < when(k)) it->second = when(k);
  }
  std::vector<bool> earlier(count, false);
  for (std::size_t k = 0; k < count; ++k) earlier[k] = when(k) < latest.find(name(k))->second;
  return earlier;
}

/// Of each text that several of `files` hold, the file with the shortest
/// path is kept (a copy's name is the longer), the first in path order
/// among equals; the others are listed in `skipped`. Blank files are let be.
void count_each_text_once(std::vector<SourceFile>* files, std::vector<Skipped>* skipped);

}  // namespace batch
