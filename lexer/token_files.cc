// Formatting of the token string and the list table.
#include "lexer/token_files.h"

#include "lexer/classify.h"
#include "text/messages.h"

namespace lexer {

std::string_view written_form(std::string_view word) {
  switch (type(word)) {
    case 'C': return "id";
    case 'K': return "zh";
    case 'E': return "fu";
    case 'H': return {};
    default: return word;  // N, A, R, Y pass through
  }
}

std::string token_string(const std::vector<std::string>& link) {
  std::string out;
  for (const std::string& word : link) out += written_form(word);
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
