// Course platforms' exports of a class: whose is each entry.
#pragma once

#include <string_view>

namespace batch {

/// The student an entry at the top of a class belongs to. Course platforms
/// export an assignment with every student's files side by side, named
/// after the student: Moodle `NAME_ID_assignsubmission_file_FILE` (or a
/// folder `NAME_ID_assignsubmission_file_`), told by `NAME_ID`; Blackboard
/// `TASK_USER_attempt_2023-10-09-21-30-05_FILE`, told by `TASK_USER`. Any
/// other entry is a student of its own, `entry` itself.
std::string_view student_of(std::string_view entry);

}  // namespace batch
