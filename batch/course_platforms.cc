// student_of(): Moodle's and Blackboard's names.
#include "batch/course_platforms.h"

namespace batch {
namespace {

// "2023-10-09-21-30-05", as Blackboard stamps an attempt.
bool is_attempt_stamp(std::string_view s) {
  constexpr std::string_view kShape = "0000-00-00-00-00-00";
  if (s.size() < kShape.size()) return false;
  for (std::size_t k = 0; k < kShape.size(); ++k)
    if (kShape[k] == '-' ? s[k] != '-' : (s[k] < '0' || s[k] > '9')) return false;
  return true;
}

}  // namespace

std::string_view student_of(std::string_view entry) {
  const std::size_t moodle = entry.find("_assignsubmission_");
  if (moodle != std::string_view::npos && moodle > 0) return entry.substr(0, moodle);
  constexpr std::string_view kAttempt = "_attempt_";
  for (std::size_t at = entry.find(kAttempt); at != std::string_view::npos;
       at = entry.find(kAttempt, at + 1))
    if (at > 0 && is_attempt_stamp(entry.substr(at + kAttempt.size()))) return entry.substr(0, at);
  return entry;
}

}  // namespace batch
