// Every text ccsim shows the user, as the exact bytes written (GBK).
//
// The literals live in messages.cc as readable UTF-8; the build compiles that
// unit with a GBK execution character set, so what leaves these functions and
// constants is already GBK. Nothing else in the program holds user-visible text.
#pragma once

#include <string>
#include <string_view>

namespace text {

// Run driver.
extern const std::string_view kInstruction;  // ends with a line end
extern const std::string_view kTokensReady;  // no line end

// Tokeniser: list file legend (ten lines, LF ends) and failures (with line end).
extern const std::string_view kLegend;
extern const std::string_view kSourceOpenFailed;
extern const std::string_view kWriteFailed;

// Comparison dialogue.
std::string token_length_1(long long length);  // "...%d，"
std::string token_length_2(long long length);  // "...%d\n"
extern const std::string_view kViewQuestion;
extern const std::string_view kDetailQuestion;
std::string pass_heading(long long pass);
extern const std::string_view kNoMoreMatches;  // leading and trailing line end
std::string matched_total(long long matched);
extern const std::string_view kFormula;         // four lines, each with its line end
std::string similarity(float n);                // printed with six decimals
extern const std::string_view kFileOpenFailed;  // no line end

// Verdict.
extern const std::string_view kThresholdNote;
extern const std::string_view kSuspected;
extern const std::string_view kNotSuspected;

// Standard error, naming the source that kSourceOpenFailed is about.
std::string source_unreadable(std::string_view file);

// Standard error, naming the output that kWriteFailed is about, and why.
extern const std::string_view kOutputIsALink;
extern const std::string_view kOutputIsASource;
extern const std::string_view kOutputUnwritable;
extern const std::string_view kOutputNotWritten;
std::string output_refused(std::string_view file, std::string_view why);

// Standard error, when the dialogue could not be written, or memory ran out.
extern const std::string_view kOutputLost;
extern const std::string_view kOutOfMemory;

// Standard error, when a source's text stops at a 0x1A byte with bytes after it.
std::string text_ends_early(std::string_view file, std::size_t offset);

// Standard error, when no desktop viewer could be started for the token files.
std::string viewer_unavailable(std::string_view directory);

}  // namespace text
