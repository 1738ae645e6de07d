// Finding, reading and tokenising submissions.
#include "batch/submission.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "batch/archive.h"
#include "batch/code_tokens.h"
#include "batch/decode.h"
#include "batch/names.h"
#include "batch/parallel.h"
#include "lexer/token_files.h"
#include "lexer/tokeniser.h"
#include "platform/file.h"
#include "platform/text_mode.h"
#include "text/batch_messages.h"

namespace batch {
namespace fs = std::filesystem;
namespace {

// Entries no student wrote, passed over unsaid in folders and archives
// alike: hidden ones (".git", ".vs", ".DS_Store"); the "__MACOSX" folder of
// resource forks that a zip made on a Mac carries, and unzip brings into the
// class; and CMake's "CMakeFiles", in every project built with CLion or
// Visual Studio's CMake support, whose generated CMakeCCompilerId.c (some
// 10,000 token-string characters) would pair every two such students.
bool is_tools_entry(std::string_view part) {
  return part == "__MACOSX" || part == "CMakeFiles" || part.rfind('.', 0) == 0;
}

bool is_tools_path(const fs::path& p) { return is_tools_entry(platform::path_text(p.filename())); }

void skip(std::vector<Skipped>* skipped, const fs::path& p, std::string_view why) {
  skipped->push_back(Skipped{platform::path_text(p), std::string(why)});
}

// A source saved as UTF-16 (Windows editors offer it as "Unicode") is read
// as UTF-8, so it tokenises as the same code saved as UTF-8 or GBK does;
// read as ccsim reads it, it stays bytes. False when the bytes are no text
// at all: C source has no NUL byte, while a program, an image or a document
// renamed as a source is full of them (two Word files would match as
// copies through their common structure).
bool source_text(std::string path, std::string_view raw, const Reading& reading, SourceFile* out) {
  if (reading.stop_at_eof_byte) {
    *out = SourceFile{std::move(path), platform::decode_text_mode(raw)};
    out->as_ccsim = true;
    return true;
  }
  std::string utf8;
  const bool from_utf16 = utf16_to_utf8(raw, &utf8);
  if (from_utf16) raw = utf8;
  if (raw.find('\0') != std::string_view::npos) return false;
  *out = SourceFile{std::move(path), platform::decode_line_ends(raw), from_utf16};
  return true;
}

// Reads a source: why it is passed over, or nothing.
std::string_view read_source(const fs::path& p, const Reading& reading, SourceFile* out) {
  std::string raw;
  const std::string path = platform::path_text(p);
  if (!platform::read_file(path, &raw)) return text::kCannotBeRead;
  if (!source_text(path, raw, reading, out)) return text::kNotText;
  return {};
}

// A student's folder often holds a file twice ("main - Copy.c", a backup
// folder beside the work): counted twice, its code would weigh double in the
// submission's length and halve what a copy of it scores. Of each text the
// file with the shortest path is kept (a copy's name is the longer), the
// first in path order among equals; blank files weigh nothing and are let be.
void count_each_text_once(std::vector<SourceFile>* files, std::vector<Skipped>* skipped) {
  std::map<std::string_view, std::size_t> kept_of;  // text -> the file kept
  for (std::size_t k = 0; k < files->size(); ++k) {
    const std::string& text = (*files)[k].text;
    if (text.find_first_not_of(" \t\n\v\f\r") == std::string::npos) continue;
    const auto [it, fresh] = kept_of.emplace(text, k);
    if (!fresh && (*files)[k].path.size() < (*files)[it->second].path.size()) it->second = k;
  }
  std::vector<bool> repeated(files->size(), false);
  for (std::size_t k = 0; k < files->size(); ++k) {
    const auto it = kept_of.find((*files)[k].text);
    if (it == kept_of.end() || it->second == k) continue;
    repeated[k] = true;
    skipped->push_back(Skipped{(*files)[k].path, text::same_text_as((*files)[it->second].path)});
  }
  std::size_t kept = 0;
  for (std::size_t k = 0; k < files->size(); ++k) {
    if (repeated[k]) continue;
    if (kept != k) (*files)[kept] = std::move((*files)[k]);
    ++kept;
  }
  files->resize(kept);
}

// The walk under one path argument: a link is followed only to a place
// inside the argument, and a folder is entered once however many links lead
// to it. Whatever is passed over for a reason is listed in `skipped`.
class Walk {
 public:
  enum class Kind { kFile, kFolder, kOther };

