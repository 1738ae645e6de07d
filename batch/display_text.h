// Source text as the report shows it: split into lines on the raw bytes (so
// line numbers agree with the JSON's), each line decoded for display in the
// encoding asked for, with where each byte lands in the decoded line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace batch {

enum class Encoding { kAuto, kUtf8, kGb18030, kLatin1 };

/// "auto", "utf-8"/"utf8", "gb18030"/"gbk"/"gb2312", "latin1"/"iso-8859-1"
/// (any case); false for another name.
bool parse_encoding(std::string_view name, Encoding* encoding);

struct ShownFile {
  std::vector<std::string> lines;  // UTF-8, without their line ends
  /// Per byte of the text (and one past its end): its line, and the UTF-16
  /// column where its character starts in that line as decoded.
  std::vector<std::uint32_t> line_of;
  std::vector<std::uint32_t> column_of;
  bool clipped = false;  // only the first `limit` bytes (to a line end) are shown
};

/// `bytes` decoded: auto takes UTF-8 when the whole text is valid UTF-8,
/// else GB18030. At most about `limit` bytes are kept, cut at a line end.
ShownFile shown_file(std::string_view bytes, Encoding encoding, std::size_t limit);

}  // namespace batch
