#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "editor/platform/platform.h"

namespace vantrel {

// Byte-exact mapping between document bytes and the UTF-16 text of the edit box.
//
// Bytes that form a GBK character (code page 936, named explicitly so the system's ANSI code
// page never matters) show as that character. A sequence counts only if encoding the character
// gives back exactly the same bytes. A zero byte and every byte that does not start such a
// character show as the placeholder U+F700 + byte (U+F700..U+F7FF, private use). Code page 936
// maps its user-defined areas into U+E000..U+E765 and nothing into U+F700..U+F7FF, so no GBK
// text decodes into the placeholders; the tables are built to skip any sequence that would.
// Decoding then encoding gives back any byte string exactly.
inline constexpr wchar_t kPlaceholderFirst = 0xF700;
inline constexpr wchar_t kPlaceholderLast = 0xF7FF;

std::wstring DecodeGbk(std::span<const std::uint8_t> bytes);

// Edit box text to document bytes. A placeholder, also one the user typed or pasted, becomes
// its byte. Characters GBK cannot hold become '?' and are counted (a surrogate pair counts
// once).
EditContent EncodeGbk(std::wstring_view text);

// A typed password to GBK, appended to `out`, which the caller reserves with room for
// 2 * text.size() more bytes so the secret is never copied by a reallocation. Placeholders are
// not special here: like every character GBK cannot hold they become '?' and are counted.
// Returns that count.
std::size_t EncodeGbkPassword(std::wstring_view text, std::vector<std::uint8_t>& out);

}  // namespace vantrel
