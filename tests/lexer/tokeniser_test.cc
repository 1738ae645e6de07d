#include "lexer/tokeniser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lexer/token_files.h"

namespace {

using lexer::tokenise;
using Tokens = std::vector<std::string>;

TEST(Tokeniser, OperatorsPairOnlyAsListed) {
  EXPECT_EQ((Tokens{"a", "+", "=", "b"}), tokenise("a+=b"));
  EXPECT_EQ((Tokens{"a", "==", "b"}), tokenise("a==b"));
  EXPECT_EQ((Tokens{"a", "=", "!", "b"}), tokenise("a=!b"));
  EXPECT_EQ((Tokens{"x", "<=", "y"}), tokenise("x<=y"));
  EXPECT_EQ((Tokens{"x", ">", ">", "1"}), tokenise("x>>1"));
  EXPECT_EQ((Tokens{"p", "-", ">", "q"}), tokenise("p->q"));
  EXPECT_EQ((Tokens{"++", "+"}), tokenise("+++"));
  EXPECT_EQ((Tokens{"&&", "||", "--", "!="}), tokenise("&&||--!="));
}

TEST(Tokeniser, WordsNumbersAndOtherBytes) {
  EXPECT_EQ((Tokens{"my", "_", "var"}), tokenise("my_var"));
  EXPECT_EQ((Tokens{"1", ".", "5"}), tokenise("1.5"));
  EXPECT_EQ((Tokens{"0x1F", "12ab"}), tokenise("0x1F 12ab"));
  EXPECT_EQ((Tokens{"/", "/", "sum"}), tokenise("// sum"));
  EXPECT_EQ((Tokens{"\xd6", "\xd0", "a"}), tokenise("\xd6\xd0"
                                                    "a"));
  // Only tab, space and line feed separate; other control bytes are tokens.
  EXPECT_EQ((Tokens{"a", "\r", "\v", "b"}), tokenise("a\t\r\v\nb"));
}

TEST(Tokeniser, ReportsWhereEachTokenStarts) {
  std::vector<std::size_t> starts;
  EXPECT_EQ((Tokens{"int", "x", "<=", "", "1"}),
            tokenise(std::string("int x <=\0\n1", 11), &starts));
  EXPECT_EQ((std::vector<std::size_t>{0, 4, 6, 8, 10}), starts);
}

TEST(Tokeniser, NulByteIsAnEmptyToken) {
  EXPECT_EQ((Tokens{"a", "", "b"}), tokenise(std::string("a\0b", 3)));
}

TEST(Tokeniser, LastTokenAtEndOfInputIsKeptOnce) {
  EXPECT_EQ((Tokens{"x", "="}), tokenise("x="));
  EXPECT_EQ((Tokens{"x", "<"}), tokenise("x<"));
  EXPECT_EQ((Tokens{"abc"}), tokenise("abc"));
  EXPECT_EQ(Tokens{}, tokenise(""));
  EXPECT_EQ(Tokens{}, tokenise(" \t\n"));
}

TEST(Tokeniser, LongWordsSplitAt9999) {
  const Tokens t = tokenise(std::string(25000, 'w'));
  ASSERT_EQ(3u, t.size());
  EXPECT_EQ(9999u, t[0].size());
  EXPECT_EQ(9999u, t[1].size());
  EXPECT_EQ(5002u, t[2].size());
}

TEST(Tokeniser, SmallProgram) {
  const Tokens t = tokenise("int main()\n{\n\tint a=1;\n\tprintf(\"%d\",a);\n}\n");
  EXPECT_EQ(21u, t.size());
  EXPECT_EQ("zhmain(){zhid=1;printf(id,id);}", lexer::token_string(t));
}

TEST(TokenFiles, TokenStringWritesCodesAndDropsH) {
  EXPECT_EQ("zhzhzhfufuididid", lexer::token_string({"int", "long", "short", "float", "double", "x",
                                                     "%", "\xb5", "", "Y", "x"}));
  EXPECT_EQ("while(1){break;}", lexer::token_string(tokenise("while (1) { break; }")));
}

TEST(TokenFiles, ListTextHasLegendThenOneLinePerToken) {
  const std::string list = lexer::list_text({"int", "main", "(", ")", ""});
  const std::size_t legend_end = list.find("(K,");
  ASSERT_NE(std::string::npos, legend_end);
  EXPECT_EQ("(K,int,0)\n(Y,main,1)\n(R,(,2)\n(R,),3)\n(H,,4)\n", list.substr(legend_end));
}

}  // namespace
