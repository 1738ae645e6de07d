// type(): table look-ups in a fixed order, then the first byte.
#include "lexer/classify.h"

#include <algorithm>

#include "lexer/char_class.h"
#include "lexer/keywords.h"

namespace lexer {
namespace {

template <typename Table>
bool in(const Table& table, std::string_view word) {
  return std::find(table.begin(), table.end(), word) != table.end();
}

}  // namespace

char type(std::string_view str) {
  // ORDER TABLES
  if (in(a, str)) return 'K';
  if (in(b, str)) return 'E';
  if (in(c, str)) return 'A';
  if (in(d, str)) return 'R';
  if (in(e, str)) return 'Y';
  const unsigned char first = str.empty() ? 0 : static_cast<unsigned char>(str[0]);
  if (is_digit(first)) return 'N';
  if (is_alnum(first)) return 'C';
  return 'H';
}

}  // namespace lexer
