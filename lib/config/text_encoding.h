#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tv {

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Converts Windows-1252 bytes to UTF-8. The five bytes that code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of
// the same number, as Windows itself does, so no byte is lost.
std::string Windows1252ToUtf8(std::string_view text);

// Texts read from our files: kept as they are when they are UTF-8, otherwise
// taken as Windows-1252 (what a Windows editor saves) and converted.
std::string TextFileToUtf8(std::string_view text);

// The first `max_chars` characters of a UTF-8 text, never cutting inside a
// multi-byte sequence.
std::string Utf8Prefix(std::string_view text, std::size_t max_chars);

// Number of characters of a UTF-8 text (bytes that start a character).
std::size_t Utf8Length(std::string_view text);

}  // namespace tv