  Walk(const fs::path& root, const Reading& reading, std::vector<Skipped>* skipped)
      : reading_(reading), skipped_(skipped) {
    std::error_code ec;
    root_ = fs::canonical(root, ec);
    entered_.insert(platform::path_text(root_));
  }

  // What `p` is, following a link that stays inside the argument; reports
  // an entry passed over (for a plain file, only a C source is worth it).
  Kind kind_of(const fs::path& p) {
    std::error_code ec;
    fs::file_status st = fs::symlink_status(p, ec);
    if (ec) return passed_over(p, text::kCannotBeExamined);
    if (fs::is_symlink(st)) {
      const fs::path target = fs::canonical(p, ec);
      if (ec) return passed_over(p, text::kDanglingLink);
      if (!inside(target)) return passed_over(p, text::kLinkOutside);
      st = fs::status(target, ec);
      if (ec) return passed_over(p, text::kCannotBeExamined);
    }
    if (fs::is_directory(st)) return Kind::kFolder;
    if (!fs::is_regular_file(st)) {
      return is_c_file(p) ? passed_over(p, text::kNotARegularFile) : Kind::kOther;
    }
    const bool source = is_c_file(p);
    if (!source && !is_archive_name(platform::path_text(p))) return Kind::kOther;
    // An archive is bound by what it unpacks to, not by a source's size: a
    // student's zipped project carries Visual Studio's database of tens of
    // megabytes beside a few kilobytes of C.
    const std::uintmax_t size = fs::file_size(p, ec);
    if (!ec && source && size > reading_.max_size)
      return passed_over(p, text::too_large(size, reading_.max_size));
    if (!ec && !source && size > ArchiveLimits().total)
      return passed_over(p, text::archive_too_large(size, ArchiveLimits().total));
    return Kind::kFile;
  }

  // True the first time a folder is entered (by any path that leads to it).
  bool enter(const fs::path& folder) {
    std::error_code ec;
    const fs::path real = fs::canonical(folder, ec);
    if (ec) {
      skip(skipped_, folder, text::kCannotBeExamined);
      return false;
    }
    if (entered_.insert(platform::path_text(real)).second) return true;
    skip(skipped_, folder, text::kWalkedAlready);
    return false;
  }

  // The entries of a folder a student may have written, in path order; an
  // error is reported.
  std::vector<fs::path> entries(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec))
      if (!is_tools_path(it->path())) found.push_back(it->path());
    if (ec) skip(skipped_, folder, text::kCannotBeListed);
    std::sort(found.begin(), found.end());
    return found;
  }

  // The C files below `folder` (entered already), in path order.
  void files_below(const fs::path& folder, std::vector<fs::path>* out) {
    for (const fs::path& entry : entries(folder)) {
      const Kind kind = kind_of(entry);
      if (kind == Kind::kFile) out->push_back(entry);
      if (kind == Kind::kFolder && enter(entry)) files_below(entry, out);
    }
  }

 private:
  Kind passed_over(const fs::path& p, std::string_view why) {
    skip(skipped_, p, why);
    return Kind::kOther;
  }
  bool inside(const fs::path& real) const {
    const std::string r = platform::path_text(root_);
    const std::string t = platform::path_text(real);
    return t == r || (t.size() > r.size() && t.compare(0, r.size(), r) == 0 &&
                      (r.back() == '/' || t[r.size()] == '/'));
  }

  bool is_c_file(const fs::path& p) const {
    return is_source_name(platform::path_text(p.filename()), reading_);
  }

  fs::path root_;
  const Reading& reading_;
  std::vector<Skipped>* skipped_;
  std::set<std::string> entered_;
};

// A path named on the command line as a file: a regular file within the
// size limit, or an input error.
bool named_file(const fs::path& p, std::uintmax_t max_size, std::string* error,
                std::string (*too_large)(std::uintmax_t, std::uintmax_t) = text::too_large) {
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) {
    *error = text::batch_not_a_regular_file(shown_name(platform::path_text(p)));
    return false;
  }
  const std::uintmax_t size = fs::file_size(p, ec);
  if (!ec && size > max_size) {
    *error = shown_name(platform::path_text(p)) + ": " + too_large(size, max_size);
    return false;
  }
  return true;
}

// A space never matches, so no run reaches from one template file into the
// next.
void separate_template_file(Submission* s) {
  if (s->tokens.empty()) return;
  s->tokens += ' ';
  s->char_file.push_back(0);
  s->char_begin.push_back(0);
  s->char_end.push_back(0);
  s->char_line.push_back(0);
}

// The parts of a member's path, or none for a member no student wrote.
std::vector<std::string> visible_parts(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start < path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    if (is_tools_entry(part)) return {};
    if (!part.empty()) parts.push_back(part);
    start = end + 1;
  }
  return parts;
}

