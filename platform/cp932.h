#pragma once
// Conversion between UTF-8 (the text of the user interface and the console)
// and code page 932 (the Shift-JIS bytes stored in every file), through the C library's
// iconv; also whether a text is valid in either encoding. Every thread keeps its own
// conversion descriptors.
#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct TextConversion {
    std::string text;  // converted text; on failure, what was converted before the bad character
    bool ok = true;
    std::string badCharacter;   // the first character that could not be converted (source encoding)
    std::size_t badOffset = 0;  // its byte offset in the source
};

// UTF-8 to CP932. A character without a CP932 code stops the conversion.
TextConversion utf8ToCp932(std::string_view utf8);
// CP932 to UTF-8. An invalid or incomplete byte sequence stops the conversion.
TextConversion cp932ToUtf8(std::string_view sjis);

// Convenience forms for text known to be valid: unconvertible input yields the converted prefix.
std::string toCp932(std::string_view utf8);
std::string toUtf8(std::string_view sjis);

// Offset of the first byte where the text stops being valid CP932 (a character iconv
// cannot convert, or one cut off by the end), or nothing when all of it is valid. What
// iconv converts is asked once per process for every character; the text is then checked
// against that table, once and without a converted copy, so it suits large files.
std::optional<std::size_t> firstInvalidCp932(std::string_view sjis);
// The same for UTF-8, through iconv.
std::optional<std::size_t> firstInvalidUtf8(std::string_view utf8);

// Length in bytes of the UTF-8 character that starts with byte b (1 for a stray byte).
inline std::size_t utf8CharLength(unsigned char b) {
    return b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
}

// True when byte b starts a double-byte CP932 character.
inline bool isCp932LeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Length of the longest prefix of sjis that is at most maxBytes long and does not end
// inside a double-byte character.
std::size_t cp932PrefixLength(std::string_view sjis, std::size_t maxBytes);

}  // namespace platform
