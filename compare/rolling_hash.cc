// PrefixHash: arithmetic modulo 2^61 - 1 with 128-bit products.
#include "compare/rolling_hash.h"

namespace compare {
namespace {

constexpr std::uint64_t kMod = (std::uint64_t{1} << 61) - 1;
constexpr std::uint64_t kBase = 0x1f3a5c7e9b2d4f61ULL % kMod;

std::uint64_t mul(std::uint64_t a, std::uint64_t b) {
  const unsigned __int128 p = static_cast<unsigned __int128>(a) * b;
  std::uint64_t r = static_cast<std::uint64_t>(p & kMod) + static_cast<std::uint64_t>(p >> 61);
  if (r >= kMod) r -= kMod;
  return r;
}

}  // namespace

void PrefixHash::build(std::string_view text) {
  prefix_.resize(text.size() + 1);
  power_.resize(text.size() + 1);
  prefix_[0] = 0;
  power_[0] = 1;
  for (std::size_t k = 0; k < text.size(); ++k) {
    std::uint64_t h = mul(prefix_[k], kBase) + static_cast<unsigned char>(text[k]) + 1;
    if (h >= kMod) h -= kMod;
    prefix_[k + 1] = h;
    power_[k + 1] = mul(power_[k], kBase);
  }
}

std::uint64_t PrefixHash::of(std::size_t start, std::size_t length) const {
  const std::uint64_t head = mul(prefix_[start], power_[length]);
  const std::uint64_t whole = prefix_[start + length];
  return whole >= head ? whole - head : whole + kMod - head;
}

}  // namespace compare