// The members of the archive at `path`, by submission: each top-level
// folder or nested archive is one, and so is each loose file (a course
// platform's student's files are one); a folder that wraps everything is
// looked into.
bool archive_submissions(const std::string& path, const Reading& reading,
                         std::map<std::string, std::vector<SourceFile>>* groups,
                         std::vector<Skipped>* skipped, std::string* error) {
  const ArchiveLimits limits;
  std::string bytes;
  if (!named_file(platform::fs_path(path), limits.total, error, text::archive_too_large))
    return false;
  if (!platform::read_file(path, &bytes)) {
    *error = text::batch_unreadable(shown_name(path));
    return false;
  }
  std::vector<Member> members;
  if (!unpack(shown_name(path), bytes, reading, limits, &members, skipped, error)) return false;
  std::vector<std::pair<std::vector<std::string>, Member*>> kept;
  for (Member& m : members) {
    std::vector<std::string> parts = visible_parts(m.path);
    if (!parts.empty()) kept.emplace_back(std::move(parts), &m);
  }
  const auto wrapped = [&] {
    return !kept.empty() && std::all_of(kept.begin(), kept.end(), [&](const auto& k) {
      return k.first.size() > 1 && k.first[0] == kept[0].first[0];
    });
  };
  while (wrapped())
    for (auto& k : kept) k.first.erase(k.first.begin());
  for (const auto& [parts, member] : kept) {
    SourceFile file;
    if (source_text(path + "/" + member->path, member->bytes, reading, &file))
      (*groups)[std::string(student_of(parts[0]))].push_back(std::move(file));
    else
      skipped->push_back(Skipped{path + "/" + member->path, std::string(text::kNotText)});
  }
  for (auto& [name, files] : *groups)
    std::sort(files.begin(), files.end(),
              [](const SourceFile& x, const SourceFile& y) { return x.path < y.path; });
  return true;
}

// The files a walk found, read in path order: a source as it is, an archive
// as all the sources in it. An archive is a student's upload, handed in as
// it is or in the folder a course platform made for the student (Moodle,
// Chaoxing). What cannot be read is said.
void read_sources(const std::vector<fs::path>& files, const Reading& reading,
                  std::vector<SourceFile>* out, std::vector<Skipped>* skipped) {
  for (const fs::path& f : files) {
    const std::string path = platform::path_text(f);
    if (!is_archive_name(path)) {
      SourceFile file;
      if (const std::string_view why = read_source(f, reading, &file); why.empty())
        out->push_back(std::move(file));
      else
        skip(skipped, f, why);
      continue;
    }
    std::map<std::string, std::vector<SourceFile>> groups;
    std::string why;
    if (!archive_submissions(path, reading, &groups, skipped, &why)) {
      // The error names the archive first; a name may hold ": " itself.
      const std::string named = shown_name(path) + ": ";
      skip(skipped, f, why.rfind(named, 0) == 0 ? why.substr(named.size()) : why);
      continue;
    }
    for (auto& [name, group] : groups)
      for (SourceFile& member : group) out->push_back(std::move(member));
  }
}

}  // namespace

bool is_source_name(std::string_view path, const Reading& reading) {
  const std::size_t slash = path.rfind('/');
  const std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
  return std::any_of(reading.extensions.begin(), reading.extensions.end(),
                     [&](const std::string& ext) {
                       return base.size() > ext.size() && ends_with_any_case(base, ext);
                     });
}

namespace {

// Each token onto the token string, with the file, bytes and line of each
// of its characters. `tokens` come in the order of their sources' bytes.
template <typename Tokens, typename Written, typename Span>
void append_tokens(Submission* s, const SourceFile& file, const Tokens& tokens, Written written_of,
                   Span span_of) {
  const auto index = static_cast<std::uint32_t>(s->files.size());
  std::vector<std::size_t> line_starts = {0};
  for (std::size_t k = 0; k < file.text.size(); ++k)
    if (file.text[k] == '\n') line_starts.push_back(k + 1);
  for (std::size_t k = 0; k < tokens.size(); ++k) {
    const auto [begin, end] = span_of(k);
    const auto line = static_cast<std::uint32_t>(
        std::upper_bound(line_starts.begin(), line_starts.end(), begin) - line_starts.begin());
    const std::string_view written = written_of(k);
    s->tokens += written;
    s->char_file.insert(s->char_file.end(), written.size(), index);
    s->char_begin.insert(s->char_begin.end(), written.size(), static_cast<std::uint32_t>(begin));
    s->char_end.insert(s->char_end.end(), written.size(), static_cast<std::uint32_t>(end));
    s->char_line.insert(s->char_line.end(), written.size(), line);
  }
}

}  // namespace

