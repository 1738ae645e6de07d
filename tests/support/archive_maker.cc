#include "tests/support/archive_maker.h"

#include <archive.h>
#include <archive_entry.h>

namespace testing_support {

std::string make_archive(ArchiveKind kind,
                         const std::vector<std::pair<std::string, std::string>>& files) {
  std::size_t room = 1 << 16;
  for (const auto& f : files) room += f.first.size() + f.second.size() + 512;
  std::string out(room, '\0');
  std::size_t used = 0;
  archive* a = archive_write_new();
  if (kind == ArchiveKind::kZip) {
    archive_write_set_format_zip(a);
  } else {
    archive_write_set_format_pax_restricted(a);
    archive_write_add_filter_gzip(a);
  }
  archive_write_open_memory(a, out.data(), out.size(), &used);
  for (const auto& [path, bytes] : files) {
    archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, path.c_str());
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0644);
    archive_entry_set_size(e, static_cast<la_int64_t>(bytes.size()));
    archive_write_header(a, e);
    archive_write_data(a, bytes.data(), bytes.size());
    archive_entry_free(e);
  }
  archive_write_close(a);
  archive_write_free(a);
  out.resize(used);
  return out;
}

}  // namespace testing_support
