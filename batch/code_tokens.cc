// The batch's tokens: the source scanned, its aliases read through, its
// statements rewritten, then the small rewrites of single expressions here
// and the written forms.
#include "batch/code_tokens.h"

#include <algorithm>
#include <array>
#include <string>
#include <unordered_map>

#include "batch/code_rewrites.h"
#include "batch/code_scan.h"
#include "batch/statement_order.h"
#include "batch/temporaries.h"
#include "batch/unread_settings.h"
#include "lexer/keywords.h"
#include "lexer/token_files.h"
#include "lexer/tokeniser.h"

namespace batch {
namespace {

bool is_integer_type_word(std::string_view w) {
  return w == "int" || w == "long" || w == "short" || w == "signed" || w == "unsigned";
}

// ccsim's symbols (its tables of operators and punctuation): every other
// symbol is left out of its token strings, and so out of these.
bool is_ccsim_symbol(std::string_view symbol) {
  if (symbol == "&&" || symbol == "||") return true;
  return std::all_of(symbol.begin(), symbol.end(), [](char c) {
    return std::string_view("+-*/=<>[](),;'#.").find(c) != std::string_view::npos;
  });
}

bool is_ccsim_keyword(std::string_view w) {
  return std::find(lexer::e.begin(), lexer::e.end(), w) != lexer::e.end();
}

// What a token adds to the token string; empty for nothing.
std::string_view written_of(const RawToken& t) {
  switch (t.kind) {
    case CodeKind::kString: return "\"";
    case CodeKind::kChar: return "'";
    case CodeKind::kNumber: return "0";
    case CodeKind::kSymbol: return is_ccsim_symbol(t.text) ? t.text : std::string_view();
    case CodeKind::kWord:
      if (t.text == "float" || t.text == "double") return "fu";
      if (t.text == "int" || t.text == "long" || t.text == "short") return "zh";
      return is_ccsim_keyword(t.text) ? t.text : "id";
  }
  return {};
}

bool is_binary_operator(const RawToken& t) {
  static constexpr std::array<std::string_view, 10> kOperators{"+", "-", "*", "/",  "%",
                                                               "&", "|", "^", "<<", ">>"};
  return t.kind == CodeKind::kSymbol &&
         std::find(kOperators.begin(), kOperators.end(), t.text) != kOperators.end();
}

std::string_view compound_of(std::string_view op) {
  static const std::unordered_map<std::string_view, std::string_view> kCompound{
      {"+", "+="}, {"-", "-="}, {"*", "*="}, {"/", "/="},   {"%", "%="},
      {"&", "&="}, {"|", "|="}, {"^", "^="}, {"<<", "<<="}, {">>", ">>="}};
  return kCompound.at(op);
}

bool is_one(const RawToken& t) { return t.kind == CodeKind::kNumber && t.text == "1"; }

// A plain variable: an identifier that is no member (`p->x`, `s.x`, `a::x`).
bool is_plain_name(const std::vector<RawToken>& in, std::size_t k) {
  if (!is_identifier(in[k])) return false;
  if (k == 0) return true;
  const RawToken& before = in[k - 1];
  return !(is_symbol(before, ".") || is_symbol(before, "->") || is_symbol(before, "::"));
}

class Writer {
 public:
  explicit Writer(std::vector<CodeToken>* out) : out_(out) {}

  void add(std::string_view written, std::uint32_t begin, std::uint32_t end, bool aside = false) {
    if (!written.empty()) out_->push_back(CodeToken{written, begin, end, aside});
  }

