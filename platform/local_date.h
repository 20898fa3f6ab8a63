#pragma once
// The current local date, and dates given on a command line.
#include <optional>
#include <string_view>

namespace platform {

struct LocalDate {
    int year = 1904;
    int month = 1;
    int day = 1;
    friend bool operator==(const LocalDate&, const LocalDate&) = default;
};

LocalDate today();

// Parses "YYYY-MM-DD"; nothing when the text is not a real calendar date.
std::optional<LocalDate> parseDate(std::string_view text);

// Whole days from 1904-01-01 to the date (negative before it).
long daysSince1904(const LocalDate& date);

}  // namespace platform
