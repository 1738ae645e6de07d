// Index files: writing, recognising and loading them.
#include "batch/past_index.h"

#include <string_view>

#include "batch/archive.h"
#include "batch/fnv.h"
#include "batch/names.h"
#include "batch/roster.h"
#include "platform/file.h"
#include "text/batch_messages.h"

namespace batch {
namespace {

constexpr char kMagic[] = "ccsim-batch index\n";
constexpr std::size_t kMagicSize = sizeof kMagic - 1;
// 2: where each file lay; 3: the batch tokens; 4: their statements in one
// order, and where their code ends; 5: conditions that never hold, library
// calls that only compute, settings no one reads
constexpr std::uint32_t kVersion = 5;
constexpr std::uint32_t kStopsAtEofByte = 1;

void put(std::string* out, std::uint64_t v, int bytes) {
  for (int k = 0; k < bytes; ++k) out->push_back(static_cast<char>((v >> (8 * k)) & 0xff));
}

void put_str(std::string* out, const std::string& s) {
  put(out, s.size(), 8);
  *out += s;
}

// Reads fields from the bytes of a file, never past their end.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool number(std::uint64_t* v, int size) {
    if (bytes_.size() - at_ < static_cast<std::size_t>(size)) return false;
    *v = 0;
    for (int k = 0; k < size; ++k)
      *v |= std::uint64_t{static_cast<unsigned char>(bytes_[at_ + k])} << (8 * k);
    at_ += static_cast<std::size_t>(size);
    return true;
  }
  bool str(std::string* s) {
    std::uint64_t size = 0;
    if (!number(&size, 8) || size > bytes_.size() - at_) return false;
    s->assign(bytes_.substr(at_, size));
    at_ += size;
    return true;
  }
  std::size_t left() const { return bytes_.size() - at_; }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

}  // namespace

bool write_index(const std::string& path, const std::vector<Submission>& subs,
                 const Reading& reading, std::string* error) {
  std::string body;
  put(&body, kVersion, 4);
  put(&body, reading.stop_at_eof_byte ? kStopsAtEofByte : 0, 4);
  put(&body, subs.size(), 8);
  for (const Submission& s : subs) {
    put_str(&body, s.name);
    put_str(&body, s.full_name);
    put(&body, s.files.size(), 4);
    for (const SourceFile& f : s.files) {
      put_str(&body, f.path);
      put_str(&body, resolved_path(f.path));
      put_str(&body, f.text);
    }
    put_str(&body, s.tokens);
    put(&body, s.code_end, 8);
  }
  put(&body, fnv1a(body), 8);
  // A failed write leaves an earlier index as it was.
  if (!platform::write_whole(path, std::string(kMagic, kMagicSize) + body)) {
    *error = text::batch_unwritable(shown_name(path));
    return false;
  }
  return true;
}

bool is_index_file(const std::string& path, const Reading& reading) {
  platform::File file = platform::File::open_for_reading(path);  // regular files only
  std::string head;
  if (!file.read_some(kMagicSize, &head)) return false;
  const std::string_view magic(kMagic, kMagicSize);
  // An index cut within its first line was read as one empty old source and
  // compared as such; a source or an archive may be as short, and is read
  // as what its name says.
  if (head.size() < kMagicSize)
    return magic.substr(0, head.size()) == head && !is_source_name(path, reading) &&
           !is_archive_name(path);
  return head == magic;
}

bool read_index(const std::string& path, const Reading& reading, std::vector<Submission>* out,
                std::string* error) {
  auto fail = [&](std::string_view why) {
    *error = shown_name(path) + ": " + std::string(why);
    return false;
  };
  std::string bytes;
  if (!platform::read_file(path, &bytes)) return fail(text::kCannotBeRead);
  const std::string_view magic(kMagic, kMagicSize);
  const std::string_view head = std::string_view(bytes).substr(0, kMagicSize);
  if (head != magic.substr(0, head.size())) return fail(text::kNotAnIndex);
  if (bytes.size() < kMagicSize + 8) return fail(text::kIndexCutShort);
  const std::string_view body(bytes.data() + kMagicSize, bytes.size() - kMagicSize - 8);
  std::uint64_t stored = 0;
  Reader tail(std::string_view(bytes).substr(bytes.size() - 8));
  tail.number(&stored, 8);
  Reader r(body);
  std::uint64_t version = 0, flags = 0, count = 0;
  if (!r.number(&version, 4) || version != kVersion) return fail(text::kIndexOfAnotherVersion);
  if (fnv1a(body) != stored) return fail(text::kIndexDamaged);
  if (!r.number(&flags, 4) || !r.number(&count, 8)) return fail(text::kIndexDamaged);
  if (((flags & kStopsAtEofByte) != 0) != reading.stop_at_eof_byte)
    return fail(text::kIndexReadOtherwise);
  std::vector<Submission> loaded;
  for (std::uint64_t k = 0; k < count; ++k) {
    Submission s;
    std::uint64_t files = 0;
    if (!r.str(&s.name) || !r.str(&s.full_name) || !r.number(&files, 4))
      return fail(text::kIndexDamaged);
    for (std::uint64_t f = 0; f < files; ++f) {
      SourceFile file;
      if (!r.str(&file.path) || !r.str(&file.indexed_at) || !r.str(&file.text))
        return fail(text::kIndexDamaged);
      file.as_ccsim = reading.stop_at_eof_byte;
      s.files.push_back(std::move(file));
    }
    std::uint64_t code_end = 0;
    if (!r.str(&s.tokens) || !r.number(&code_end, 8) || code_end > s.tokens.size())
      return fail(text::kIndexDamaged);
    s.code_end = static_cast<std::size_t>(code_end);
    s.name = path + "/" + s.name;
    s.full_name = path + "/" + s.full_name;
    s.from_index = true;
    loaded.push_back(std::move(s));
  }
  if (r.left() != 0) return fail(text::kIndexDamaged);
  for (Submission& s : loaded) out->push_back(std::move(s));
  return true;
}

}  // namespace batch
