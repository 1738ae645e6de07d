// Archives made in memory for tests, through libarchive's writer.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace testing_support {

/// kZip keeps each path's bytes unmarked, as a Chinese Windows zips GBK
/// names; kZipUtf8 marks them UTF-8, as zip tools of today write them.
/// kTar is not compressed (so `tar -r` appends to it).
enum class ArchiveKind { kZip, kZipUtf8, kTar, kTarGz, kTarBz2, kTarXz, k7z, kRar };

/// An archive holding `files` (path, contents), in order, as regular files;
/// a path that ends in '/' is a folder's entry (not for kRar). A path may
/// come twice, as `tar -r` and some zip tools leave it.
/// A RAR archive (which libarchive reads but cannot write) is written here
/// in RAR 4's format, its files stored, with '\\' between path parts as
/// WinRAR writes them.
std::string make_archive(ArchiveKind kind,
                         const std::vector<std::pair<std::string, std::string>>& files);

}  // namespace testing_support
