// A submission of one file made from a string, for tests that need no disk.
#pragma once

#include <string>

#include "batch/submission.h"

namespace testing_support {

inline batch::Submission submission_of(const std::string& name, const std::string& source) {
  batch::Submission s;
  s.name = name;
  batch::append_file(&s, batch::SourceFile{name, source});
  return s;
}

}  // namespace testing_support
