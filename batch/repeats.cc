// count_each_text_once(): a copy's code must not weigh double.
#include "batch/repeats.h"

#include <map>
#include <string_view>

#include "text/batch_messages.h"

namespace batch {

// A student's folder often holds a file twice ("main - Copy.c", a backup
// folder beside the work): counted twice, its code would weigh double in the
// submission's length and halve what a copy of it scores.
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

}  // namespace batch
