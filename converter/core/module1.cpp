#include "converter/core/module1.h"

#include <algorithm>
#include <string>

#include "platform/cp932.h"

namespace converter::Module1 {
namespace {

// The failure of a helper: "エラー：" and its name.
std::string failureText(std::string_view helper) {
    return "エラー：" + std::string(helper);
}

// Splits UTF-8 text into its characters.
std::vector<std::string_view> utf8Characters(std::string_view text) {
    std::vector<std::string_view> chars;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t len = platform::utf8CharLength(static_cast<unsigned char>(text[i]));
        len = std::min(len, text.size() - i);
        chars.push_back(text.substr(i, len));
        i += len;
    }
    return chars;
}

// The one-byte Shift-JIS code of a character, or -1 when it has none.
int singleByteCode(std::string_view utf8Char) {
    if (utf8Char.size() == 1 && static_cast<unsigned char>(utf8Char[0]) < 0x80)
        return static_cast<unsigned char>(utf8Char[0]);
    platform::TextConversion sjis = platform::utf8ToCp932(utf8Char);
    if (!sjis.ok || sjis.text.size() != 1)
        return -1;
    return static_cast<unsigned char>(sjis.text[0]);
}

}  // namespace

platform::Result<std::int32_t> ByteLen(std::span<const std::uint8_t> b, std::int32_t n) {
    std::int32_t count = 0;
    bool expectTrail = false;
    for (std::int32_t i = 0; i < n; ++i) {
        if (static_cast<std::size_t>(i) >= b.size())
            return platform::Result<std::int32_t>::failure(failureText("ByteLen"));
        if (b[i] == 0)
            break;
        if (expectTrail) {
            expectTrail = false;
            continue;
        }
        ++count;
        expectTrail = platform::isCp932LeadByte(b[i]);
    }
    return count;
}

std::int16_t swapByte(std::int16_t v) {
    auto u = static_cast<std::uint16_t>(v);
    auto swapped = static_cast<std::uint16_t>((u >> 8) | (u << 8));
    return static_cast<std::int16_t>(swapped);
}

platform::Result<std::int16_t> swapByte(std::int64_t v) {
    if (v < -32768 || v > 65535)
        return platform::Result<std::int16_t>::failure(failureText("swapByte"));
    return swapByte(static_cast<std::int16_t>(static_cast<std::uint16_t>(v)));
}

std::int32_t swapWord(std::int32_t v) {
    auto u = static_cast<std::uint32_t>(v);
    std::uint32_t r = (u >> 24) | ((u >> 8) & 0x0000FF00u) | ((u << 8) & 0x00FF0000u) | (u << 24);
    return static_cast<std::int32_t>(r);
}

platform::Result<std::int32_t> swapWord(std::int64_t v) {
    if (v < -2147483648LL || v > 4294967295LL)
        return platform::Result<std::int32_t>::failure(failureText("swapWord"));
    return swapWord(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
}

platform::Status byteConv(std::span<std::uint8_t> d, std::int16_t n, std::string_view text) {
    std::vector<std::string_view> chars = utf8Characters(text);
    if (chars.empty())
        return {};
    std::size_t c = std::min<std::size_t>(chars.size(), n < 0 ? 0 : std::size_t(n));
    for (std::int16_t i = 0; i < n; ++i) {
        auto at = static_cast<std::size_t>(i);
        if (at >= d.size())
            return platform::Status::failure(failureText("byteConv"));
        if (at >= c) {
            d[at] = 0;
            continue;
        }
        int code = singleByteCode(chars[at]);
        if (code < 0)
            return platform::Status::failure(failureText("byteConv"));
        d[at] = code == 0x20 ? 0 : static_cast<std::uint8_t>(code);
    }
    return {};
}

platform::Result<std::int16_t> uni2dbcs(std::vector<std::uint8_t>& o, std::string_view text) {
    platform::TextConversion sjis = platform::utf8ToCp932(text);
    if (!sjis.ok)
        return platform::Result<std::int16_t>::failure(failureText("uni2dbcs"));
    o.assign(sjis.text.begin(), sjis.text.end());
    if (o.size() > 32767)
        return platform::Result<std::int16_t>::failure(failureText("uni2dbcs"));
    return static_cast<std::int16_t>(o.size());
}

platform::Result<std::int32_t> compressDbcs(std::span<std::uint8_t> d,
                                            std::span<const std::uint8_t> s, std::int16_t n) {
    if (n <= 0)
        return 0;
    auto count = static_cast<std::size_t>(n);
    for (std::size_t i = 0; i < count; ++i) {
        if (i >= d.size())
            return platform::Result<std::int32_t>::failure(failureText("compressDbcs"));
        d[i] = 0;
    }
    std::size_t k = 0;
    for (std::size_t j = 0; j < count; ++j) {
        if (j >= s.size())
            return platform::Result<std::int32_t>::failure(failureText("compressDbcs"));
        if (j % 2 == 1 && s[j] == 0)
            continue;
        d[k++] = s[j];
    }
    for (std::size_t i = count; i-- > 0;) {
        if (d[i] == 0x20)
            d[i] = 0;
        else if (d[i] != 0)
            break;
    }
    return static_cast<std::int32_t>(k);
}

void showFailure(platform::Prompter& prompter, std::string_view helper) {
    prompter.show(failureText(helper), helper, platform::Icon::Critical, platform::Buttons::Ok);
}

}  // namespace converter::Module1
