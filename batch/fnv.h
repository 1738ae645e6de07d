// FNV-1a, 64 bits: a quick hash of bytes for orienting pairs, keying names
// and checksumming index files (not a defence against a chosen collision).
#pragma once

#include <cstdint>
#include <string_view>

namespace batch {

inline constexpr std::uint64_t kFnvOffset = 0xcbf29ce484222325ULL;

/// The hash of `bytes`, going on from `h` (so that a long text can be
/// hashed in parts).
inline std::uint64_t fnv1a(std::string_view bytes, std::uint64_t h = kFnvOffset) {
  for (char c : bytes) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
  return h;
}

}  // namespace batch
