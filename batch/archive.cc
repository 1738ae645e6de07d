// unpack(): libarchive reading from memory, every byte counted against the
// limits before it is kept.
#include "batch/archive.h"

#include <algorithm>

#include "batch/decode.h"
#include "batch/names.h"
#include "batch/repeats.h"
#include "platform/utf8_characters.h"
#include "text/batch_messages.h"

#ifdef CCSIM_WITH_ARCHIVES
#include <archive.h>
#include <archive_entry.h>
#endif

namespace batch {

std::size_t archive_extension_size(std::string_view path) {
  for (std::string_view ext :
       {".zip", ".tar", ".tar.gz", ".tgz", ".tar.bz2", ".tar.xz", ".7z", ".rar"})
    if (ends_with_any_case(path, ext)) return ext.size();
  return 0;
}

bool is_archive_name(std::string_view path) { return archive_extension_size(path) > 0; }

#ifdef CCSIM_WITH_ARCHIVES

bool archives_supported() { return true; }

namespace {

// True if a member's path stays inside the archive: not absolute, no ".."
// part (with either slash), no drive letter.
bool stays_inside(std::string_view path) {
  if (path.empty() || path[0] == '/' || path[0] == '\\') return false;
  if (path.size() > 1 && path[1] == ':') return false;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = path.size();
    if (path.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

// A member's name. Where the archive says its names are Unicode (zip's
// UTF-8 mark, 7z, RAR, pax) it comes as UTF-8 (the locale is UTF-8 while
// unpacking); else as its bytes as stored (a zip made on a Chinese Windows
// holds GBK, shown as such). Windows has no UTF-8 locale to give: a name
// that its C locale cannot hold comes as UTF-16 instead. False for a name
// that is not what its archive says (GBK marked UTF-8).
bool member_name(archive_entry* entry, std::string* name) {
  if (const char* bytes = archive_entry_pathname(entry)) {
    *name = bytes;
    return true;
  }
  const wchar_t* wide = archive_entry_pathname_w(entry);
  if (wide != nullptr) *name = wide_to_utf8(wide);
  return wide != nullptr;
}

struct Budget {
  std::uintmax_t total = 0;
  std::size_t entries = 0;
  std::uintmax_t declared = 0;
};

class Unpacker {
 public:
  Unpacker(std::string_view label, const Reading& reading, const ArchiveLimits& limits,
           std::vector<Member>* members, std::vector<Skipped>* skipped, std::string* error)
      : label_(label),
        reading_(reading),
        limits_(limits),
        members_(members),
        skipped_(skipped),
        error_(error) {}

  // False if the archive cannot be read on: past the limits (`error`
  // set), or damaged or locked as a whole (why(), for the caller to say).
  // Its members are members of the member `within`.
  bool run(std::string_view bytes, const std::string& prefix, int depth, std::size_t within) {
    archive* a = archive_read_new();
    archive_read_support_filter_all(a);
    archive_read_support_format_all(a);
    const bool ok = archive_read_open_memory(a, bytes.data(), bytes.size()) == ARCHIVE_OK &&
                    entries(a, prefix, depth, within);
    if (!ok && error_->empty()) why_ = reason(a);
    archive_read_free(a);
    return ok;
  }
  const std::string& why() const { return why_; }

 private:
  static std::string reason(archive* a) {
    const char* why = archive_error_string(a);
    return why ? why : "";
  }
  void add(std::string path, Member::Kind kind, std::size_t within, std::string bytes = {}) {
    members_->push_back(Member{std::move(path), std::move(bytes), kind, within});
  }
  // Passed over, and said.
  void refuse(const std::string& path, std::string_view why, std::size_t within) {
    skipped_->push_back(Skipped{std::string(label_) + "/" + path, std::string(why)});
    add(path, Member::Kind::kRefused, within);
  }

  bool entries(archive* a, const std::string& prefix, int depth, std::size_t within) {
    archive_entry* entry = nullptr;
    int status;
    std::size_t number = 0;  // of the member in this archive, from 1
    while ((status = archive_read_next_header(a, &entry)) == ARCHIVE_OK || status == ARCHIVE_WARN) {
      ++number;
      if (++budget_.entries > limits_.entries) {
        *error_ = text::batch_archive_too_big(std::string(label_), limits_.entries, limits_.total);
        return false;
      }
      // A member passed over still costs its decompression, but in a zip:
      // bounded too, or a tar.xz of zeros would keep the run busy for hours.
      const bool zip = (archive_format(a) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_ZIP;
      if (!zip && archive_entry_size_is_set(entry)) {
        budget_.declared +=
            static_cast<std::uintmax_t>(std::max<la_int64_t>(archive_entry_size(entry), 0));
        if (budget_.declared > limits_.declared) {
          *error_ =
              text::batch_archive_too_big(std::string(label_), limits_.entries, limits_.total);
          return false;
        }
      }
      const auto type = archive_entry_filetype(entry);
      std::string path;
      if (!member_name(entry, &path)) {  // it may be a source: said, not lost unsaid
        if (type != AE_IFDIR)
          refuse(prefix + text::member_number(number), text::kUnreadableMemberName, within);
        continue;
      }
      while (path.rfind("./", 0) == 0) path.erase(0, 2);
      while (!path.empty() && path.back() == '/') path.pop_back();
      if (path.empty()) continue;
      if (!stays_inside(path)) {
        refuse(prefix + path, text::kUnsafeArchivePath, within);
        continue;
      }
      if (type == AE_IFDIR) {
        add(prefix + path, Member::Kind::kFolder, within);
        continue;
      }
      const bool nested = is_archive_name(path);
      const bool source = !nested && is_source_name(path, reading_);
      if (!nested && !source) {
        add(prefix + path, Member::Kind::kOther, within);
        continue;
      }
      if (type != AE_IFREG) {
        refuse(prefix + path, text::kNotARegularFile, within);
        continue;
      }
      if (archive_entry_is_encrypted(entry)) {
        refuse(prefix + path, text::kEncrypted, within);
        continue;
      }
      std::string data;
      bool too_large = false;
      const la_ssize_t read = read_data(a, source, &data, &too_large);
      if (!error_->empty() || read == ARCHIVE_FATAL) return false;
      if (read < 0) {  // this member damaged: the others are read on
        refuse(prefix + path, text::cannot_be_read(reason(a)), within);
      } else if (too_large) {
        refuse(prefix + path,
               text::too_large(static_cast<std::uintmax_t>(archive_entry_size(entry)),
                               reading_.max_size),
               within);
      } else if (!nested) {
        add(prefix + path, Member::Kind::kSource, within, std::move(data));
      } else if (depth >= limits_.depth) {
        refuse(prefix + path, text::kNestedTooDeep, within);
      } else {
        nested_archive(data, prefix + path, depth + 1, within);
        if (!error_->empty()) return false;
      }
    }
    return status == ARCHIVE_EOF;
  }

  // One student's archive in a class's that cannot be read (damaged, or
  // locked by a password) is passed over whole and said; the class is read
  // on. Past the limits, the whole class is refused.
  void nested_archive(std::string_view bytes, const std::string& path, int depth,
                      std::size_t within) {
    const std::size_t at = members_->size();
    const std::size_t said = skipped_->size();
    add(path, Member::Kind::kArchive, within);
    if (run(bytes, path + "/", depth, at) || !error_->empty()) return;
    members_->erase(members_->begin() + static_cast<std::ptrdiff_t>(at), members_->end());
    skipped_->erase(skipped_->begin() + static_cast<std::ptrdiff_t>(said), skipped_->end());
    refuse(path, text::not_an_archive(why_), within);
  }

  // The current member's bytes, each counted against the total; a source
  // past the size limit is drained and flagged, not kept.
  // Returns 0, or libarchive's status when the data cannot be read; past
  // the limits, `error` is set.
  la_ssize_t read_data(archive* a, bool source, std::string* data, bool* too_large) {
    char buf[65536];
    la_ssize_t n;
    while ((n = archive_read_data(a, buf, sizeof buf)) > 0) {
      budget_.total += static_cast<std::uintmax_t>(n);
      if (budget_.total > limits_.total) {
        *error_ = text::batch_archive_too_big(std::string(label_), limits_.entries, limits_.total);
        return ARCHIVE_FATAL;
      }
      if (source && data->size() + static_cast<std::size_t>(n) > reading_.max_size)
        *too_large = true;
      if (!*too_large) data->append(buf, static_cast<std::size_t>(n));
    }
    if (*too_large) data->clear();
    return n;
  }

  std::string_view label_;
  const Reading& reading_;
  const ArchiveLimits& limits_;
  std::vector<Member>* members_;
  std::vector<Skipped>* skipped_;
  std::string* error_;  // set when the limits are passed: the whole is refused
  std::string why_;     // why the archive last run could not be read
  Budget budget_;
};

// A name is one file however many members carry it: the last, as unpacking
// leaves it (`tar -r` appends a newer version; a zip or 7z may repeat a
// name). A folder and a file of one name are two entries. An earlier
// archive goes with all its members.
void keep_the_last_of_each_name(std::string_view label, std::vector<Member>* members,
                                std::vector<Skipped>* skipped) {
  const auto name = [&](std::size_t k) {
    const Member& m = (*members)[k];
    std::string key;  // the path's parts, without empty or "." ones, each ended by '/'
    std::size_t start = 0;
    while (start <= m.path.size()) {
      std::size_t end = m.path.find('/', start);
      if (end == std::string::npos) end = m.path.size();
      const std::string_view part = std::string_view(m.path).substr(start, end - start);
      if (!part.empty() && part != ".") key.append(part).push_back('/');
      start = end + 1;
    }
    if (m.kind != Member::Kind::kFolder && !key.empty()) key.pop_back();
    return key;
  };
  const std::vector<bool> earlier =
      earlier_versions(members->size(), name, [](std::size_t k) { return k; });
  std::vector<std::size_t> moved_to(members->size(), Member::kNone);
  std::size_t kept = 0;
  for (std::size_t k = 0; k < members->size(); ++k) {
    Member& m = (*members)[k];
    const bool with_its_archive = m.within != Member::kNone && moved_to[m.within] == Member::kNone;
    if (earlier[k] && !with_its_archive &&
        (m.kind == Member::Kind::kSource || m.kind == Member::Kind::kArchive))
      skipped->push_back(
          Skipped{std::string(label) + "/" + m.path, std::string(text::kReplacedByLater)});
    if (earlier[k] || with_its_archive) continue;
    if (m.within != Member::kNone) m.within = moved_to[m.within];
    moved_to[k] = kept;
    if (kept != k) (*members)[kept] = std::move(m);
    ++kept;
  }
  members->resize(kept);
}

}  // namespace

bool unpack(std::string_view label, std::string_view bytes, const Reading& reading,
            const ArchiveLimits& limits, std::vector<Member>* members,
            std::vector<Skipped>* skipped, std::string* error) {
  error->clear();
  const platform::Utf8Characters names_in_utf8;
  Unpacker unpacker(label, reading, limits, members, skipped, error);
  if (!unpacker.run(bytes, "", 0, Member::kNone)) {
    if (error->empty()) *error = text::batch_bad_archive(label, unpacker.why());
    return false;
  }
  keep_the_last_of_each_name(label, members, skipped);
  return true;
}

#else

bool archives_supported() { return false; }

bool unpack(std::string_view label, std::string_view, const Reading&, const ArchiveLimits&,
            std::vector<Member>*, std::vector<Skipped>*, std::string* error) {
  *error = text::batch_bad_archive(std::string(label), text::kNoArchiveSupport);
  return false;
}

#endif

}  // namespace batch
