// The texts themselves. This unit is compiled with -fexec-charset=GBK.
#include "text/messages.h"

#include <cstdio>

namespace text {
namespace {

// The formats below hold GBK bytes; no GBK byte is '%', so snprintf sees only
// the conversions written here.
template <typename... Args>
std::string format(const char* fmt, Args... args) {
  char buf[256];
  const int n = std::snprintf(buf, sizeof buf, fmt, args...);
  return std::string(buf, n < 0 ? 0 : static_cast<std::size_t>(n));
}

}  // namespace

const std::string_view kInstruction =
    "请把两个文件分别命名为 \"file1.c\" 和 \"file2.c\",放到此程序的目录下，"
    "再回到此程序按下回车\n";
const std::string_view kTokensReady = "\ntoken串已生成成功";

const std::string_view kLegend =
    "\t***** 单词类型观察表 *****\n"
    "\t K --int,short,long \n"
    "\t E --float,double\n"
    "\t Y --其他关键字\n"
    "\t A --运算符号\n"
    "\t R --语言符号\n"
    "\t N --数字\n"
    "\t H --汉字\n"
    "\t C --一般变量或标识符\n"
    "\t*****************************\n";
const std::string_view kSourceOpenFailed = "源文件无法打开！\n";
const std::string_view kWriteFailed = "文件写入失败！\n";

std::string token_length_1(long long length) { return format("token串1长度为%lld，", length); }
std::string token_length_2(long long length) { return format("token串2长度为%lld\n", length); }
const std::string_view kViewQuestion = "是否要查看这两个token串？Y/N ";
const std::string_view kDetailQuestion =
    "\n将超过指定长度的公共子串用空格替换，是否要查看细节？Y/N ";
std::string pass_heading(long long pass) { return format("第%lld次检查两串中的匹配串\n", pass); }
const std::string_view kNoMoreMatches = "\n已经没有能够匹配的公共子串了\n";
std::string matched_total(long long matched) { return format("公共子串的总长为%lld,", matched); }
const std::string_view kFormula =
    "根据公式\n"
    "\t\t——————————————————————————\n"
    "\t\t| 相似度=(2×公共子串长度)÷(串A长度+串B长度) |\n"
    "\t\t——————————————————————————\n";
std::string similarity(float n) {
  return format("这两串代码的相似度为%f\n", static_cast<double>(n));
}
const std::string_view kFileOpenFailed = "文件打开失败！";

const std::string_view kThresholdNote = "\n相似度超过0.8，则认为是抄袭";
const std::string_view kSuspected = "\n这两个代码有抄袭嫌疑，请做进一步检查";
const std::string_view kNotSuspected = "\n这两个代码没有抄袭嫌疑";

std::string source_unreadable(std::string_view file) {
  return "ccsim: " + std::string(file) + ": no regular file that can be read\n";
}

const std::string_view kOutputIsALink =
    "is a link, and writing it would write the file it leads to; remove the link";
const std::string_view kOutputIsASource =
    "is the same file as a source (a hard link); remove that name";
const std::string_view kOutputUnwritable = "cannot be written";
const std::string_view kOutputNotWritten =
    "and its token file could not be written in full; both are as they were";

std::string output_refused(std::string_view file, std::string_view why) {
  return "ccsim: " + std::string(file) + " " + std::string(why) + "\n";
}

const std::string_view kOutputLost =
    "ccsim: standard output could not be written; the result is lost\n";
const std::string_view kOutOfMemory = "ccsim: out of memory\n";

std::string text_ends_early(std::string_view file, std::size_t offset) {
  return "ccsim: " + std::string(file) + ": the text ends at the 0x1A byte at offset " +
         std::to_string(offset) + "; what follows it is not compared\n";
}

std::string viewer_unavailable(std::string_view directory) {
  const std::string dir(directory);
  return "ccsim: no desktop viewer could be started; the token files are " + dir +
         "/token1.txt and " + dir + "/token2.txt\n";
}

}  // namespace text
