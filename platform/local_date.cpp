#include "platform/local_date.h"

#include <charconv>
#include <chrono>
#include <ctime>

namespace platform {

LocalDate today() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::optional<LocalDate> parseDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    auto number = [&](std::size_t from, std::size_t len) -> std::optional<int> {
        int v = 0;
        auto [ptr, ec] = std::from_chars(text.data() + from, text.data() + from + len, v);
        if (ec != std::errc() || ptr != text.data() + from + len)
            return std::nullopt;
        return v;
    };
    auto y = number(0, 4), m = number(5, 2), d = number(8, 2);
    if (!y || !m || !d)
        return std::nullopt;
    std::chrono::year_month_day ymd{std::chrono::year{*y}, std::chrono::month{unsigned(*m)},
                                    std::chrono::day{unsigned(*d)}};
    if (!ymd.ok())
        return std::nullopt;
    return LocalDate{*y, *m, *d};
}

long daysSince1904(const LocalDate& date) {
    using namespace std::chrono;
    sys_days d = year{date.year} / month{unsigned(date.month)} / day{unsigned(date.day)};
    sys_days epoch = year{1904} / January / 1;
    return static_cast<long>((d - epoch).count());
}

}  // namespace platform
