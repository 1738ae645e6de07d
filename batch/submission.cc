// Finding, reading and tokenising submissions.
#include "batch/submission.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "batch/archive.h"
#include "batch/class_archive.h"
#include "batch/code_tokens.h"
#include "batch/course_platforms.h"
#include "batch/names.h"
#include "batch/parallel.h"
#include "batch/repeats.h"
#include "batch/source_text.h"
#include "batch/walk.h"
#include "lexer/token_files.h"
#include "lexer/tokeniser.h"
#include "platform/file.h"
#include "platform/folder.h"
#include "text/batch_messages.h"

namespace batch {
namespace fs = std::filesystem;
namespace {

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

// The files a walk found, read in path order: a source as it is, an archive
// as all the sources in it. An archive is a student's upload, handed in as
// it is or in the folder a course platform made for the student (Moodle,
// Chaoxing). What cannot be read is said.
void read_sources(const std::vector<std::string>& files, const Reading& reading,
                  std::vector<SourceFile>* out, std::vector<Skipped>* skipped) {
  for (const std::string& path : files) {
    if (!is_archive_name(path)) {
      SourceFile file;
      if (std::string why = read_source(path, reading, &file); why.empty())
        out->push_back(std::move(file));
      else
        skipped->push_back(Skipped{path, std::move(why)});
      continue;
    }
    std::map<std::string, std::vector<SourceFile>> groups;
    std::string why;
    if (!archive_submissions(path, reading, false, &groups, skipped, &why)) {
      // The error names the archive first; a name may hold ": " itself.
      const std::string named = shown_name(path) + ": ";
      skipped->push_back(Skipped{path, why.rfind(named, 0) == 0 ? why.substr(named.size()) : why});
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
    if (!archive_submissions(path, reading, true, &groups, skipped, error)) return false;
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
    if (!named_file(root, reading.max_size, error, text::too_large)) return false;
    Submission s;
    s.name = path;
    s.full_name = path;
    SourceFile file;
    // Named on purpose: not to be passed over.
    if (const std::string why = read_source(platform::path_text(root), reading, &file);
        !why.empty()) {
      *error = shown_name(path) + ": " + why;
      return false;
    }
    append_file(&s, std::move(file));
    out->push_back(std::move(s));
    return true;
  }
  const std::string root_text = platform::path_text(root);
  Walk walk(root_text, reading, skipped);
  std::vector<Walk::Entry> entries;
  std::string why;
  if (!walk.entries(root_text, &entries, &why)) {
    *error = text::batch_unlistable(shown_name(path), why);
    return false;
  }
  // Each entry is a student's, but for a course platform's export, where one
  // student's entries lie side by side.
  std::vector<TopEntry> top;
  for (const Walk::Entry& e : entries)
    top.push_back(TopEntry{e.name, e.type == Walk::Entry::Type::kFolder});
  const std::size_t first_new = out->size();
  for (const auto& [student, own] : students_of(top)) {
    // What an earlier attempt handed in is passed over, and said.
    for (std::size_t e : own.earlier) {
      const std::string at = child_path(root_text, entries[e].name);
      std::string real;
      if (walk.kind_of(at, entries[e], walk.root(), &real) != Walk::Kind::kOther)
        skipped->push_back(Skipped{at, text::earlier_attempt(own.latest)});
    }
    Submission s;
    s.full_name = child_path(root_text, student);
    s.name = prefix_names ? s.full_name : student;
    std::vector<std::string> files;
    const std::size_t said = skipped->size();
    bool handed_in = false;  // a source, an archive or a folder
    for (std::size_t e : own.entries) {
      const std::string at = child_path(root_text, entries[e].name);
      std::string real;
      const Walk::Kind kind = walk.kind_of(at, entries[e], walk.root(), &real);
      handed_in |= kind != Walk::Kind::kOther;
      if (kind == Walk::Kind::kFile)
        files.push_back(at);
      else if (kind == Walk::Kind::kFolder && walk.enter(at, real))
        walk.files_below(at, real, &files);
    }
    if (!handed_in) continue;
    read_sources(files, reading, &s.files, skipped);  // tokenised below, on all threads
    count_each_text_once(&s.files, skipped);
    // A student who handed in no source is said, not passed over.
    if (s.files.empty() && skipped->size() == said)
      skipped->push_back(Skipped{own.entries.size() == 1
                                     ? child_path(root_text, entries[own.entries[0]].name)
                                     : s.full_name,
                                 std::string(text::kHoldsNoSource)});
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
  std::vector<std::string> files;
  if (fs::is_directory(root, ec)) {
    Walk walk(platform::path_text(root), reading, skipped);
    walk.files_below(platform::path_text(root), walk.root(), &files);
  } else if (is_archive_name(path)) {
    std::map<std::string, std::vector<SourceFile>> groups;
    if (!archive_submissions(path, reading, false, &groups, skipped, error)) return false;
    for (auto& [name, group] : groups)
      for (SourceFile& f : group) {
        separate_template_file(out);
        append_file(out, std::move(f));
      }
    return true;
  } else {
    if (!named_file(root, reading.max_size, error, text::too_large)) return false;
    files.push_back(platform::path_text(root));
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
