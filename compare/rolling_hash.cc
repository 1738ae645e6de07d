// PrefixHash: arithmetic modulo 2^64, which unsigned overflow gives for
// free. Crafted inputs can make distinct substrings collide; callers compare
// bytes, so a collision costs time, never a wrong result.
#include "compare/rolling_hash.h"

namespace compare {
namespace {

constexpr std::uint64_t kBase = 0x9e3779b97f4a7c15ULL;  // odd

}  // namespace

void PrefixHash::build(std::string_view text) {
  prefix_.resize(text.size() + 1);
  power_.resize(text.size() + 1);
  prefix_[0] = 0;
  power_[0] = 1;
  for (std::size_t k = 0; k < text.size(); ++k) {
    prefix_[k + 1] = prefix_[k] * kBase + static_cast<unsigned char>(text[k]) + 1;
    power_[k + 1] = power_[k] * kBase;
  }
}

}  // namespace compare
