// Names as evidence: which words of a source count, how rarity weighs them,
// and how they raise a pair's score.
#include "batch/name_evidence.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/scoring.h"
#include "tests/support/submission_of.h"

namespace {

using batch::NameVector;
using batch::Submission;
using Names = std::vector<std::string>;

Submission made_of(const std::string& name, const std::string& source) {
  return testing_support::submission_of(name, source);
}

double agreement(const std::vector<NameVector>& v, std::size_t x, std::size_t y) {
  return batch::name_agreement(v[x], v[y]);
}

TEST(NamesIn, IdentifiersLiteralsAndCommentWords) {
  EXPECT_EQ((Names{"i:total", "i:n", "s:\"Sum: %d\\n\"", "i:total"}),
            batch::names_in("int total = n; printf(\"Sum: %d\\n\", total);"));
  // Keywords, numbers with letters in them and character literals are no
  // names; a comment gives its words, in lower case.
  EXPECT_EQ((Names{"i:x", "c:read", "c:the", "c:input", "c:x2"}),
            batch::names_in("unsigned long x = 0x1Fu + 1e5 + 'a'; // Read THE input\n/* x2 */"));
  // Bytes above 0x7F make words: a Chinese comment counts.
  EXPECT_EQ((Names{"c:\xb1\xe4\xc1\xbf", "c:ok"}), batch::names_in("/* \xb1\xe4\xc1\xbf ok */"));
  // An escaped quote stays inside the literal.
  EXPECT_EQ((Names{"s:\"a\\\"b\"", "i:c"}), batch::names_in("\"a\\\"b\" c"));
}

TEST(NamesIn, UnclosedCommentsAndLiteralsEndQuietly) {
  EXPECT_EQ((Names{"c:never", "c:closed"}), batch::names_in("/* never closed"));
  EXPECT_EQ((Names{"s:\"open", "i:next"}), batch::names_in("\"open\nnext"));
  EXPECT_EQ((Names{"s:\"\\"}), batch::names_in("\"\\"));
  EXPECT_EQ(Names{}, batch::names_in("'"));
  EXPECT_EQ(Names{}, batch::names_in(""));
}

TEST(NameVectors, RareSharedNamesAgreeCommonOnesDoNot) {
  const std::vector<Submission> subs = {
      made_of("a", "int count_vowels(char *word) { return total; }"),
      made_of("b", "int count_vowels(char *word) { return total; }"),
      made_of("c", "int f(char *word) { return total; }"),
      made_of("d", "int g(char *s) { return total; }"),
  };
  const std::vector<NameVector> v = batch::name_vectors(subs, {}, 2);
  EXPECT_NEAR(1.0, agreement(v, 0, 1), 1e-6);
  EXPECT_EQ(agreement(v, 0, 2), agreement(v, 2, 0));
  EXPECT_GT(agreement(v, 0, 2), 0.0);  // "word" is shared by three of four
  EXPECT_LT(agreement(v, 0, 2), agreement(v, 0, 1));
  // "total" is everybody's: d shares nothing rare with anyone.
  EXPECT_EQ(0.0, agreement(v, 0, 3));
  EXPECT_EQ(0.0, agreement(v, 2, 3));
}

TEST(NameVectors, TemplateNamesCountForNothing) {
  const std::vector<Submission> subs = {
      made_of("a", "void solve_it(void) { helper(); }"),
      made_of("b", "void solve_it(void) { other(); }"),
      made_of("c", "void x(void) { y(); }"),
  };
  EXPECT_GT(agreement(batch::name_vectors(subs, {}, 1), 0, 1), 0.0);
  EXPECT_EQ(0.0, agreement(batch::name_vectors(subs, {"void solve_it(void);"}, 1), 0, 1));
}

TEST(NameVectors, SameNamesWhateverTheEncodingOrTheOrder) {
  // "Compute the total" in UTF-8 and in GBK.
  const std::string utf8 = "/* \xe8\xae\xa1\xe7\xae\x97\xe6\x80\xbb\xe5\x88\x86 */ int z;";
  const std::string gbk = "/* \xbc\xc6\xcb\xe3\xd7\xdc\xb7\xd6 */ int z;";
  std::vector<Submission> subs = {made_of("utf8", utf8), made_of("gbk", gbk),
                                  made_of("other", "int q;"), made_of("more", "int r;")};
  const std::vector<NameVector> v = batch::name_vectors(subs, {}, 2);
  EXPECT_NEAR(1.0, agreement(v, 0, 1), 1e-6);
  std::swap(subs[0], subs[3]);
  const std::vector<NameVector> swapped = batch::name_vectors(subs, {}, 1);
  EXPECT_EQ(agreement(v, 0, 1), agreement(swapped, 3, 1));
}

TEST(NameVectors, NoNamesNoAgreement) {
  const std::vector<Submission> subs = {made_of("a", "int;"), made_of("b", "int;")};
  const std::vector<NameVector> v = batch::name_vectors(subs, {}, 1);
  EXPECT_TRUE(v[0].ids.empty());
  EXPECT_EQ(0.0, agreement(v, 0, 1));
  EXPECT_TRUE(batch::name_vectors({}, {}, 2).empty());
}

TEST(SpreadNames, AgreesExactlyWithTheMergeForEveryPair) {
  std::vector<Submission> subs;
  for (int k = 0; k < 12; ++k) {
    std::string s;
    for (int w = 0; w < 9; ++w) s += "name" + std::to_string((k * 7 + w * w) % 23) + " ";
    subs.push_back(made_of("s" + std::to_string(k), s + "\"text " + std::to_string(k % 3) + "\""));
  }
  const std::vector<NameVector> v = batch::name_vectors(subs, {}, 2);
  batch::SpreadNames spread;
  EXPECT_EQ(0.0, spread.agreement(v[0]));  // nothing spread yet
  for (std::size_t x = 0; x < v.size(); ++x) {
    spread.spread(v[x]);
    for (std::size_t y = 0; y < v.size(); ++y) {
      EXPECT_EQ(batch::name_agreement(v[x], v[y]), spread.agreement(v[y])) << x << " " << y;
      EXPECT_EQ(batch::name_agreement(v[y], v[x]), spread.agreement(v[y])) << x << " " << y;
      // The index prunes by the reaches: they must bound every agreement.
      EXPECT_LE(spread.agreement(v[y]), v[x].reach * v[y].reach) << x << " " << y;
    }
  }
  EXPECT_NEAR(1.0, spread.agreement(v.back()), 1e-6);
  spread.clear();
  EXPECT_EQ(0.0, spread.agreement(v.back()));
}

TEST(SharedNames, TheRareOnesBothUseHeaviestFirst) {
  const std::vector<Submission> subs = {
      made_of("a", "int sum_up, cnt; /* Tally */ printf(\"Total %d\", sum_up + cnt + n);"),
      made_of("b", "int sum_up, cnt; // tally\nputs(\"Total %d\"); k = n + sum_up;"),
      made_of("c", "int cnt, n; int k;"),
      made_of("d", "int n;"),
  };
  const std::vector<NameVector> v = batch::name_vectors(subs, {}, 2);
  // "sum_up" is used twice on each side; "n" is everybody's; "cnt" three's,
  // so it weighs least; "k" is b's and c's.
  EXPECT_EQ((Names{"i:sum_up", "c:tally", "s:\"Total %d\"", "i:cnt"}),
            batch::shared_names(subs[0], v[0], subs[1], v[1], 10));
  EXPECT_EQ((Names{"i:sum_up", "c:tally"}), batch::shared_names(subs[0], v[0], subs[1], v[1], 2));
  EXPECT_EQ(Names{}, batch::shared_names(subs[0], v[0], subs[3], v[3], 10));
}

TEST(SharedNames, WrittenAsInTheSourceAndCutWhole) {
  EXPECT_EQ("sum_up", batch::name_as_written("i:sum_up", 60));
  EXPECT_EQ("\"Total %d\"", batch::name_as_written("s:\"Total %d\"", 60));
  EXPECT_EQ("// tally", batch::name_as_written("c:tally", 60));
  EXPECT_EQ("abc\xe2\x80\xa6", batch::name_as_written("i:abcdef", 3));
  // Never inside a character: the three bytes of U+8BA1 stay together.
  EXPECT_EQ("// \xe2\x80\xa6", batch::name_as_written("c:\xe8\xae\xa1\xe7\xae\x97", 4));
  EXPECT_EQ("// \xe8\xae\xa1\xe2\x80\xa6", batch::name_as_written("c:\xe8\xae\xa1\xe7\xae\x97", 6));
}

TEST(ScoreOf, NamesRaiseTheCodesScoreButNeverMakeIt) {
  const batch::ScoreRule rule;
  EXPECT_DOUBLE_EQ(0.5, batch::score_of(100, 200, 200, 200, 0, rule));
  EXPECT_DOUBLE_EQ(0.75, batch::score_of(100, 200, 200, 200, 1, rule));
  EXPECT_DOUBLE_EQ(0.625, batch::score_of(100, 200, 200, 200, 0.5, rule));
  EXPECT_DOUBLE_EQ(0.0, batch::score_of(0, 200, 200, 200, 1, rule));  // names alone: nothing
  EXPECT_DOUBLE_EQ(1.0, batch::score_of(200, 200, 200, 200, 1, rule));
  // Tiny submissions stay guarded: 30 matched of 40 is 30 / 100.
  EXPECT_DOUBLE_EQ(0.3 + 0.3 * 0.7, batch::score_of(30, 40, 40, 40, 1, rule));
  double last = 0;
  for (std::uint64_t m = 0; m <= 400; m += 40)
    for (double a : {0.0, 0.3, 1.0}) {
      const double s = batch::score_of(m, 300, 400, 400, a, rule);
      EXPECT_LE(s, 1.0);
      EXPECT_GE(s, batch::score_of(m, 300, 400, 400, 0, rule));
      if (a == 1.0) {
        EXPECT_GE(s, last);
        last = s;
      }
    }
}

}  // namespace
