#include "tests/support/archive_maker.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cstdint>
#include <optional>

#include "platform/utf8_characters.h"

namespace testing_support {
namespace {

void put_le(std::string* out, std::uint32_t value, int bytes) {
  for (int k = 0; k < bytes; ++k) *out += static_cast<char>((value >> (8 * k)) & 0xff);
}

// UTF-8 text as wide text (UTF-16 where wchar_t has 16 bits), as 7z's
// writer wants a name it stores as UTF-16.
std::wstring wide_of(const std::string& utf8) {
  std::wstring out;
  for (std::size_t k = 0; k < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[k]);
    const int more = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    std::uint32_t point = more == 0 ? lead : lead & (0x3F >> more);
    for (int m = 1; m <= more && k + m < utf8.size(); ++m)
      point = point << 6 | (static_cast<unsigned char>(utf8[k + m]) & 0x3F);
    k += static_cast<std::size_t>(more) + 1;
    if (sizeof(wchar_t) == 2 && point > 0xFFFF) {
      out += static_cast<wchar_t>(0xD800 + ((point - 0x10000) >> 10));
      out += static_cast<wchar_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
    } else {
      out += static_cast<wchar_t>(point);
    }
  }
  return out;
}

// CRC-32 (IEEE 802.3, as zip and RAR use it), a bit at a time.
std::uint32_t crc32_of(const std::string& bytes) {
  std::uint32_t crc = 0xffffffff;
  for (char c : bytes) {
    crc ^= static_cast<unsigned char>(c);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320 & (0u - (crc & 1)));
  }
  return ~crc;
}

// A RAR 4 block: its header's CRC (the low half of the CRC-32 of the rest),
// type, flags, size, then `body`.
std::string rar_block(int type, std::uint32_t flags, const std::string& body) {
  std::string rest;
  put_le(&rest, static_cast<std::uint32_t>(type), 1);
  put_le(&rest, flags, 2);
  put_le(&rest, static_cast<std::uint32_t>(7 + body.size()), 2);
  rest += body;
  std::string block;
  put_le(&block, crc32_of(rest) & 0xffff, 2);
  return block + rest;
}

std::string make_rar(const std::vector<std::pair<std::string, std::string>>& files) {
  std::string out("Rar!\x1a\x07\x00", 7);
  out += rar_block(0x73, 0, std::string(6, '\0'));  // the archive's header
  for (const auto& [path, bytes] : files) {
    std::string name = path;
    std::replace(name.begin(), name.end(), '/', '\\');
    std::string body;
    put_le(&body, static_cast<std::uint32_t>(bytes.size()), 4);  // packed
    put_le(&body, static_cast<std::uint32_t>(bytes.size()), 4);  // unpacked
    put_le(&body, 2, 1);                                         // made on Windows
    put_le(&body, crc32_of(bytes), 4);
    put_le(&body, 0x21000000, 4);  // 1980-08-01, in DOS time
    put_le(&body, 20, 1);          // needs RAR 2.0 to unpack
    put_le(&body, 0x30, 1);        // stored
    put_le(&body, static_cast<std::uint32_t>(name.size()), 2);
    put_le(&body, 0x20, 4);  // an archived file
    out += rar_block(0x74, 0x8000, body + name) + bytes;
  }
  return out + rar_block(0x7b, 0x4000, "");  // the end
}

}  // namespace

std::string make_archive(ArchiveKind kind,
                         const std::vector<std::pair<std::string, std::string>>& files) {
  if (kind == ArchiveKind::kRar) return make_rar(files);
  std::size_t room = 1 << 16;
  for (const auto& f : files) room += f.first.size() + f.second.size() + 512;
  std::string out(room, '\0');
  std::size_t used = 0;
  std::optional<platform::Utf8Characters> names_in_utf8;  // 7z's writer goes through it
  if (kind == ArchiveKind::kZipUtf8 || kind == ArchiveKind::k7z) names_in_utf8.emplace();
  archive* a = archive_write_new();
  if (kind == ArchiveKind::kZip || kind == ArchiveKind::kZipUtf8) {
    archive_write_set_format_zip(a);
    if (kind == ArchiveKind::kZipUtf8) archive_write_set_options(a, "hdrcharset=UTF-8");
  } else if (kind == ArchiveKind::k7z) {
    archive_write_set_format_7zip(a);
  } else {
    archive_write_set_format_pax_restricted(a);
    if (kind == ArchiveKind::kTarBz2)
      archive_write_add_filter_bzip2(a);
    else if (kind == ArchiveKind::kTarXz)
      archive_write_add_filter_xz(a);
    else if (kind == ArchiveKind::kTarGz)
      archive_write_add_filter_gzip(a);
  }
  archive_write_open_memory(a, out.data(), out.size(), &used);
  for (const auto& [path, bytes] : files) {
    archive_entry* e = archive_entry_new();
    if (kind == ArchiveKind::kZipUtf8 || kind == ArchiveKind::k7z)
      archive_entry_copy_pathname_w(e, wide_of(path).c_str());
    else
      archive_entry_set_pathname(e, path.c_str());
    const bool folder = !path.empty() && path.back() == '/';
    archive_entry_set_filetype(e, folder ? AE_IFDIR : AE_IFREG);
    archive_entry_set_perm(e, folder ? 0755 : 0644);
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
