// The generator: a small grammar of statements with random names and values.
#include "bench/c_source_generator.h"

#include <algorithm>
#include <random>
#include <sstream>
#include <vector>

#include "lexer/token_files.h"
#include "lexer/tokeniser.h"

namespace bench {
namespace {

class Writer {
 public:
  explicit Writer(std::uint32_t seed) : rng_(seed) {}

  std::string function(int budget) {
    std::ostringstream out;
    const char* types[] = {"int", "double", "long", "float", "void"};
    out << types[pick(5)] << " " << name() << "(int " << name() << ", double " << name()
        << "[])\n{\n";
    out << "    int " << var() << ", " << var() << " = " << number() << ";\n";
    while (budget > 0) budget -= statement(out, 1);
    out << "    return " << expr() << ";\n}\n\n";
    return out.str();
  }

 private:
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  std::string name() {
    static const char* parts[] = {"sum", "count", "total", "max",  "min", "value", "index", "score",
                                  "avg", "tmp",   "data",  "list", "num", "len",   "key"};
    return std::string(parts[pick(15)]) + (pick(2) ? "_" + std::string(parts[pick(15)]) : "");
  }
  std::string var() {
    static const char* vars[] = {"i", "j", "k", "n", "m", "x", "y", "t", "a", "b"};
    return vars[pick(10)];
  }
  std::string number() { return std::to_string(pick(4) ? pick(10) : pick(1000)); }
  std::string operand() {
    switch (pick(4)) {
      case 0: return number();
      case 1: return var() + "[" + var() + "]";
      default: return var();
    }
  }
  std::string expr() {
    static const char* ops[] = {" + ", " - ", " * ", " / ", " % "};
    std::string e = operand();
    for (int k = pick(3); k > 0; --k) e += ops[pick(5)] + operand();
    return e;
  }
  std::string condition() {
    static const char* rel[] = {" < ", " > ", " <= ", " >= ", " == ", " != "};
    return expr() + rel[pick(6)] + expr();
  }
  int statement(std::ostringstream& out, int depth) {
    const std::string pad(4 * static_cast<std::size_t>(depth), ' ');
    const int kind = depth > 2 ? pick(3) : pick(7);
    switch (kind) {
      case 0: out << pad << var() << " = " << expr() << ";\n"; return 1;
      case 1: out << pad << "printf(\"%d\\n\", " << expr() << ");\n"; return 1;
      case 2: out << pad << var() << "++;\n"; return 1;
      case 3: {
        const std::string v = var();
        out << pad << "for (" << v << " = 0; " << v << " < " << operand() << "; " << v << "++) {\n";
        int used = 1;
        for (int k = 1 + pick(3); k > 0; --k) used += statement(out, depth + 1);
        out << pad << "}\n";
        return used + 1;
      }
      case 4: {
        out << pad << "if (" << condition() << ") {\n";
        int used = 1 + statement(out, depth + 1);
        if (pick(2)) {
          out << pad << "} else {\n";
          used += 1 + statement(out, depth + 1);
        }
        out << pad << "}\n";
        return used + 1;
      }
      case 5: {
        out << pad << "while (" << condition() << ") {\n";
        int used = 1 + statement(out, depth + 1) + statement(out, depth + 1);
        out << pad << "}\n";
        return used + 1;
      }
      default: out << pad << "scanf(\"%d\", &" << var() << ");\n"; return 1;
    }
  }

  std::mt19937 rng_;
};

std::vector<std::string> split_functions(const std::string& source) {
  std::vector<std::string> functions;
  std::size_t start = 0;
  for (std::size_t end; (end = source.find("}\n\n", start)) != std::string::npos; start = end + 3)
    functions.push_back(source.substr(start, end + 3 - start));
  return functions;
}

}  // namespace

std::string generate_c_program(std::uint32_t seed, int lines) {
  Writer writer(seed);
  std::string out = "#include <stdio.h>\n\n";
  int made = 2;
  while (made < lines) {
    std::string f = writer.function(std::min(25, std::max(3, lines - made - 5)));
    made += static_cast<int>(std::count(f.begin(), f.end(), '\n'));
    out += f;
  }
  return out;
}

std::string disguise_c_program(const std::string& source, std::uint32_t seed) {
  std::mt19937 rng(seed);
  const std::string head = source.substr(0, source.find("\n\n") + 2);
  std::vector<std::string> functions = split_functions(source.substr(head.size()));
  std::shuffle(functions.begin(), functions.end(), rng);
  std::string out = head;
  for (std::string& f : functions) {
    // Dead code after the opening brace; renaming changes no token.
    const std::size_t body = f.find("{\n");
    if (body != std::string::npos && rng() % 3 == 0) f.insert(body + 2, "    int unused = 0;\n");
    out += f;
  }
  return out;
}

std::string token_string_of(const std::string& source) {
  return lexer::token_string(lexer::tokenise(source));
}

namespace {

std::string tokens_of_parts(std::uint32_t seed, std::size_t length, bool disguised) {
  std::string tokens;
  for (std::uint32_t part = 0; tokens.size() < length; ++part) {
    const std::string program = generate_c_program(seed * 7919 + part, 400);
    tokens += token_string_of(disguised ? disguise_c_program(program, part) : program);
  }
  tokens.resize(length);
  return tokens;
}

}  // namespace

std::string token_string_of_length(std::uint32_t seed, std::size_t length) {
  return tokens_of_parts(seed, length, false);
}

std::string disguised_token_string_of_length(std::uint32_t seed, std::size_t length) {
  return tokens_of_parts(seed, length, true);
}

}  // namespace bench
