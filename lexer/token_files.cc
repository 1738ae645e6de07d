// Formatting of the token string and the list table.
#include "lexer/token_files.h"

#include "lexer/classify.h"
#include "text/messages.h"

namespace lexer {

std::string token_string(const std::vector<std::string>& link) {
  std::string out;
  for (const std::string& word : link) {
    switch (type(word)) {
      case 'C': out += "id"; break;
      case 'K': out += "zh"; break;
      case 'E': out += "fu"; break;
      case 'H': break;
      default: out += word; break;  // N, A, R, Y pass through
    }
  }
  return out;
}

std::string list_text(const std::vector<std::string>& link) {
  std::string out(text::kLegend);
  for (std::size_t i = 0; i < link.size(); ++i) {
    out += '(';
    out += type(link[i]);
    out += ',';
    out += link[i];
    out += ',';
    out += std::to_string(i);
    out += ")\n";
  }
  return out;
}

}  // namespace lexer
