#include "platform/text.h"

#include <cmath>

namespace platform {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

CsvField nextCsvField(std::string_view line, std::size_t& pos, const CsvSyntax& syntax) {
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

template <typename T>
Number<T> readNumber(std::string_view text, const NumberSyntax& syntax) {
    constexpr bool real = std::is_floating_point_v<T>;
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
        // The common field, a whole number of up to 15 digits, is exact as a double.
        const char* p = text.data() + digits;
        const char* const from = p;
        std::int64_t whole = 0;
        while (p < last && p - from < 16 && isDigit(*p)) whole = whole * 10 + (*p++ - '0');
        if (p - from <= 15 &&
            (p == last || (*p != '.' && *p != 'e' && *p != 'E' && !isDigit(*p)))) {
            n.value = negative ? -static_cast<double>(whole) : static_cast<double>(whole);
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

template Number<double> readNumber<double>(std::string_view, const NumberSyntax&);
template Number<float> readNumber<float>(std::string_view, const NumberSyntax&);
template Number<long long> readNumber<long long>(std::string_view, const NumberSyntax&);

}  // namespace platform
