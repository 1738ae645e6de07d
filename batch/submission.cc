// Finding, reading and tokenising submissions.
#include "batch/submission.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "lexer/token_files.h"
#include "lexer/tokeniser.h"
#include "platform/file.h"
#include "platform/text_mode.h"
#include "text/batch_messages.h"

namespace batch {
namespace fs = std::filesystem;
namespace {

bool is_c_file(const fs::path& p) { return p.extension() == ".c" || p.extension() == ".h"; }
bool is_hidden(const fs::path& p) { return p.filename().string().rfind('.', 0) == 0; }

bool read_source(const fs::path& p, const Reading& reading, SourceFile* out,
                 std::vector<Skipped>* skipped) {
  std::string raw;
  if (!platform::read_file(p.string(), &raw)) {
    skipped->push_back(Skipped{p.string(), std::string(text::kCannotBeRead)});
    return false;
  }
  out->path = p.string();
  out->text =
      reading.stop_at_eof_byte ? platform::decode_text_mode(raw) : platform::decode_line_ends(raw);
  return true;
}

// The C files below `dir`, in path order.
std::vector<fs::path> c_files_below(const fs::path& dir, std::vector<Skipped>* skipped) {
  std::vector<fs::path> found;
  std::error_code ec;
  fs::recursive_directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec);
  if (ec) skipped->push_back(Skipped{dir.string(), std::string(text::kCannotBeListed)});
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (is_hidden(it->path())) {
      if (it->is_directory(ec)) it.disable_recursion_pending();
      continue;
    }
    if (it->is_regular_file(ec) && is_c_file(it->path())) found.push_back(it->path());
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::vector<fs::path> sorted_entries(const fs::path& dir, std::error_code& ec) {
  std::vector<fs::path> entries;
  for (fs::directory_iterator it(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
    if (!is_hidden(it->path())) entries.push_back(it->path());
  std::sort(entries.begin(), entries.end());
  return entries;
}

}  // namespace

void append_file(Submission* s, SourceFile file) {
  std::vector<std::size_t> starts;
  const std::vector<std::string> words = lexer::tokenise(file.text, &starts);
  const auto index = static_cast<std::uint32_t>(s->files.size());
  std::uint32_t line = 1;
  std::size_t counted = 0;  // bytes of the text whose line ends are in `line`
  for (std::size_t k = 0; k < words.size(); ++k) {
    line += static_cast<std::uint32_t>(
        std::count(file.text.begin() + static_cast<std::ptrdiff_t>(counted),
                   file.text.begin() + static_cast<std::ptrdiff_t>(starts[k]), '\n'));
    counted = starts[k];
    const std::string_view written = lexer::written_form(words[k]);
    s->tokens += written;
    const auto begin = static_cast<std::uint32_t>(starts[k]);
    const auto end =
        static_cast<std::uint32_t>(starts[k] + std::max<std::size_t>(words[k].size(), 1));
    s->char_file.insert(s->char_file.end(), written.size(), index);
    s->char_begin.insert(s->char_begin.end(), written.size(), begin);
    s->char_end.insert(s->char_end.end(), written.size(), end);
    s->char_line.insert(s->char_line.end(), written.size(), line);
  }
  s->files.push_back(std::move(file));
}

SourceSpot locate(const Submission& s, std::size_t char_pos) {
  return SourceSpot{s.char_file[char_pos], s.char_line[char_pos]};
}

bool collect(const std::string& path, bool prefix_names, const Reading& reading,
             std::vector<Submission>* out, std::vector<Skipped>* skipped, std::string* error) {
  std::error_code ec;
  const fs::path root(path);
  if (!fs::exists(root, ec)) {
    *error = text::batch_no_such_path(path);
    return false;
  }
  if (!fs::is_directory(root, ec)) {
    Submission s;
    s.name = path;
    s.full_name = path;
    SourceFile file;
    if (read_source(root, reading, &file, skipped)) {
      append_file(&s, std::move(file));
      out->push_back(std::move(s));
    }
    return true;
  }
  const std::vector<fs::path> entries = sorted_entries(root, ec);
  if (ec) {
    *error = text::batch_unlistable(path, ec.message());
    return false;
  }
  for (const fs::path& entry : entries) {
    const bool dir = fs::is_directory(entry, ec);
    if (!dir && !(fs::is_regular_file(entry, ec) && is_c_file(entry))) continue;
    Submission s;
    const std::string relative = entry.lexically_relative(root).string();
    s.full_name = (root / relative).string();
    s.name = prefix_names ? s.full_name : relative;
    const std::vector<fs::path> files =
        dir ? c_files_below(entry, skipped) : std::vector<fs::path>{entry};
    for (const fs::path& f : files) {
      SourceFile file;
      if (read_source(f, reading, &file, skipped)) append_file(&s, std::move(file));
    }
    if (s.files.empty()) continue;
    out->push_back(std::move(s));
  }
  return true;
}

void settle(std::vector<Submission>* subs, std::size_t* fresh, std::vector<Skipped>* skipped) {
  std::set<std::vector<std::string>> seen;  // each kept submission's files, resolved
  std::vector<Submission> kept;
  std::size_t kept_fresh = 0;
  for (std::size_t k = 0; k < subs->size(); ++k) {
    Submission& s = (*subs)[k];
    std::vector<std::string> files;
    for (const SourceFile& f : s.files) {
      std::error_code ec;
      const fs::path resolved = fs::canonical(f.path, ec);
      files.push_back(ec ? f.path : resolved.string());
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
  const fs::path root(path);
  if (!fs::exists(root, ec)) {
    *error = text::batch_no_such_path(path);
    return false;
  }
  const std::vector<fs::path> files =
      fs::is_directory(root, ec) ? c_files_below(root, skipped) : std::vector<fs::path>{root};
  for (const fs::path& f : files) {
    SourceFile file;
    if (!read_source(f, reading, &file, skipped)) continue;
    // A space never matches, so no run reaches from one template file into the next.
    if (!out->tokens.empty()) {
      out->tokens += ' ';
      out->char_file.push_back(0);
      out->char_begin.push_back(0);
      out->char_end.push_back(0);
      out->char_line.push_back(0);
    }
    append_file(out, std::move(file));
  }
  return true;
}

}  // namespace batch
