// SString and replace().
#include "compare/sstring.h"

#include <algorithm>

namespace compare {

SString make_sstring(std::string_view text) {
  SString s;
  s.ch.reserve(std::max(text.size(), MAXSTRLEN) + 1);
  s.ch.push_back('\0');
  s.ch.insert(s.ch.end(), text.begin(), text.end());
  return s;
}

std::string_view view(const SString& s, std::ptrdiff_t length) {
  return std::string_view(s.ch.data() + 1, static_cast<std::size_t>(length));
}

status replace(SString& s, std::ptrdiff_t pos, std::ptrdiff_t len, std::ptrdiff_t Ls) {
  // A zero length would have to grow the string; nothing asks for it.
  if (pos < 1 || len < 1 || pos > Ls - len + 1 || Ls > s.capacity()) return 0;
  s.ch[pos] = ' ';
  for (std::ptrdiff_t i = pos + len; i <= Ls; ++i) s.ch[i - len + 1] = s.ch[i];
  return 1;
}

}  // namespace compare
