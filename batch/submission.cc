// Finding, reading and tokenising submissions.
#include "batch/submission.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "batch/archive.h"
#include "batch/code_tokens.h"
#include "batch/decode.h"
#include "batch/names.h"
#include "batch/parallel.h"
#include "batch/walk.h"
#include "lexer/token_files.h"
#include "lexer/tokeniser.h"
#include "platform/file.h"
#include "platform/text_mode.h"
#include "text/batch_messages.h"

namespace batch {
namespace fs = std::filesystem;
namespace {

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
        list_skipped(skipped, f, why);
      continue;
    }
    std::map<std::string, std::vector<SourceFile>> groups;
    std::string why;
    if (!archive_submissions(path, reading, &groups, skipped, &why)) {
      // The error names the archive first; a name may hold ": " itself.
      const std::string named = shown_name(path) + ": ";
      list_skipped(skipped, f, why.rfind(named, 0) == 0 ? why.substr(named.size()) : why);
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
template <typename Tokens, typename Written, typename Span, typename Aside>
void append_tokens(Submission* s, const SourceFile& file, const Tokens& tokens, Written written_of,
                   Span span_of, Aside aside_of) {
  const auto index = static_cast<std::uint32_t>(s->files.size());
  std::vector<std::size_t> line_starts = {0};
  for (std::size_t k = 0; k < file.text.size(); ++k)
    if (file.text[k] == '\n') line_starts.push_back(k + 1);
  // Code goes on after the code of the files before (a run may go on from
  // one file into the next), the rest at the end.
  Submission code;
  Submission rest;
  for (std::size_t k = 0; k < tokens.size(); ++k) {
    const auto [begin, end] = span_of(k);
    const auto line = static_cast<std::uint32_t>(
        std::upper_bound(line_starts.begin(), line_starts.end(), begin) - line_starts.begin());
    const std::string_view written = written_of(k);
    Submission& to = aside_of(k) ? rest : code;
    to.tokens += written;
    to.char_file.insert(to.char_file.end(), written.size(), index);
    to.char_begin.insert(to.char_begin.end(), written.size(), static_cast<std::uint32_t>(begin));
    to.char_end.insert(to.char_end.end(), written.size(), static_cast<std::uint32_t>(end));
    to.char_line.insert(to.char_line.end(), written.size(), line);
  }
  const auto at = static_cast<std::ptrdiff_t>(s->code_end);
  s->tokens.insert(s->code_end, code.tokens);
  s->char_file.insert(s->char_file.begin() + at, code.char_file.begin(), code.char_file.end());
  s->char_begin.insert(s->char_begin.begin() + at, code.char_begin.begin(), code.char_begin.end());
  s->char_end.insert(s->char_end.begin() + at, code.char_end.begin(), code.char_end.end());
  s->char_line.insert(s->char_line.begin() + at, code.char_line.begin(), code.char_line.end());
  s->code_end += code.tokens.size();
  s->tokens += rest.tokens;
  s->char_file.insert(s->char_file.end(), rest.char_file.begin(), rest.char_file.end());
  s->char_begin.insert(s->char_begin.end(), rest.char_begin.begin(), rest.char_begin.end());
  s->char_end.insert(s->char_end.end(), rest.char_end.begin(), rest.char_end.end());
  s->char_line.insert(s->char_line.end(), rest.char_line.begin(), rest.char_line.end());
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
        },
        [](std::size_t) { return false; });
  } else {
    const std::vector<CodeToken> tokens = code_tokens(file.text);
    append_tokens(
        s, file, tokens, [&](std::size_t k) { return tokens[k].written; },
        [&](std::size_t k) {
          return std::pair<std::size_t, std::size_t>(tokens[k].begin, tokens[k].end);
        },
        [&](std::size_t k) { return tokens[k].aside; });
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
      list_skipped(skipped, own.size() == 1 ? own[0] : root / relative, text::kHoldsNoSource);
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