  // Writes the token at `k` with what it makes one form; returns the next.
  std::size_t write(const std::vector<RawToken>& in, std::size_t k) {
    const RawToken& t = in[k];
    auto at = [&](std::size_t j) -> const RawToken* {
      return k + j < in.size() ? &in[k + j] : nullptr;
    };
    if (is_symbol(t, "{") || is_symbol(t, "}") || is_symbol(t, "<%") || is_symbol(t, "%>"))
      return k + 1;
    if (is_word(t, "std") && at(1) && is_symbol(*at(1), "::")) return k + 2;
    if (is_plain_name(in, k)) {
      const RawToken* a = at(1);
      const RawToken* b = at(2);
      const RawToken* c = at(3);
      const RawToken* d = at(4);
      const RawToken* after = at(5);
      // x++ and x-- as ++x and --x
      if (a && (is_symbol(*a, "++") || is_symbol(*a, "--"))) return step(a->text, t, *a, k + 2);
      // x += 1 and x -= 1 likewise
      if (a && b && (is_symbol(*a, "+=") || is_symbol(*a, "-=")) && is_one(*b))
        return step(is_symbol(*a, "+=") ? "++" : "--", t, *b, k + 3);
      if (a && b && c && is_symbol(*a, "=") && is_identifier(*b) && b->text == t.text &&
          is_binary_operator(*c)) {
        // x = x + 1 likewise, where the statement or argument ends there
        const bool ends = !after || is_symbol(*after, ";") || is_symbol(*after, ")") ||
                          is_symbol(*after, ",");
        if ((is_symbol(*c, "+") || is_symbol(*c, "-")) && d && is_one(*d) && ends)
          return step(is_symbol(*c, "+") ? "++" : "--", t, *d, k + 5);
        // x = x OP e as x OP= e
        add("id", t.begin, t.end);
        add(compound_of(c->text), a->begin, c->end);
        return k + 4;
      }
    }
    if (t.kind == CodeKind::kWord && is_integer_type_word(t.text)) {
      std::size_t e = k + 1;
      while (e < in.size() && in[e].kind == CodeKind::kWord && is_integer_type_word(in[e].text) &&
             in[e].directive == t.directive)  // `#define N long` ends with its line
        ++e;
      add("zh", t.begin, in[e - 1].end);
      return e;
    }
    add(written_of(t), t.begin, t.end);
    return k + 1;
  }

 private:
  // `op` and the name, both standing for the source from `name` to `last`.
  std::size_t step(std::string_view op, const RawToken& name, const RawToken& last,
                   std::size_t next) {
    add(op, name.begin, last.end);
    add("id", name.begin, last.end);
    return next;
  }

  std::vector<CodeToken>* out_;
};

// A statement's written form, for putting statements in order.
std::string written_statement(const std::vector<RawToken>& in, std::size_t b, std::size_t e) {
  std::vector<CodeToken> written;
  Writer writer(&written);
  for (std::size_t k = b; k < e;) k = writer.write(in, k);
  std::string key;
  for (const CodeToken& t : written) {
    key += t.written;
    key += ' ';
  }
  return key;
}

}  // namespace

std::vector<CodeToken> code_tokens(std::string_view text) {
  std::vector<Aside> aside;
  const std::vector<RawToken> in =
      order_statements(without_temporaries(without_unread_settings(
                           rewrite_statements(read_through_aliases(scan_code(text, &aside))))),
                       written_statement);
  std::vector<CodeToken> out;
  out.reserve(in.size());
  Writer writer(&out);
  for (std::size_t k = 0; k < in.size();) k = writer.write(in, k);
  // The text of messages, then of comments, as ccsim tokenises it: a
  // comment put between two messages cuts no run of them.
  std::stable_partition(aside.begin(), aside.end(),
                        [&](const Aside& a) { return text[a.begin] != '/'; });
  for (const Aside& a : aside) {
    const std::string_view body = text.substr(a.begin, a.end - a.begin);
    std::vector<std::size_t> starts;
    const std::vector<std::string> words = lexer::tokenise(body, &starts);
    for (std::size_t k = 0; k < words.size(); ++k) {
      std::string_view written = lexer::written_form(words[k]);
      // A word written as itself is viewed in the source, which outlives it.
      if (!written.empty() && written.data() == words[k].data())
        written = body.substr(starts[k], written.size());
      const auto begin = static_cast<std::uint32_t>(a.begin + starts[k]);
      const auto end = static_cast<std::uint32_t>(begin + std::max<std::size_t>(words[k].size(), 1));
      writer.add(written, begin, end, true);
    }
  }
  return out;
}

}  // namespace batch
