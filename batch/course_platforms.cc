// student_of(): Moodle's and Blackboard's names; students_of(): a class's
// entries by student, the latest attempt of each.
#include "batch/course_platforms.h"

#include <set>

#include "batch/repeats.h"

namespace batch {
namespace {

constexpr std::string_view kAttempt = "_attempt_";

// "2023-10-09-21-30-05", as Blackboard stamps an attempt.
bool is_attempt_stamp(std::string_view s) {
  constexpr std::string_view kShape = "0000-00-00-00-00-00";
  if (s.size() < kShape.size()) return false;
  for (std::size_t k = 0; k < kShape.size(); ++k)
    if (kShape[k] == '-' ? s[k] != '-' : (s[k] < '0' || s[k] > '9')) return false;
  return true;
}

// Where Blackboard's "_attempt_STAMP" starts in `entry`, or npos.
std::size_t attempt_at(std::string_view entry) {
  for (std::size_t at = entry.find(kAttempt); at != std::string_view::npos;
       at = entry.find(kAttempt, at + 1))
    if (at > 0 && is_attempt_stamp(entry.substr(at + kAttempt.size()))) return at;
  return std::string_view::npos;
}

}  // namespace

std::string_view student_of(std::string_view entry) {
  const std::size_t moodle = entry.find("_assignsubmission_");
  if (moodle != std::string_view::npos && moodle > 0) return entry.substr(0, moodle);
  const std::size_t at = attempt_at(entry);
  return at == std::string_view::npos ? entry : entry.substr(0, at);
}

std::string_view attempt_of(std::string_view entry) {
  if (entry.find("_assignsubmission_") != std::string_view::npos) return {};
  const std::size_t at = attempt_at(entry);
  if (at == std::string_view::npos) return {};
  return entry.substr(at + kAttempt.size(), std::string_view("0000-00-00-00-00-00").size());
}

std::map<std::string, Student> students_of(const std::vector<TopEntry>& entries) {
  std::set<std::string_view> own_files;  // files that are a student of their own
  for (const TopEntry& e : entries)
    if (!e.folder && student_of(e.name) == e.name) own_files.insert(e.name);
  std::vector<std::string> key(entries.size());
  std::vector<std::size_t> attempts;  // the entries of an attempt
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const TopEntry& e = entries[k];
    key[k] = std::string(student_of(e.name));
    if (e.folder && key[k] == e.name && own_files.count(e.name) > 0) key[k] += '/';
    if (!attempt_of(e.name).empty()) attempts.push_back(k);
  }
  const std::vector<bool> earlier = earlier_versions(
      attempts.size(), [&](std::size_t j) { return key[attempts[j]]; },
      [&](std::size_t j) { return attempt_of(entries[attempts[j]].name); });
  std::vector<bool> is_earlier(entries.size(), false);
  for (std::size_t j = 0; j < attempts.size(); ++j) is_earlier[attempts[j]] = earlier[j];
  std::map<std::string, Student> students;
  for (std::size_t k = 0; k < entries.size(); ++k) {
    Student& s = students[key[k]];
    (is_earlier[k] ? s.earlier : s.entries).push_back(k);
    if (!is_earlier[k]) {
      const std::string_view stamp = attempt_of(entries[k].name);
      if (stamp > s.latest) s.latest = std::string(stamp);
    }
  }
  return students;
}

}  // namespace batch
