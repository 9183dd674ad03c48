#include "editor/platform/gbk_codec.h"

#include <windows.h>

#include <array>
#include <memory>

namespace vantrel {
namespace {

constexpr UINT kGbkCodePage = 936;

bool IsPlaceholder(wchar_t c) {
  return c >= kPlaceholderFirst && c <= kPlaceholderLast;
}

bool IsSurrogate(wchar_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

// Lookup tables derived once from the system's code page 936. Decoding then costs one table
// read per character, and sealed text, mostly bytes that are not GBK, is as cheap as plain text.
struct GbkTables {
  std::array<wchar_t, 256> single{};           // byte -> character, 0: not a character
  std::array<wchar_t, 128 * 256> pair{};       // (lead - 0x80, trail) -> character, 0: none
  std::array<std::uint16_t, 65536> encoded{};  // character -> bytes (lead << 8 | trail for
                                               // two), 0: GBK cannot hold it
};

// The character `bytes` decode to, or 0 when they are not exactly one character that encodes
// back to the same bytes.
wchar_t DecodeExactly(const char* bytes, int size) {
  wchar_t c = 0;
  if (MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, bytes, size, &c, 1) != 1 || c == 0 ||
      IsSurrogate(c) || IsPlaceholder(c)) {
    return 0;
  }
  char back[4] = {};
  BOOL usedDefault = FALSE;
  const int backSize = WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, &c, 1, back,
                                           sizeof back, nullptr, &usedDefault);
  if (usedDefault || backSize != size) {
    return 0;
  }
  for (int i = 0; i < size; ++i) {
    if (back[i] != bytes[i]) {
      return 0;
    }
  }
  return c;
}

std::unique_ptr<GbkTables> BuildTables() {
  auto tables = std::make_unique<GbkTables>();
  for (unsigned b = 1; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    const wchar_t c = DecodeExactly(&byte, 1);
    tables->single[b] = c;
    if (c != 0) {
      tables->encoded[c] = static_cast<std::uint16_t>(b);
    }
  }
  for (unsigned lead = 0x81; lead < 0xFF; ++lead) {
    if (tables->single[lead] != 0) {
      continue;
    }
    for (unsigned trail = 1; trail < 256; ++trail) {
      const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      const wchar_t c = DecodeExactly(bytes, 2);
      if (c != 0) {
        tables->pair[(lead - 0x80) << 8 | trail] = c;
        tables->encoded[c] = static_cast<std::uint16_t>(lead << 8 | trail);
      }
    }
  }
  return tables;
}

const GbkTables& Tables() {
  static const std::unique_ptr<GbkTables> tables = BuildTables();
  return *tables;
}

// Appends the GBK bytes of text; placeholders become their byte when `placeholdersAreBytes`.
std::size_t Encode(std::wstring_view text,
                   bool placeholdersAreBytes,
                   std::vector<std::uint8_t>& out) {
  const GbkTables& tables = Tables();
  std::size_t unrepresentable = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (placeholdersAreBytes && IsPlaceholder(c)) {
      out.push_back(static_cast<std::uint8_t>(c - kPlaceholderFirst));
      continue;
    }
    const std::uint16_t bytes = tables.encoded[c];
    if (bytes == 0) {
      ++unrepresentable;
      out.push_back('?');
      const bool surrogatePair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
                                 text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      i += surrogatePair ? 1 : 0;
    } else if (bytes > 0xFF) {
      out.push_back(static_cast<std::uint8_t>(bytes >> 8));
      out.push_back(static_cast<std::uint8_t>(bytes & 0xFF));
    } else {
      out.push_back(static_cast<std::uint8_t>(bytes));
    }
  }
  return unrepresentable;
}

}  // namespace

std::wstring DecodeGbk(std::span<const std::uint8_t> bytes) {
  const GbkTables& tables = Tables();
  std::wstring text(bytes.size(), L'\0');
  std::size_t length = 0;
  const std::size_t size = bytes.size();
  for (std::size_t i = 0; i < size;) {
    const std::uint8_t b = bytes[i];
    wchar_t c = tables.single[b];
    std::size_t used = 1;
    if (c == 0 && b >= 0x80 && i + 1 < size) {
      c = tables.pair[static_cast<std::size_t>(b - 0x80) << 8 | bytes[i + 1]];
      used = 2;
    }
    if (c == 0) {
      c = static_cast<wchar_t>(kPlaceholderFirst + b);
      used = 1;
    }
    text[length++] = c;
    i += used;
  }
  text.resize(length);
  return text;
}

EditContent EncodeGbk(std::wstring_view text) {
  EditContent content;
  content.bytes.reserve(text.size() * 2);
  content.unrepresentable = Encode(text, true, content.bytes);
  return content;
}

std::size_t EncodeGbkPassword(std::wstring_view text, std::vector<std::uint8_t>& out) {
  return Encode(text, false, out);
}

}  // namespace vantrel
