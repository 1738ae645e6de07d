// The HTML report as a browser shows it: headless Chromium renders it, the
// tiles of a known pair are marked on both sides, and it asks the network
// for nothing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "tests/support/run_binary.h"
#include "tests/support/temp_dir.h"

namespace {

using std::string;
using testing_support::read_bytes;
using testing_support::RunOptions;
using testing_support::RunResult;

const string kChromium = "/usr/bin/chromium";

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RunOptions options;
    options.directory = dir_.path();
    options.args = {"--quiet",  "--base",      CCSIM_SOURCE_DIR "/examples/class-template",
                    "--report", "report.html", CCSIM_SOURCE_DIR "/examples/class"};
    ASSERT_EQ(1, testing_support::run_binary(CCSIM_BATCH_BINARY, options).exit_status);
    report_ = read_bytes(dir_.path() + "/report.html");
  }

  // Chromium's rendering of the report; its network log goes to `net_log`.
  string render(const string& page, const string& net_log) {
    RunOptions options;
    options.directory = dir_.path();
    options.args = {"--headless",
                    "--no-sandbox",
                    "--disable-gpu",
                    "--disable-quic",
                    "--no-first-run",
                    "--disable-background-networking",
                    "--disable-component-update",
                    "--disable-sync",
                    "--user-data-dir=" + dir_.path() + "/profile-" + net_log,
                    "--log-net-log=" + dir_.path() + "/" + net_log,
                    "--dump-dom",
                    "file://" + dir_.path() + "/" + page};
    options.timeout_seconds = 120;
    return testing_support::run_binary(kChromium, options).out;
  }

  // The initiators of the requests in a network log: pages have an origin
  // ("null" for a file), the browser's own requests have none.
  std::set<string> initiators(const string& net_log) {
    std::set<string> found;
    const string log = read_bytes(dir_.path() + "/" + net_log);
    const string key = "\"initiator\":\"";
    for (std::size_t at = log.find(key); at != string::npos; at = log.find(key, at + 1)) {
      const std::size_t begin = at + key.size();
      found.insert(log.substr(begin, log.find('"', begin) - begin));
    }
    return found;
  }

  testing_support::ScopedTempDir dir_;
  string report_;
};

std::set<string> tiles_marked(const string& html) {
  std::set<string> tiles;
  const string key = "<mark data-t=\"";
  for (std::size_t at = html.find(key); at != string::npos; at = html.find(key, at + 1)) {
    const std::size_t begin = at + key.size();
    tiles.insert(html.substr(begin, html.find('"', begin) - begin));
  }
  return tiles;
}

TEST_F(ReportTest, RefersToNothingOutsideItself) {
  EXPECT_NE(string::npos, report_.find("Content-Security-Policy"));
  EXPECT_NE(string::npos, report_.find("script-src 'sha256-"));
  EXPECT_EQ(string::npos, report_.find("unsafe-inline"));
  for (const char* outside : {"http:", "https:", "src=", "<link", "@import", "url(", "fetch(",
                              "XMLHttpRequest", "WebSocket", "import("})
    EXPECT_EQ(string::npos, report_.find(outside)) << outside;
}

// The evidence of the top pair, as the browser draws it when the page is
// opened at #pair-1.
string evidence(const string& dom) {
  const std::size_t begin = dom.find("<div id=\"evidence-body\">");
  return begin == string::npos ? "" : dom.substr(begin, dom.find("</section>", begin) - begin);
}

TEST_F(ReportTest, RenderedTilesOfTheTopPairAreMarkedOnBothSides) {
  if (access(kChromium.c_str(), X_OK) != 0)
    GTEST_SKIP() << "no " << kChromium << " (apt-get install chromium)";
  // Drawn by the page's own script: a wrong hash in the policy would stop it.
  const string article = evidence(render("report.html#pair-1", "net.json"));
  ASSERT_NE(string::npos, article.find("<article id=\"pair-1\">"))
      << "no evidence for the top pair";
  EXPECT_NE(string::npos, article.find("alice.c"));
  EXPECT_NE(string::npos, article.find("bob.c"));
  const std::size_t second_side =
      article.find("<div class=\"side\">", article.find("<div class=\"side\">") + 1);
  ASSERT_NE(string::npos, second_side);
  const std::set<string> left = tiles_marked(article.substr(0, second_side));
  const std::set<string> right = tiles_marked(article.substr(second_side));
  // The pair's four tiles, less the one whose text (the messages) lies all
  // inside the code the others mark.
  EXPECT_EQ((std::set<string>{"0", "1", "2"}), left);
  EXPECT_EQ(left, right);
  EXPECT_NE(string::npos, article.find("<span class=\"tpl\""));  // template code greyed
  // The matched line ranges, as the JSON gives the first tile's lines, and
  // the block's size in lines and in characters. The longest block runs
  // from the code on into the text of messages and comments: the lines it
  // holds are named in order, each once.
  EXPECT_NE(string::npos, article.find("title=\"388 matched token-string characters\">"
                                       "<span class=\"swatch\" style=\"background: rgb("))
      << article.substr(0, 2000);
  EXPECT_NE(string::npos, article.find("alice.c 5, 9, 16, 43–68 ↔ bob.c 5, 9, 16, 44–69"
                                       "<span class=\"size\"> — 29 lines</span>"))
      << article.substr(article.find("class=\"blocks\""), 3000);
  // The rare names the two share (bob.c renamed the rest), heaviest first.
  EXPECT_NE(string::npos, article.find("heaviest first: <span><code>\"%c: %d\\n\"</code>"
                                       "<code>\"ABCDF\"</code></span>"))
      << article.substr(0, 2000);
}

