// The batch's tokens: each disguise a student uses makes the same token
// string as the code it hides, and what no disguise touches stays apart.
#include "batch/code_tokens.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "batch/submission.h"

namespace {

std::string written(std::string_view text) {
  std::string out;
  for (const batch::CodeToken& t : batch::code_tokens(text)) out += t.written;
  return out;
}

// Statements as they stand in a program: in a function that is called,
// their variables read after them (twice: none of them is a temporary).
const char kRead[] = "\nuse(a, b, c, d, i, k, m, n, p, q, r, s, t, x, y, z);\n"
                     "use(a, b, c, d, i, k, m, n, p, q, r, s, t, x, y, z);\n}\n";
std::string in_main(std::string_view body) {
  return written("int main() {\n" + std::string(body) + kRead);
}

TEST(CodeTokens, CommentsAndMessagesStandAfterTheCode) {
  // A comment put between two lines cuts no run of the code.
  EXPECT_EQ(written("x = a + b;\ny = x * 2;\n") + "//idid",
            written("x = a + b;\n// the sum\ny = x * 2;\n"));
  EXPECT_EQ(written("x = a + b;\ny = x * 2;\n") + "/**/",
            written("x = a + b;\n/* */\ny = x * 2;\n"));
  // A message reworded changes the text after the code, never the code.
  const std::string a = written("printf(\"sum %d\\n\", s);");
  const std::string b = written("printf(\"total = %d!\\n\", s);");
  const std::string code = "printf(\",id);";
  EXPECT_EQ(code, a.substr(0, code.size()));
  EXPECT_EQ(code, b.substr(0, code.size()));
  EXPECT_NE(a, b);
  // The messages' text comes before the comments': a comment put between
  // two messages cuts no run of their text.
  EXPECT_EQ(written("puts(\"one two\");\nputs(\"three\");\n") + "/*id*/",
            written("puts(\"one two\");\n/* x */\nputs(\"three\");\n"));
  // Comment markers inside a literal are text; a literal is one token.
  EXPECT_EQ("id=\";//idid", written("s = \"// no comment\";"));
  EXPECT_EQ("id=';", written("c = '\\'';"));
}

TEST(CodeTokens, NumbersBracesAndTypeWordsAreOneForm) {
  EXPECT_EQ(written("a[100] = 7;"), written("a[128] = 0x1F;"));
  EXPECT_EQ(in_main("if (x) { y = 1; }"), in_main("if (x)\n  y = 1;"));
  EXPECT_EQ(written("y = (int)x;"), written("y = (unsigned long long)x;"));
  EXPECT_EQ(written("cout << x;"), written("std::cout << x;"));
  EXPECT_EQ("fu", written("double"));
  // Symbols ccsim's token strings never hold stay out; those they hold stay.
  EXPECT_EQ("id=idid;", written("x = !a % b;"));
  EXPECT_EQ("id=id&&id->id;", written("x = a && b->c;"));
}

TEST(CodeTokens, EveryWayOfCountingIsOne) {
  const std::string plus = written("i++;");
  EXPECT_EQ("++id;", plus);
  for (const char* same : {"++i;", "i += 1;", "i = i + 1;"}) EXPECT_EQ(plus, written(same)) << same;
  EXPECT_EQ("--id;", written("i = i - 1;"));
  EXPECT_EQ(written("s *= k + 2;"), written("s = s * k + 2;"));
  // Only a plain variable, and only a step of exactly one.
  EXPECT_NE(plus, written("i = j + 1;"));
  EXPECT_NE(plus, written("i = i + 1 * k;"));
  EXPECT_EQ("id.id++;", written("p.x++;"));
}

TEST(CodeTokens, LoopsAndChoicesAreOneForm) {
  EXPECT_EQ(in_main("for (i = 0; i < n; i++) s += i;"),
            in_main("i = 0;\nwhile (i < n) {\n  s += i;\n  i++;\n}"));
  EXPECT_EQ(in_main("for (int i = 0; i < n; ++i) { s += i; }"),
            in_main("i = 0; while (i < n) { s += i; i += 1; }"));
  EXPECT_EQ(in_main("for (;;) go();"), in_main("while () go();"));
  EXPECT_EQ("zhmain()while()id();", written("int main() { for (;;) go(); }"));
  EXPECT_EQ(in_main("x = a > b ? a : b;"), in_main("if (a > b) x = a; else x = b;"));
  EXPECT_EQ(in_main("return c ? 1 : 2;"), in_main("if (c) return 1;\nelse return 2;"));
  // A text printed is printed, whichever call prints it; to a file it is not.
  EXPECT_EQ(in_main("printf(\"hi\");"), in_main("puts(\"hi\");"));
  EXPECT_EQ(in_main("printf(m);"), in_main("fputs(m, stdout);"));
  EXPECT_NE(in_main("printf(m);"), in_main("fputs(m, f);"));
}

TEST(CodeTokens, DeclarationsCountForWhatTheySet) {
  // Where a variable is declared, and as what, is no part of the code.
  EXPECT_EQ(in_main("int x = 5;\nlong y;\ny = x;"), in_main("long x; int y;\nx = 5;\ny = x;"));
  EXPECT_EQ(in_main("x = 1; y = x;"), in_main("int x = 1, unused; y = x;"));
  // A variable set and never used again is padding.
  EXPECT_EQ(in_main("y = 2;"), in_main("int spare = 7; y = 2;"));
  // Also right after a preprocessor line, which ends what it holds.
  EXPECT_EQ(written("#define N long\n") + written("int main() { return 0; }"),
            written("#define N long\nint spare = 7;\nint main() { return 0; }"));
  // A function's parameters and a for loop's variable are kept as code.
  EXPECT_EQ("id(zhid,zhid)", written("f(int a, long b)"));
}

TEST(CodeTokens, SettingsNoOneReadsAreLeftOut) {
  const std::string plain = in_main("y = 2;\nx = y * 3;");
  // Variables only set, counted, tested to be set: padding.
  for (const char* padded : {"int tmp = 0;\ny = 2;\nx = y * 3;",
                             "y = 2;\n{ int w = 1; if (w) w++; }\nx = y * 3;",
                             "y = 2;\nwhile (w < 9) { w += 2; }\nx = y * 3;",
                             "y = 2;\nx = y * 3;\nlong u = x % 7;\nh = u + 1;\nh--;",
                             "y = 2;\nw = abs(y);\nx = y * 3;"})
    EXPECT_EQ(plain, in_main(padded)) << padded;
  // A name read anywhere, passed on, pointed to or indexed is kept, and
  // so is a setting that calls what may do something.
  for (const char* read : {"w = 1;\ny = 2;\nx = y * 3 + w;", "w = 1;\ny = 2;\nx = y * 3;\nf(w);",
                           "w = 1;\ny = 2;\nx = y * 3;\np = &w;",
                           "w[0] = 1;\ny = 2;\nx = y * 3;", "y = 2;\nw = rand();\nx = y * 3;",
                           "y = 2;\nif (w) g();\nx = y * 3;"})
    EXPECT_NE(plain, in_main(read)) << read;
}

TEST(CodeTokens, CodeThatNeverRunsIsLeftOut) {
  EXPECT_EQ(in_main("x = 1;"), in_main("x = 1;\nif (0) { x = 2; }"));
  EXPECT_EQ(in_main("x = 1;"), in_main("while (0) x++;\nx = 1;"));
  EXPECT_EQ(in_main("x = 1;"), in_main("while (false) { x--; }\nx = 1;"));
  EXPECT_EQ(in_main("x = 1;"), in_main("for (k = 0; k < 0; k++) ;\nx = 1;"));
  // A loop that calls something does something; if (0) with an else runs it.
  EXPECT_NE(in_main("x = 1;"), in_main("for (k = 0; read(k); k++) ;\nx = 1;"));
  EXPECT_NE(in_main("b();"), in_main("if (0) a(); else b();"));
  // Two bounds on one name that no value meets never hold; bounds that
  // some value meets, or on two names, may.
  EXPECT_EQ(in_main("x = 1;"), in_main("if (n < 0 && n > 0) { n = 0; }\nx = 1;"));
  EXPECT_EQ(in_main("x = 1;"), in_main("if (n >= 10 && n < 3) n--;\nx = 1;"));
  EXPECT_EQ(in_main("x = 1;"), in_main("if (n == 1 && n == 2) n--;\nx = 1;"));
  EXPECT_NE(in_main("x = 1;"), in_main("if (n <= 0 && n >= 0) n--;\nx = 1;"));
  EXPECT_NE(in_main("x = 1;"), in_main("if (n > 0 && n < 9) n--;\nx = 1;"));
  EXPECT_NE(in_main("x = 1;"), in_main("if (n < 0 && m > 0) n--;\nx = 1;"));
  // A function no one calls, and its prototype, are padding; main stays.
  const std::string used = "int f(int a) { return a; }\nint main() { return f(2); }\n";
  EXPECT_EQ(written(used), written("int g(int);\n" + std::string(used) +
                                   "int g(int b) { return b * b; }\n"));
  EXPECT_EQ("zhmain()returnid(0);", written("int main() { return f(0); }"));
  // Nor does one that only calls itself.
  EXPECT_EQ(written(used), written(std::string(used) +
                                   "int h(int b) { return b > 1 ? b * h(b - 1) : 1; }\n"));
  // In a file without main, the functions are there for the other files.
  EXPECT_EQ("zhid(zhid)returnid;", written("int g(int b) { return b; }"));
}

TEST(CodeTokens, ExpressionsSplitIntoTemporariesAreWhole) {
  // A value set and read once, in the next statement, is written where it
  // is read, bracketed where an operator beside it binds harder.
  EXPECT_EQ(in_main("x = a * b + c;"), in_main("int h = a * b;\nx = h + c;"));
  EXPECT_EQ(in_main("x = (a + b) * c;"), in_main("w = a + b;\nx = w * c;"));
  EXPECT_EQ(in_main("x = c - (a + b);"), in_main("w = a + b;\nx = c - w;"));
  EXPECT_EQ(in_main("if (a * 2 > b) f(a);"), in_main("h = a * 2;\nif (h > b) f(a);"));
  // A chain comes back whole.
  EXPECT_EQ(in_main("x = (a + 1) * 2 - c;"), in_main("u = a + 1;\nw = u * 2;\nx = w - c;"));
  // Not a temporary: read twice, read later, set by a call, or read where
  // it is set again or pointed to, or only inside a block.
  const std::string whole = "id=id*id+id;";
  ASSERT_NE(std::string::npos, in_main("x = a * b + c;").find(whole));
  for (const char* kept : {"w = a * b;\nx = w + c;\ny = w;", "w = a * b;\ny = 1;\nx = w + c;",
                           "w = g(a);\nx = w + c;", "w = a * b;\nw += c;\nx = w;",
                           "w = a * b;\nf(&w);", "w = a * b;\nwhile (c) { x = w + c; }"})
    EXPECT_EQ(std::string::npos, in_main(kept).find(whole)) << kept;
}

TEST(CodeTokens, SettingsThatCanTradePlacesHaveOneOrder) {
  // Settings of different variables come out in one order, in any block.
  EXPECT_EQ(in_main("a = 1;\nb = c * d;\n"), in_main("b = c * d;\na = 1;\n"));
  EXPECT_EQ(in_main("while (i < n) { s += i; t = t * 2; i++; }"),
            in_main("while (i < n) { t = t * 2; s += i; i++; }"));
  EXPECT_EQ(in_main("p.x = 1; q[2] = y - z; k--;"), in_main("k--; q[2] = y - z; p.x = 1;"));
  // What depends on another stays after it.
  EXPECT_NE(in_main("a = 1;\nb = a * 2;"), in_main("b = a * 2;\na = 1;"));
  EXPECT_NE(in_main("i++;\ns = s + i * 3;"), in_main("s = s + i * 3;\ni++;"));
  // Calls and streams stay in their order, and nothing moves across them
  // (nor across control flow).
  EXPECT_NE(in_main("scanf(\"%d\", &n);\nk = 1;"), in_main("k = 1;\nscanf(\"%d\", &n);"));
  EXPECT_NE(in_main("cin >> a;\nf(b, c);"), in_main("f(b, c);\ncin >> a;"));
  EXPECT_NE(in_main("a = 1;\nx = f(y);\nb = c * d;"), in_main("b = c * d;\nx = f(y);\na = 1;"));
  // A library function that only computes a value is no more than an
  // operator: its setting moves as any other.
  EXPECT_EQ(in_main("r = pow(10, k);\nm = n;"), in_main("m = n;\nr = pow(10, k);"));
  EXPECT_EQ(in_main("r = static_cast<int>(v);\nm = n;"),
            in_main("m = n;\nr = static_cast<int>(v);"));
  EXPECT_NE(in_main("a = 1;\nif (x) y();\nb = c * d;"), in_main("b = c * d;\nif (x) y();\na = 1;"));
  // Nothing is lost or made up: the same tokens, moved.
  std::string moved = in_main("b = c * d;\nk = 1;\na = 1;\nscanf(\"%d\", &n);\nz = 2 - k;");
  std::string plain = in_main("a = 1;\nk = 1;\nb = c * d;\nscanf(\"%d\", &n);\nz = 2 - k;");
  EXPECT_EQ(plain, moved);
  moved = in_main("z = k - 2;\nk = 1;");
  plain = in_main("k = 1;\nz = k - 2;");
  EXPECT_NE(plain, moved);
  std::sort(moved.begin(), moved.end());
  std::sort(plain.begin(), plain.end());
  EXPECT_EQ(plain, moved);
}

TEST(CodeTokens, PrototypesAreLeftOut) {
  const std::string defined = "int f(int a, char *s) { return a; }\nint main() { return f(1, 0); }\n";
  EXPECT_EQ(written(defined), written("int f(int a, char *s);\n" + defined));
  EXPECT_EQ(written(defined), written("static long long f(int, char *);\n" + defined));
  // A variable made by a call, outside every function, is no prototype.
  const std::string uses = "int f(int a, char *s) { return a; }\nint main() { return f(x, 0) + v[1]; }\n";
  EXPECT_EQ("id=id(0,0);" + written(uses), written("int x = f(3, 0);\n" + uses));
  EXPECT_EQ("id<zh>id(0);" + written(uses), written("vector<int> v(10);\n" + uses));
}

TEST(CodeTokens, MacrosAndTypedefsAreReadThrough) {
  const std::string read = kRead;
  EXPECT_EQ(written("#define LOOP for\n") + in_main("for (i = 0; i < n; i++) t();"),
            written("#define LOOP for\nint main() {\nLOOP (i = 0; i < n; i++) t();" + read));
  EXPECT_EQ(written("typedef long long num;") + in_main("x = (long long)y;"),
            written("typedef long long num;\nint main() {\nx = (num)y;" + read));
  // A macro with parameters is not expanded.
  EXPECT_EQ(written("#define SQ(a) a*a\n") + in_main("x = SQ(y);"),
            written("#define SQ(a) a*a\nint main() {\nx = SQ(y);" + read));
  EXPECT_NE(std::string::npos, in_main("x = SQ(y);").find("id=id(id);"));
}

TEST(CodeTokens, EachTokenKeepsTheSourceItStandsFor) {
  const std::string text = "x = x + 1; // one more\n";
  const std::vector<batch::CodeToken> tokens = batch::code_tokens(text);
  ASSERT_GE(tokens.size(), 3u);
  EXPECT_EQ("++", tokens[0].written);
  EXPECT_EQ("x = x + 1", text.substr(tokens[0].begin, tokens[0].end - tokens[0].begin));
  EXPECT_EQ("one", text.substr(tokens[tokens.size() - 2].begin, 3));
  // A submission's characters name the lines they come from, comments too.
  batch::Submission s;
  batch::append_file(&s, batch::SourceFile{"a.c", "int a;\n/* note */\nb = 2;\n"});
  ASSERT_EQ(s.tokens.size(), s.char_line.size());
  EXPECT_EQ("id=0;/*id*/", s.tokens);
  EXPECT_EQ(3u, s.char_line[0]);  // `b`: the declaration sets nothing
  EXPECT_EQ(2u, s.char_line[5]);  // the comment, after the code
}

TEST(CodeTokens, AnyBytesGiveTokensThatCanMatch) {
  // No space (the collapse mark) or NUL in what is written, and every
  // token's bytes inside the text, whatever the text.
  std::mt19937 random(7);
  const std::string alphabet = "for(;;){}#define x\n\"'/*+-=?:0123\\\xb5\xd0\x01";
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 60);
    for (int k = 0; k < length; ++k) text += alphabet[random() % alphabet.size()];
    for (const batch::CodeToken& t : batch::code_tokens(text)) {
      ASSERT_FALSE(t.written.empty()) << text;
      ASSERT_EQ(std::string::npos, t.written.find(' ')) << text;
      ASSERT_EQ(std::string::npos, t.written.find('\0')) << text;
      ASSERT_LE(t.begin, t.end) << text;
      ASSERT_LE(t.end, text.size()) << text;
    }
  }
}

}  // namespace
