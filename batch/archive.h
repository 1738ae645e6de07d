// Submissions handed over as archives (.zip, .tar, .tar.gz, ...), read in
// memory through libarchive, with limits against archive bombs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "batch/submission.h"

namespace batch {

/// What an archive may hold; more is refused as a whole.
struct ArchiveLimits {
  std::uintmax_t total = std::uintmax_t{1} << 30;  // bytes of all members unpacked
  std::size_t entries = 100000;                    // members, nested ones included
  int depth = 2;                                   // archives within archives
  /// Bytes all members say they hold, read or not, in an archive that must
  /// be decompressed to pass over a member (all but zip, which seeks).
  std::uintmax_t declared = std::uintmax_t{4} << 30;
};

/// True if archives can be read at all (this build has libarchive).
bool archives_supported();

/// True if `path` is named as an archive: .zip, .tar, .tar.gz, .tgz,
/// .tar.bz2, .tar.xz, .7z, .rar, in any case.
bool is_archive_name(std::string_view path);
/// How many bytes at the end of `path` name it as an archive (4 for
/// ".zip", 7 for ".tar.gz"); 0 if it is not named as one.
std::size_t archive_extension_size(std::string_view path);

/// One member of an archive: its path inside it ('/' between parts, the raw
/// bytes of the name; a member of an archive inside it as "b.zip/x.c"), what
/// it is, and a source's contents.
struct Member {
  enum class Kind {
    kSource,   // read: `bytes` holds it
    kArchive,  // an archive inside, its members following it
    kFolder,   // a folder's own entry
    kOther,    // a file that is no source
    kRefused,  // passed over, and said
  };
  std::string path;
  std::string bytes;
  Kind kind = Kind::kSource;
  std::size_t within = kNone;  // the archive member it is a member of, if any
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
};

/// The members of the archive `bytes`, in archive order, sources (by their
/// names, `reading.extensions`) with their contents; a member that is an
/// archive itself is expanded after it (member x.c of b.zip in it becomes
/// "b.zip/x.c"). A member whose path would climb out of the archive
/// (absolute, or with ".."), whose name cannot be read, a link or device
/// among the sources, a source larger than `reading.max_size`, locked with
/// a password or damaged, and a nested archive that cannot be read (taken
/// whole: nothing of it is kept) are passed over (kRefused) and listed in
/// `skipped` as `label`/path. A name that comes twice is one file, the last
/// member of that name (earlier_versions()): the others are dropped, an
/// earlier source or archive listed in `skipped`. Returns false, with
/// `error` set, if the archive itself cannot be read or goes past `limits`.
bool unpack(std::string_view label, std::string_view bytes, const Reading& reading,
            const ArchiveLimits& limits, std::vector<Member>* members,
            std::vector<Skipped>* skipped, std::string* error);

}  // namespace batch