void append_file(Submission* s, SourceFile file) {
  if (file.as_ccsim) {
    std::vector<std::size_t> starts;
    const std::vector<std::string> words = lexer::tokenise(file.text, &starts);
    append_tokens(
        s, file, words, [&](std::size_t k) { return lexer::written_form(words[k]); },
        [&](std::size_t k) {
          return std::pair<std::size_t, std::size_t>(
              starts[k], starts[k] + std::max<std::size_t>(words[k].size(), 1));
        });
  } else {
    const std::vector<CodeToken> tokens = code_tokens(file.text);
    append_tokens(
        s, file, tokens, [&](std::size_t k) { return tokens[k].written; },
        [&](std::size_t k) {
          return std::pair<std::size_t, std::size_t>(tokens[k].begin, tokens[k].end);
        });
  }
  s->files.push_back(std::move(file));
}

bool trace(Submission* s) {
  if (s->char_file.size() == s->tokens.size()) return true;
  Submission traced;
  for (const SourceFile& f : s->files) append_file(&traced, f);
  if (traced.tokens != s->tokens) return false;
  s->char_file = std::move(traced.char_file);
  s->char_begin = std::move(traced.char_begin);
  s->char_end = std::move(traced.char_end);
  s->char_line = std::move(traced.char_line);
  return true;
}

SourceSpot locate(const Submission& s, std::size_t char_pos) {
  return SourceSpot{s.char_file[char_pos], s.char_line[char_pos]};
}

