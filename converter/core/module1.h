#pragma once
// Module1: the converter's byte-order and Shift-JIS text helpers.
//
// Every converter writer turns numbers into big-endian fields and text into fixed-width,
// zero-padded Shift-JIS fields with these. Each helper guards its own body: a failure (an
// index outside the byte field passed in, a character that has no single-byte code, a value
// that does not fit) comes back as the failure "エラー：<helper>", with the byte fields as
// far as they had been written. The operation that called the helper shows it as the
// helpers' own box (showFailure) and goes on.
//
// Text arguments ("Unicode text") are UTF-8. Byte fields are caller-owned spans; a helper
// never writes outside the span it is given, it reports the failure instead.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/prompter.h"
#include "platform/result.h"

namespace converter::Module1 {

// Number of characters in the first n bytes of b, up to the first zero byte (also one where
// a trail byte is expected). A lead byte (0x81-0x9F, 0xE0-0xFC) and its trail byte count as
// one character. Fails when n reaches past the end of b.
platform::Result<std::int32_t> ByteLen(std::span<const std::uint8_t> b, std::int32_t n);

// The 16-bit value with its two bytes exchanged: 8 gives 2048, -32768 gives 128. Written
// least significant byte first, the result stores v most significant byte first.
std::int16_t swapByte(std::int16_t v);
// The same for a value computed in a wider type: -32768 to 65535 (a 16-bit field's signed
// or unsigned range) is taken as its 16-bit pattern; anything else fails.
platform::Result<std::int16_t> swapByte(std::int64_t v);

// The 32-bit value with its four bytes in reverse order: 80 gives 1342177280.
std::int32_t swapWord(std::int32_t v);
// The same for a wider value: -2147483648 to 4294967295 is taken as its 32-bit pattern;
// anything else fails.
platform::Result<std::int32_t> swapWord(std::int64_t v);

// Stores text one byte per character in d[0] to d[n-1]: character i goes to d[i], a blank
// becomes 0, and the bytes after the text are 0. An empty text leaves d as it was. A
// character without a single-byte code (any double-byte character, or one that has no
// Shift-JIS code at all) fails; the bytes before it stay written.
platform::Status byteConv(std::span<std::uint8_t> d, std::int16_t n, std::string_view text);

// Replaces o with the Shift-JIS bytes of text and returns their number. A character that
// has no Shift-JIS code, or more than 32767 bytes, fails (o is then left as it was, or holds
// the bytes when only the count overflowed).
platform::Result<std::int16_t> uni2dbcs(std::vector<std::uint8_t>& o, std::string_view text);

// Clears d[0] to d[n-1], copies s[0] to s[n-1] into it dropping zero bytes at odd
// positions, then turns trailing blanks (0x20) of d[0..n-1] into zero bytes. Returns the
// number of bytes copied. Bytes of d beyond n are not touched. Fails when n reaches past the
// end of d or of s.
platform::Result<std::int32_t> compressDbcs(std::span<std::uint8_t> d,
                                            std::span<const std::uint8_t> s, std::int16_t n);

// Shows the failure of a helper as the helpers report it: "エラー：<helper>", the helper's name
// as title, the critical icon and an OK button.
void showFailure(platform::Prompter& prompter, std::string_view helper);

}  // namespace converter::Module1
