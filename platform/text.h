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
inline CsvField nextCsvField(std::string_view line, std::size_t& pos,
                             const CsvSyntax& syntax = {}) {
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    CsvField f;
    if (syntax.trimBlanks)
        while (pos < line.size() && isBlank(line[pos])) ++pos;
    if (syntax.quotes && pos < line.size() && line[pos] == '"') {
        f.quoted = true;
        std::size_t close = line.find('"', pos + 1);
        if (close == std::string_view::npos) {
            f.unclosed = true;
            f.text = line.substr(pos + 1);
            pos = line.size();
            f.last = true;
            return f;
        }
        f.text = line.substr(pos + 1, close - pos - 1);
        pos = close + 1;
        std::size_t comma = line.find(syntax.delimiter, pos);
        std::size_t end = comma == std::string_view::npos ? line.size() : comma;
        for (std::size_t i = pos; i < end; ++i)
            f.textAfterQuote = f.textAfterQuote || !isBlank(line[i]);
        pos = end;
    } else {
        // Fields are short: a plain loop beats a library search here.
        std::size_t end = pos;
        while (end < line.size() && line[end] != syntax.delimiter) ++end;
        f.text = line.substr(pos, end - pos);
        if (syntax.trimBlanks)
            while (!f.text.empty() && isBlank(f.text.back())) f.text.remove_suffix(1);
        pos = end;
    }
    f.last = pos >= line.size();
    if (!f.last)
        ++pos;  // the delimiter
    return f;
}

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
Number<T> readNumber(std::string_view text, const NumberSyntax& syntax = {}) {
    constexpr bool real = std::is_floating_point_v<T>;
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    Number<T> n;
    // from_chars takes a "-" but not a "+".
    const std::size_t start = syntax.plusSign && text.starts_with('+') ? 1 : 0;
    const bool negative = start == 0 && text.starts_with('-');
    const std::size_t digits = negative ? 1 : start;
    // A number goes on with a digit (or, for reals, a decimal point and a digit): this
    // keeps out a second sign, "inf", "nan" and hexadecimal.
    auto digitAt = [&](std::size_t k) { return k < text.size() && isDigit(text[k]); };
    if (!digitAt(digits) &&
        !(real && digits < text.size() && text[digits] == '.' && digitAt(digits + 1)))
        return n;
    const char* first = text.data() + start;
    const char* last = text.data() + text.size();
    if constexpr (std::is_same_v<T, double>) {
        // The common field, up to 15 digits and a decimal point, is read exactly: the digits
        // as a whole number, divided by a power of ten that a double holds exactly, give the
        // correctly rounded value.
        static constexpr double kPow10[] = {1e0, 1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7, 1e8,
                                            1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16};
        const char* p = text.data() + digits;
        const char* const intStart = p;
        std::uint64_t whole = 0;
        while (p < last && isDigit(*p)) whole = whole * 10 + static_cast<unsigned>(*p++ - '0');
        std::ptrdiff_t places = p - intStart;
        std::ptrdiff_t decimals = 0;
        if (p < last && *p == '.') {
            const char* const fracStart = ++p;
            while (p < last && isDigit(*p)) whole = whole * 10 + static_cast<unsigned>(*p++ - '0');
            decimals = p - fracStart;
            places += decimals;
        }
        const bool exponentFollows = syntax.exponent && p < last && (*p == 'e' || *p == 'E');
        if (places <= 15 && !exponentFollows) {
            double v = static_cast<double>(whole);
            if (decimals > 0)
                v /= kPow10[decimals];
            n.value = negative ? -v : v;
            n.status = NumberStatus::Ok;
            n.length = static_cast<std::size_t>(p - text.data());
            return n;
        }
    }
    T value{};
    std::from_chars_result r;
    if constexpr (real)
        r = std::from_chars(
            first, last, value,
            syntax.exponent ? std::chars_format::general : std::chars_format::fixed);
    else
        r = std::from_chars(first, last, value);
    if (r.ec != std::errc() && r.ec != std::errc::result_out_of_range)
        return n;
    n.length = static_cast<std::size_t>(r.ptr - text.data());
    n.status = r.ec == std::errc() ? NumberStatus::Ok : NumberStatus::OutOfRange;
    n.value = value;
    return n;
}

// The same for a text that must be a number and nothing else.
template <typename T>
Number<T> parseNumber(std::string_view text, const NumberSyntax& syntax = {}) {
    Number<T> n = readNumber<T>(text, syntax);
    if (n.status != NumberStatus::NotNumber && n.length != text.size())
        n = Number<T>{};
    return n;
}

}  // namespace platform
