// Polynomial hashes of every substring, from prefix hashes. Equal
// substrings hash equally; callers still compare bytes.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace compare {

class PrefixHash {
 public:
  void build(std::string_view text);
  /// The hash of text[start, start + length).
  std::uint64_t of(std::size_t start, std::size_t length) const {
    return prefix_[start + length] - prefix_[start] * power_[length];
  }
  std::size_t size() const { return prefix_.size() - 1; }

 private:
  std::vector<std::uint64_t> prefix_;  // prefix_[k]: hash of text[0, k)
  std::vector<std::uint64_t> power_;   // power_[k]: base^k
};

}  // namespace compare
