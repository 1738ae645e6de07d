// Archives made in memory for tests, through libarchive's writer.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace testing_support {

enum class ArchiveKind { kZip, kTarGz };

/// An archive holding `files` (path, contents), in order, as regular files.
std::string make_archive(ArchiveKind kind,
                         const std::vector<std::pair<std::string, std::string>>& files);

}  // namespace testing_support