TEST_F(ReportTest, CodeCommonToTheClassIsGreyedApartFromTheTemplate) {
  if (access(kChromium.c_str(), X_OK) != 0)
    GTEST_SKIP() << "no " << kChromium << " (apt-get install chromium)";
  // Without the template handed over, the skeleton is found as common code.
  RunOptions options;
  options.directory = dir_.path();
  options.args = {"--quiet", "--report", "common.html", CCSIM_SOURCE_DIR "/examples/class"};
  ASSERT_EQ(1, testing_support::run_binary(CCSIM_BATCH_BINARY, options).exit_status);
  const string page = read_bytes(dir_.path() + "/common.html");
  EXPECT_NE(string::npos, page.find("code found in 10 or more submissions counts for nothing"));
  const string article = evidence(render("common.html#pair-1", "common.json"));
  EXPECT_NE(string::npos, article.find("<span class=\"common\" title=\"common to the class\">"));
  EXPECT_EQ(string::npos, article.find("<span class=\"tpl\""));
  // The report with the template greys that instead.
  EXPECT_NE(string::npos,
            evidence(render("report.html#pair-1", "tpl.json")).find("<span class=\"tpl\""));
}

// A pair's figures in lines: the share of each side's own lines in matched
// blocks, and the longest block in lines.
TEST_F(ReportTest, PairsCarryTheirFiguresInLines) {
  // bob.c is alice.c renamed and reordered: all of their own code matched;
  // the longest block, alice.c 45-67 against bob.c 46-68, less its blank
  // and template lines.
  EXPECT_NE(string::npos, report_.find("\"la\":1.000000,\"lb\":1.000000,\"lk\":22,"));
  // Each share in [0, 1] and each longest block shorter than the files.
  for (std::size_t at = report_.find("\"la\":"); at != string::npos;
       at = report_.find("\"la\":", at + 1)) {
    const double la = std::stod(report_.substr(at + 5));
    const std::size_t lb_at = report_.find("\"lb\":", at);
    const double lb = std::stod(report_.substr(lb_at + 5));
    const int lk = std::stoi(report_.substr(report_.find("\"lk\":", at) + 5));
    EXPECT_GT(la, 0);
    EXPECT_LE(la, 1);
    EXPECT_GT(lb, 0);
    EXPECT_LE(lb, 1);
    EXPECT_GT(lk, 0);
    EXPECT_LT(lk, 80);
  }
}

// The number of arrays in the JSON array of arrays of numbers at `at`.
std::size_t arrays_in(const string& json, std::size_t at) {
  std::size_t count = 0;
  int depth = 0;
  for (std::size_t k = at; k < json.size(); ++k) {
    if (json[k] == '[' && ++depth == 2) ++count;
    if (json[k] == ']' && --depth == 0) break;
  }
  return count;
}

// The blocks a pair's row counts are those its evidence draws: a tile whose
// text a longer tile has marked already (alice.c's messages, inside the
// code round them) is counted by neither.
TEST_F(ReportTest, TheBlocksCountedAreTheBlocksDrawn) {
  std::size_t pairs = 0;
  for (std::size_t at = report_.find("{\"r\":"); at != string::npos;
       at = report_.find("{\"r\":", at + 1)) {
    const std::size_t blocks = std::stoul(report_.substr(report_.find("\"t\":", at) + 4));
    const std::size_t k = report_.find("\"k\":[", at) + 4;
    EXPECT_EQ(blocks, arrays_in(report_, k)) << report_.substr(at, 80);
    ++pairs;
  }
  EXPECT_GT(pairs, 1u);
  EXPECT_NE(string::npos, report_.find("{\"r\":1,\"a\":0,\"b\":1,")) << "alice.c and bob.c first";
  EXPECT_NE(string::npos, report_.find("\"t\":3,", report_.find("{\"r\":1,")));
}

TEST_F(ReportTest, MakesNoNetworkRequest) {
  if (access(kChromium.c_str(), X_OK) != 0)
    GTEST_SKIP() << "no " << kChromium << " (apt-get install chromium)";
  // A page that does reach out shows up in the log with its origin.
  testing_support::write_bytes(dir_.path() + "/reaching.html",
                               "<img src=\"http://127.0.0.1:9/x.png\">");
  render("reaching.html", "reaching.json");
  ASSERT_EQ(1u, initiators("reaching.json").count("null")) << "the log does not show page requests";
  render("report.html", "report.json");
  for (const string& initiator : initiators("report.json"))
    EXPECT_EQ("not an origin", initiator) << "the report made a request";
}

}  // namespace
