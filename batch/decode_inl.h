// for_each_character(): character lengths by the encodings' lead bytes.
#pragma once

namespace batch {

inline std::size_t character_length(std::string_view bytes, std::size_t at, bool utf8) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(bytes[at + k]); };
  const std::size_t left = bytes.size() - at;
  const unsigned char lead = b(0);
  if (lead < 0x80) return 1;
  if (utf8) {
    const std::size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return n <= left ? n : 1;
  }
  if (lead == 0x80 || lead == 0xFF || left < 2) return 1;
  if (b(1) >= 0x30 && b(1) <= 0x39) return left >= 4 ? 4 : 1;  // four-byte GB18030
  return 2;
}

template <typename Each>
void for_each_character(std::string_view bytes, bool utf8, Each each) {
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t n = character_length(bytes, at, utf8);
    each(at, n);
    at += n;
  }
}

}  // namespace batch
