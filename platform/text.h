#pragma once
// Reading the text inputs of both programs: one comma-separated field at a time, and
// decimal numbers. The formats differ in what they allow (double quotes, blanks around a
// field, a "+" sign, an exponent, text after the number); those differences are the
// parameters here.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace platform {

// ---- Comma-separated fields --------------------------------------------------------

struct CsvSyntax {
    // A field that starts with a double quote runs to the next double quote and may hold
    // commas; the quotes are not part of it.
    bool quotes = true;
    // Blanks (space, tab) in front of a field and after an unquoted one are not part of it.
    bool trimBlanks = true;
    char delimiter = ',';
};

struct CsvField {
    std::string_view text;
    bool quoted = false;
    bool unclosed = false;        // a quoted field without its closing quote (runs to the end)
    bool textAfterQuote = false;  // something other than blanks between the closing quote and
                                  // the comma (not part of the field)
    bool last = false;            // no comma follows: the field ends the line
};

// The field of line (a line without its line end) that starts at pos; pos moves past it
// and its delimiter. A line holds at least one field (an empty line one empty field), and a
// delimiter at its end is followed by one more, empty field.
CsvField nextCsvField(std::string_view line, std::size_t& pos, const CsvSyntax& syntax = {});

// ---- Numbers ----------------------------------------------------------------------------

struct NumberSyntax {
    bool plusSign = true;  // a "+" may stand where a "-" may
    bool exponent = true;  // "1.5e3" (reals only)
};

enum class NumberStatus { Ok, NotNumber, OutOfRange };

template <typename T>
struct Number {
    T value{};
    NumberStatus status = NumberStatus::NotNumber;
    std::size_t length = 0;  // characters taken by the number (also when out of range)
};

// The decimal number at the start of text, read with std::from_chars (reals correctly
// rounded): an optional sign, digits, for reals at most one decimal point with a digit
// before or after it and, where the syntax allows it, an exponent. No blanks, no "inf" or
// "nan", no hexadecimal. Text after the number is left for the caller (see length).
template <typename T>
Number<T> readNumber(std::string_view text, const NumberSyntax& syntax = {});

// The same for a text that must be a number and nothing else.
template <typename T>
Number<T> parseNumber(std::string_view text, const NumberSyntax& syntax = {}) {
    Number<T> n = readNumber<T>(text, syntax);
    if (n.status != NumberStatus::NotNumber && n.length != text.size())
        n = Number<T>{};
    return n;
}

extern template Number<double> readNumber<double>(std::string_view, const NumberSyntax&);
extern template Number<float> readNumber<float>(std::string_view, const NumberSyntax&);
extern template Number<long long> readNumber<long long>(std::string_view, const NumberSyntax&);

}  // namespace platform