bool collect(const std::string& path, bool prefix_names, const Reading& reading,
             std::vector<Submission>* out, std::vector<Skipped>* skipped, std::string* error) {
  std::error_code ec;
  const fs::path root = platform::fs_path(path);
  if (!fs::exists(root, ec)) {
    *error = text::batch_no_such_path(shown_name(path));
    return false;
  }
  if (!fs::is_directory(root, ec) && is_archive_name(path)) {
    std::map<std::string, std::vector<SourceFile>> groups;
    if (!archive_submissions(path, reading, &groups, skipped, error)) return false;
    for (auto& [name, files] : groups) {
      Submission s;
      s.full_name = path + "/" + name;
      s.name = prefix_names ? s.full_name : name;
      count_each_text_once(&files, skipped);
      for (SourceFile& f : files) append_file(&s, std::move(f));
      out->push_back(std::move(s));
    }
    return true;
  }
  if (!fs::is_directory(root, ec)) {
    if (!named_file(root, reading.max_size, error)) return false;
    Submission s;
    s.name = path;
    s.full_name = path;
    SourceFile file;
    // Named on purpose: not to be passed over.
    if (const std::string_view why = read_source(root, reading, &file); !why.empty()) {
      *error = shown_name(path) + ": " + std::string(why);
      return false;
    }
    append_file(&s, std::move(file));
    out->push_back(std::move(s));
    return true;
  }
  Walk walk(root, reading, skipped);
  std::vector<fs::path> entries;
  for (fs::directory_iterator it(root, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
    if (!is_tools_path(it->path())) entries.push_back(it->path());
  if (ec) {
    *error = text::batch_unlistable(shown_name(path), ec.message());
    return false;
  }
  std::sort(entries.begin(), entries.end());
  // Each entry is a student's, but for a course platform's export, where one
  // student's entries lie side by side.
  std::map<std::string, std::vector<fs::path>> students;
  for (const fs::path& entry : entries)
    students[std::string(student_of(platform::path_text(entry.filename())))].push_back(entry);
  const std::size_t first_new = out->size();
  for (const auto& [student, own] : students) {
    Submission s;
    const fs::path relative = platform::fs_path(student);
    s.full_name = platform::path_text(root / relative);
    s.name = prefix_names ? s.full_name : platform::path_text(relative);
    std::vector<fs::path> files;
    const std::size_t said = skipped->size();
    bool handed_in = false;  // a source, an archive or a folder
    for (const fs::path& entry : own) {
      const Walk::Kind kind = walk.kind_of(entry);
      handed_in |= kind != Walk::Kind::kOther;
      if (kind == Walk::Kind::kFile)
        files.push_back(entry);
      else if (kind == Walk::Kind::kFolder && walk.enter(entry))
        walk.files_below(entry, &files);
    }
    if (!handed_in) continue;
    read_sources(files, reading, &s.files, skipped);  // tokenised below, on all threads
    count_each_text_once(&s.files, skipped);
    // A student who handed in no source is said, not passed over.
    if (s.files.empty() && skipped->size() == said)
      skip(skipped, own.size() == 1 ? own[0] : root / relative, text::kHoldsNoSource);
    if (s.files.empty()) continue;
    out->push_back(std::move(s));
  }
  parallel_for(out->size() - first_new, reading.jobs, [&](std::size_t k) {
    Submission& s = (*out)[first_new + k];
    if (!s.tokens.empty() || s.files.empty() || !s.char_file.empty()) return;
    std::vector<SourceFile> files = std::move(s.files);
    s.files.clear();
    for (SourceFile& f : files) append_file(&s, std::move(f));
  });
  return true;
}

Overwrites overwrites(const std::string& path, const std::vector<std::string>& given,
                      const std::vector<Submission>& subs, const Submission& base) {
  // The same file by identity, so that a link of either kind is seen through.
  std::error_code ec;
  const fs::path target = platform::fs_path(path);
  if (!fs::exists(target, ec)) return Overwrites::kNothing;
  auto same = [&](const std::string& p) {
    std::error_code e;
    return fs::equivalent(platform::fs_path(p), target, e) && !e;
  };
  auto same_file = [&](const SourceFile& f) { return same(f.path); };
  for (const Submission& s : subs)
    if (std::any_of(s.files.begin(), s.files.end(), same_file)) return Overwrites::kSource;
  if (std::any_of(base.files.begin(), base.files.end(), same_file)) return Overwrites::kSource;
  return std::any_of(given.begin(), given.end(), same) ? Overwrites::kGivenPath
                                                       : Overwrites::kNothing;
}

bool is_archive_in_folder(const Submission& s) {
  if (s.from_index || !is_archive_name(s.full_name)) return false;
  std::error_code ec;
  return fs::is_directory(platform::fs_path(s.full_name).parent_path(), ec);
}

void settle(std::vector<Submission>* subs, std::size_t* fresh, std::vector<Skipped>* skipped) {
  std::set<std::vector<std::string>> seen;  // each kept submission's files, resolved
  std::vector<Submission> kept;
  std::size_t kept_fresh = 0;
  for (std::size_t k = 0; k < subs->size(); ++k) {
    Submission& s = (*subs)[k];
    std::vector<std::string> files;
    for (const SourceFile& f : s.files) {
      // Files from an index are not on this disk; each index entry is one
      // submission of its own.
      if (s.from_index) {
        files.push_back(std::string(1, '\0') + s.full_name + '\0' + f.path);
        continue;
      }
      std::error_code ec;
      const fs::path resolved = fs::canonical(platform::fs_path(f.path), ec);
      files.push_back(ec ? f.path : platform::path_text(resolved));
    }
    std::sort(files.begin(), files.end());
    if (!seen.insert(std::move(files)).second) {
      skipped->push_back(Skipped{s.full_name, std::string(text::kGivenMoreThanOnce)});
      continue;
    }
    kept_fresh += k < *fresh;
    kept.push_back(std::move(s));
  }
  std::map<std::string, std::size_t> uses;
  for (const Submission& s : kept) ++uses[s.name];
  for (Submission& s : kept)
    if (uses[s.name] > 1) s.name = s.full_name;
  *subs = std::move(kept);
  *fresh = kept_fresh;
}

bool collect_as_one(const std::string& path, const Reading& reading, Submission* out,
                    std::vector<Skipped>* skipped, std::string* error) {
  std::error_code ec;
  const fs::path root = platform::fs_path(path);
  if (!fs::exists(root, ec)) {
    *error = text::batch_no_such_path(shown_name(path));
    return false;
  }
  std::vector<fs::path> files;
  if (fs::is_directory(root, ec)) {
    Walk walk(root, reading, skipped);
    walk.files_below(root, &files);
  } else if (is_archive_name(path)) {
    std::map<std::string, std::vector<SourceFile>> groups;
    if (!archive_submissions(path, reading, &groups, skipped, error)) return false;
    for (auto& [name, group] : groups)
      for (SourceFile& f : group) {
        separate_template_file(out);
        append_file(out, std::move(f));
      }
    return true;
  } else {
    if (!named_file(root, reading.max_size, error)) return false;
    files.push_back(root);
  }
  std::vector<SourceFile> sources;
  read_sources(files, reading, &sources, skipped);
  for (SourceFile& f : sources) {
    separate_template_file(out);
    append_file(out, std::move(f));
  }
  return true;
}

}  // namespace batch
