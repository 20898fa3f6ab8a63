#pragma once
// Fixed-width, NUL-terminated Shift-JIS text fields: the database name and the text
// fields of the editor's records.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/cp932.h"

namespace pdb {

// The text up to the first NUL (or the whole field when it has none).
template <std::size_t N>
std::string fieldText(const std::array<char, N>& field) {
    std::size_t len = 0;
    while (len < N && field[len] != '\0') ++len;
    return std::string(field.data(), len);
}

// Stores text, cut to at most N - 1 bytes without splitting a double-byte character,
// and fills the rest of the field with zeros so it always keeps its terminator.
template <std::size_t N>
void setFieldText(std::array<char, N>& field, std::string_view text) {
    std::size_t len = platform::cp932PrefixLength(text, N - 1);
    field.fill('\0');
    text.copy(field.data(), len);
}

}  // namespace pdb
