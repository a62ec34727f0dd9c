// Text conversion between the UTF-8 of scenario and transcript files and the program's wide
// texts. The simulator converts in this one place only.
#pragma once

#include <string>
#include <string_view>

namespace vtr::sim {

// Decodes UTF-8. Malformed input (a stray byte, a cut-off or overlong sequence, an encoded
// surrogate) throws std::invalid_argument whose message starts with where, e.g. "files[2].path".
std::wstring FromUtf8(std::string_view text, std::string_view where);

// Encodes as UTF-8. A character that no UTF-8 text can hold (a lone surrogate half) becomes
// U+FFFD, so a transcript line is always valid JSON.
std::string ToUtf8(std::wstring_view text);

}  // namespace vtr::sim
