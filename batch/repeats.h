// Repeats within a submission: a file handed in twice counts once.
#pragma once

#include <vector>

#include "batch/submission.h"

namespace batch {

/// Of each text that several of `files` hold, the file with the shortest
/// path is kept (a copy's name is the longer), the first in path order
/// among equals; the others are listed in `skipped`. Blank files are let be.
void count_each_text_once(std::vector<SourceFile>* files, std::vector<Skipped>* skipped);

}  // namespace batch
