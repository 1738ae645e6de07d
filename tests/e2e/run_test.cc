// The real ccsim binary in a scratch folder, standard input piped in;
// standard output and all four files compared byte for byte.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "tests/support/encodings.h"
#include "tests/support/run_binary.h"
#include "tests/support/temp_dir.h"

namespace {

using std::string;
using testing_support::file_exists;
using testing_support::gbk;
using testing_support::read_bytes;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::write_bytes;

const string kIntro = gbk(
    "请把两个文件分别命名为 \"file1.c\" 和 \"file2.c\",放到此程序的目录下，再回到此程序按下回车\n");
const string kReady = gbk("\ntoken串已生成成功");
const string kQuestions =
    gbk("是否要查看这两个token串？Y/N \n将超过指定长度的公共子串用空格替换，是否要查看细节？Y/N ");

string legend_crlf() {
  return gbk(
      "\t***** 单词类型观察表 *****\r\n\t K --int,short,long \r\n\t E --float,double\r\n"
      "\t Y --其他关键字\r\n\t A --运算符号\r\n\t R --语言符号\r\n\t N --数字\r\n"
      "\t H --汉字\r\n\t C --一般变量或标识符\r\n\t*****************************\r\n");
}

string report(const string& matched, const string& n, bool suspected) {
  const string dashes = "——————————————————————————";
  return gbk("\n已经没有能够匹配的公共子串了\n公共子串的总长为" + matched + ",根据公式\n\t\t" +
             dashes + "\n\t\t| 相似度=(2×公共子串长度)÷(串A长度+串B长度) |\n\t\t" + dashes +
             "\n这两串代码的相似度为" + n + "\n\n相似度超过0.8，则认为是抄袭" +
             (suspected ? "\n这两个代码有抄袭嫌疑，请做进一步检查" : "\n这两个代码没有抄袭嫌疑"));
}

class RunTest : public ::testing::Test {
 protected:
  RunResult run(const string& input, std::optional<string> path_env = std::nullopt) {
    RunOptions options;
    options.directory = dir_.path();
    options.input = input;
    options.path_env = path_env.value_or(kPlainPath);
    return testing_support::run_binary(CCSIM_BINARY, options);
  }
  static constexpr char kPlainPath[] = "/usr/bin:/bin";
  testing_support::ScopedTempDir dir_;
};

// A source with comments, Chinese text in GBK and CR LF line ends.
const string kSource1 =
    "int main()\r\n{\r\n\tint a=1; /* " + gbk("中文") + " */\r\n\tprintf(\"%d\",a);\r\n}\r\n";
const string kSource2 = "int main() {\n  float b = 1;\n  printf(\"%d\", b);\n}";

TEST_F(RunTest, WholeRunWithPassesShownIsExact) {
  write_bytes("file1.c", kSource1);
  write_bytes("file2.c", kSource2);
  const RunResult r = run("\n\nn\nY\n");
  ASSERT_EQ(0, r.exit_status);
  EXPECT_EQ("", r.err);
  const string t1 = "zhmain(){zhid=1;/**/printf(id,id);}";
  const string t2 = "zhmain(){fuid=1;printf(id,id);}";
  EXPECT_EQ(t1, read_bytes("token1.txt"));
  EXPECT_EQ(t2, read_bytes("token2.txt"));
  const string passes = gbk("第1次检查两串中的匹配串\n") +
                        "zhmain(){zhid=1;/**/ \nzhmain(){fuid=1; \n" +
                        gbk("第2次检查两串中的匹配串\n") + " zhid=1;/**/ \n fuid=1; \n" +
                        gbk("第3次检查两串中的匹配串\n") + " zh /**/ \n fu  \n" +
                        gbk("第4次检查两串中的匹配串\n") + " zh /**/ \n fu  \n";
  EXPECT_EQ(kIntro + kReady + gbk("token串1长度为35，token串2长度为31\n") + kQuestions + passes +
                report("29", "0.878788", true),
            r.out);
  EXPECT_EQ(
      legend_crlf() +
          "(K,int,0)\r\n(Y,main,1)\r\n(R,(,2)\r\n(R,),3)\r\n(R,{,4)\r\n(K,int,5)\r\n"
          "(C,a,6)\r\n(A,=,7)\r\n(N,1,8)\r\n(R,;,9)\r\n(A,/,10)\r\n(A,*,11)\r\n"
          "(H,\xd6,12)\r\n(H,\xd0,13)\r\n(H,\xce,14)\r\n(H,\xc4,15)\r\n(A,*,16)\r\n(A,/,17)\r\n"
          "(Y,printf,18)\r\n(R,(,19)\r\n(H,\",20)\r\n(H,%,21)\r\n(C,d,22)\r\n(H,\",23)\r\n"
          "(R,,,24)\r\n(C,a,25)\r\n(R,),26)\r\n(R,;,27)\r\n(R,},28)\r\n",
      read_bytes("list1.txt"));
  EXPECT_EQ(0u, read_bytes("list2.txt").find(legend_crlf() + "(K,int,0)\r\n"));
  EXPECT_EQ(kSource1, read_bytes("file1.c"));
}

TEST_F(RunTest, ExtraCharactersAreTakenByTheFollowingReads) {
  // "ab\n" at the first prompt: 'b' is the read after the success message,
  // '\n' answers the viewing question, 'n' is discarded, 'y' shows passes.
  write_bytes("file1.c", "abcd");
  write_bytes("file2.c", "abcd");
  const RunResult r = run("ab\nny");
  ASSERT_EQ(0, r.exit_status);
  EXPECT_EQ(kIntro + kReady + gbk("token串1长度为2，token串2长度为2\n") + kQuestions +
                gbk("第1次检查两串中的匹配串\n") + "id\nid\n" + report("0", "0.000000", false),
            r.out);
}

TEST_F(RunTest, ClosedInputRunsToTheEnd) {
  write_bytes("file1.c", "");
  write_bytes("file2.c", "");
  RunOptions options;
  options.directory = dir_.path();
  const RunResult r = testing_support::run_binary(CCSIM_BINARY, options);
  ASSERT_EQ(0, r.exit_status);
  EXPECT_EQ(0u, r.out.find(kIntro + kReady + gbk("token串1长度为0，token串2长度为0\n")));
  EXPECT_NE(string::npos, r.out.find("nan\n"));
  EXPECT_EQ(legend_crlf(), read_bytes("list1.txt"));
  EXPECT_EQ("", read_bytes("token2.txt"));
}

TEST_F(RunTest, MissingFirstSourceCreatesNothingAndFails) {
  write_bytes("file2.c", "int");
  const RunResult r = run("\n");
  EXPECT_EQ(1, r.exit_status);
  EXPECT_EQ(kIntro + gbk("源文件无法打开！\n"), r.out);
  for (const char* f : {"list1.txt", "token1.txt", "list2.txt", "token2.txt"})
    EXPECT_FALSE(file_exists(f)) << f;
}

TEST_F(RunTest, MissingSecondSourceLeavesTheFirstFilesComplete) {
  write_bytes("file1.c", "int x;");
  const RunResult r = run("\n");
  EXPECT_EQ(1, r.exit_status);
  EXPECT_EQ(kIntro + gbk("源文件无法打开！\n"), r.out);
  EXPECT_EQ("zhid;", read_bytes("token1.txt"));
  EXPECT_EQ(legend_crlf() + "(K,int,0)\r\n(C,x,1)\r\n(R,;,2)\r\n", read_bytes("list1.txt"));
  EXPECT_FALSE(file_exists("list2.txt"));
  EXPECT_FALSE(file_exists("token2.txt"));
}

TEST_F(RunTest, ADialogueThatCannotBeWrittenIsAFailure) {
  write_bytes("file1.c", kSource1);
  write_bytes("file2.c", kSource2);
  RunOptions options;
  options.directory = dir_.path();
  options.input = "\n\nn\nn\n";
  options.output_path = "/dev/full";
  RunResult r = testing_support::run_binary(CCSIM_BINARY, options);
  EXPECT_EQ(1, r.exit_status);
  EXPECT_EQ("ccsim: standard output could not be written; the result is lost\n", r.err);
  // Closed at the start: held on /dev/null, so no output file takes its
  // place, and still no result.
  options.output_path.reset();
  options.args = {"-c", string("exec \"") + CCSIM_BINARY + "\" >&-"};
  r = testing_support::run_binary("/bin/sh", options);
  EXPECT_EQ(1, r.exit_status);
  EXPECT_EQ("ccsim: standard output could not be written; the result is lost\n", r.err);
  EXPECT_EQ(0u, read_bytes("list1.txt").find(legend_crlf()));
  EXPECT_EQ(string::npos, read_bytes("list1.txt").find(kIntro));
  // A reader gone (`| head -3`): said, not a death by SIGPIPE; the files
  // are made all the same.
  options.args.clear();
  options.output_to_closed_pipe = true;
  std::remove("list2.txt");
  r = testing_support::run_binary(CCSIM_BINARY, options);
  EXPECT_EQ(1, r.exit_status);
  EXPECT_EQ("ccsim: standard output could not be written; the result is lost\n", r.err);
  EXPECT_EQ(0u, read_bytes("list2.txt").find(legend_crlf()));
}

TEST_F(RunTest, RunningOutOfMemoryEndsWithAMessageNotAnAbort) {
#ifdef CCSIM_SANITIZED
  GTEST_SKIP() << "address space limits do not apply to sanitized builds";
#endif
  const string line = "int f(int a){return a*3+1;}\n";
  string big;
  for (int k = 0; k < (40 << 20) / static_cast<int>(line.size()); ++k) big += line;
  write_bytes("file1.c", big);
  write_bytes("file2.c", kSource2);
  write_bytes("list1.txt", "an earlier run's list");
  write_bytes("token1.txt", "zhid;");
  RunOptions options;
  options.directory = dir_.path();
  options.input = "\n\nn\nn\n";
  options.args = {"-c", string("ulimit -v 400000 && exec \"") + CCSIM_BINARY + "\""};
  const RunResult r = testing_support::run_binary("/bin/sh", options);
  EXPECT_EQ(1, r.exit_status);
  EXPECT_EQ("ccsim: out of memory\n", r.err);
  EXPECT_EQ(kIntro, r.out);
  // Nothing was written: the earlier run's files are as they were.
  EXPECT_EQ("an earlier run's list", read_bytes("list1.txt"));
  EXPECT_EQ("zhid;", read_bytes("token1.txt"));
}

// An output name that leads elsewhere would overwrite what it leads to: a
// source above all, which would then be compared ruined.
TEST_F(RunTest, OutputsThatAreLinksAreRefusedBeforeAnythingIsWritten) {
  const string copy = kSource1 + "int spare(int q) { return q + q * 2; }\r\n";
  struct Case {
    const char* output;
    const char* target;
    bool hard;
  };
  for (const Case c : {Case{"list1.txt", "file2.c", false}, Case{"token1.txt", "file2.c", true},
                       Case{"list2.txt", "file1.c", false}, Case{"token2.txt", "notes.txt", false},
                       Case{"list1.txt", "absent.txt", false}}) {
    SCOPED_TRACE(c.output + string(" -> ") + c.target);
    testing_support::ScopedTempDir fresh;
    write_bytes("file1.c", kSource1);
    write_bytes("file2.c", copy);
    write_bytes("notes.txt", "a teacher's notes");
    ASSERT_EQ(0, c.hard ? link(c.target, c.output) : symlink(c.target, c.output));
    RunOptions options;
    options.directory = fresh.path();
    options.input = "\n\nn\nn\n";
    const RunResult r = testing_support::run_binary(CCSIM_BINARY, options);
    EXPECT_EQ(1, r.exit_status);
    EXPECT_NE(string::npos, r.out.rfind(gbk("文件写入失败！\n")));
    EXPECT_EQ(string::npos, r.out.find(gbk("相似度")));
    EXPECT_EQ(0u, r.err.find(string("ccsim: ") + c.output + " is "));
    EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n'));
    EXPECT_EQ(kSource1, read_bytes("file1.c"));
    EXPECT_EQ(copy, read_bytes("file2.c"));
    EXPECT_EQ("a teacher's notes", read_bytes("notes.txt"));
    EXPECT_FALSE(file_exists("absent.txt"));
  }
}

TEST_F(RunTest, ReadOnlySourcesAreCompared) {
  write_bytes("file1.c", "int x;");
  write_bytes("file2.c", "int y;");
  chmod("file1.c", 0444);
  chmod("file2.c", 0444);
  const RunResult r = run("\n\nn\nn\n");
  EXPECT_EQ(0, r.exit_status);
  EXPECT_NE(string::npos, r.out.find(report("5", "1.000000", true)));
}

// A stand-in xdg-open that logs what it was asked to open, then does
// `then` (a shell command).
void install_fake_xdg_open(const string& bin, const string& then = "") {
  mkdir(bin.c_str(), 0755);
  write_bytes(bin + "/xdg-open",
              "#!/bin/sh\necho \"$1\" >> \"" + bin + "/opened.log\"\n" + then + "\n");
  chmod((bin + "/xdg-open").c_str(), 0755);
}

string wait_for_lines(const string& path, std::size_t lines) {
  for (int i = 0; i < 500; ++i) {
    if (file_exists(path)) {
      const string log = read_bytes(path);
      if (static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n')) >= lines) return log;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return file_exists(path) ? read_bytes(path) : "";
}

TEST_F(RunTest, YesHandsBothTokenFilesToTheDesktopViewer) {
  const string bin = dir_.path() + "/bin";
  install_fake_xdg_open(bin);
  write_bytes("file1.c", "int x;");
  write_bytes("file2.c", "int y;");
  const RunResult r = run("\n\ny\nn\n", bin + ":/usr/bin:/bin");
  EXPECT_EQ(0, r.exit_status);
  EXPECT_EQ("", r.err);
  // Both are handed over, in order (the unit tests pin that); the viewers
  // run detached, so their log lines may land either way round.
  const string log = wait_for_lines(bin + "/opened.log", 2);
  EXPECT_TRUE(log == "token1.txt\ntoken2.txt\n" || log == "token2.txt\ntoken1.txt\n") << log;
}

TEST_F(RunTest, NoViewerSaysWhereTheFilesAreWithoutTouchingTheDialogue) {
  write_bytes("file1.c", "int x;");
  write_bytes("file2.c", "int y;");
  const RunResult without = run("\n\ny\nn\n", dir_.path() + "/nothing-here");
  const RunResult declined = run("\n\nn\nn\n");
  EXPECT_EQ(0, without.exit_status);
  EXPECT_EQ(declined.out, without.out);
  EXPECT_EQ("ccsim: no desktop viewer could be started; the token files are " + dir_.path() +
                "/token1.txt and " + dir_.path() + "/token2.txt\n",
            without.err);
}

// On a machine without a desktop xdg-open is there but shows nothing (it
// exits 3): the user is told where the files are, as where there is no
// xdg-open at all, and the dialogue is the same.
TEST_F(RunTest, AViewerThatCannotShowTheFilesSaysWhereTheyAre) {
  const string bin = dir_.path() + "/bin";
  install_fake_xdg_open(bin, "exit 3");
  write_bytes("file1.c", "int x;");
  write_bytes("file2.c", "int y;");
  const RunResult failed = run("\n\ny\nn\n", bin + ":/usr/bin:/bin");
  const RunResult declined = run("\n\nn\nn\n");
  EXPECT_EQ(0, failed.exit_status);
  EXPECT_EQ(declined.out, failed.out);
  EXPECT_EQ("ccsim: no desktop viewer could be started; the token files are " + dir_.path() +
                "/token1.txt and " + dir_.path() + "/token2.txt\n",
            failed.err);
  const string log = wait_for_lines(bin + "/opened.log", 2);  // both were tried, at once
  EXPECT_TRUE(log == "token1.txt\ntoken2.txt\n" || log == "token2.txt\ntoken1.txt\n") << log;
}

// A viewer that shows the files in the foreground is not waited for: the
// dialogue goes on, and nothing is said.
TEST_F(RunTest, AViewerStillShowingTheFilesIsNotWaitedFor) {
  const string bin = dir_.path() + "/bin";
  install_fake_xdg_open(bin, "sleep 8");
  write_bytes("file1.c", "int x;");
  write_bytes("file2.c", "int y;");
  const auto start = std::chrono::steady_clock::now();
  const RunResult shown = run("\n\ny\nn\n", bin + ":/usr/bin:/bin");
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(0, shown.exit_status);
  EXPECT_EQ("", shown.err);
  EXPECT_EQ(run("\n\nn\nn\n").out, shown.out);
  EXPECT_LT(seconds, 6.0);  // the viewers sleep 8 s; the two are watched 2 s at once
  const string log = wait_for_lines(bin + "/opened.log", 2);
  EXPECT_TRUE(log == "token1.txt\ntoken2.txt\n" || log == "token2.txt\ntoken1.txt\n") << log;
}

}  // namespace
