// Course platforms' exports of a class: whose is each entry, and which of a
// student's attempts is the submission.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace batch {

/// The student an entry at the top of a class belongs to. Course platforms
/// export an assignment with every student's files side by side, named
/// after the student: Moodle `NAME_ID_assignsubmission_file_FILE` (or a
/// folder `NAME_ID_assignsubmission_file_`), told by `NAME_ID`; Blackboard
/// `TASK_USER_attempt_2023-10-09-21-30-05_FILE`, told by `TASK_USER`. Any
/// other entry is a student of its own, `entry` itself.
std::string_view student_of(std::string_view entry);

/// The stamp of the Blackboard attempt an entry is of ("2023-10-09-21-30-05",
/// which sorts as time does), or empty.
std::string_view attempt_of(std::string_view entry);

/// An entry at the top of a class: a file (a source or an archive) or a
/// folder.
struct TopEntry {
  std::string name;
  bool folder = false;
};

/// One student of a class: the entries that make the submission, and those
/// of earlier attempts.
struct Student {
  std::vector<std::size_t> entries;  // indexes into the class's entries, in order
  std::vector<std::size_t> earlier;  // of earlier attempts: passed over, to be said
  std::string latest;                // the stamp of the attempt taken, if any
};

/// The students of a class, by name: each entry is a student's own, but for
/// a course platform's export, where one student's entries lie side by side
/// (student_of()). A file and a folder of one name are two students, the
/// folder named with a '/' after it. Of a student's Blackboard attempts the
/// latest is the submission (earlier_versions()).
std::map<std::string, Student> students_of(const std::vector<TopEntry>& entries);

}  // namespace batch
