// Names of files and submissions as shown to a person: readable where the
// bytes allow, and never two different names shown alike.
#pragma once

#include <string>
#include <string_view>

namespace batch {

/// `raw` for showing, in UTF-8: as it is when it is UTF-8; else read as
/// GB18030 when every byte decodes (marked " (GB18030)": zips made on a
/// Chinese Windows carry GBK names); else with each byte that is no part
/// of a UTF-8 character written \xNN. Control characters and backslashes
/// are always escaped (\xNN, \\), so no name can forge a line or pass for
/// another.
std::string shown_name(std::string_view raw);

/// The columns a shown name takes on a terminal: two for each East Asian
/// wide character (Chinese, Japanese, Korean, full-width forms), one for
/// any other; so that tables line up whatever script names are in.
std::size_t columns(std::string_view shown);

/// Every byte of `raw` outside printable ASCII, and the backslash, as \xNN:
/// the exact bytes, in plain ASCII.
std::string escaped_bytes(std::string_view raw);

/// True if `name` ends in `tail`, letters compared in either case (ASCII):
/// `MAIN.C` and `Class.ZIP` are named as Windows users name them.
bool ends_with_any_case(std::string_view name, std::string_view tail);

/// A CSV cell's text made safe from spreadsheets: one that begins with
/// '=', '+', '-', '@', a tab or a CR gets a leading apostrophe.
std::string formula_guarded(std::string text);

}  // namespace batch
