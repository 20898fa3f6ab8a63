#include "platform/cp932.h"

#include <iconv.h>

#include <bitset>
#include <cerrno>
#include <vector>

namespace platform {
namespace {

// The conversions made here. A validity check converts into the C library's internal
// form ("WCHAR_T"), the cheapest target.
enum Direction { Utf8ToCp932, Cp932ToUtf8, CheckCp932, CheckUtf8, kDirections };
constexpr const char* kTo[kDirections] = {"CP932", "UTF-8", "WCHAR_T", "WCHAR_T"};
constexpr const char* kFrom[kDirections] = {"UTF-8", "CP932", "CP932", "UTF-8"};

// The thread's descriptor for one direction, opened on first use and reset to its initial
// state for every conversion. (iconv_t)-1 when the C library lacks the encoding.
iconv_t descriptor(Direction direction) {
    struct Descriptor {
        iconv_t cd = reinterpret_cast<iconv_t>(-1);
        bool opened = false;
        ~Descriptor() {
            if (cd != reinterpret_cast<iconv_t>(-1))
                iconv_close(cd);
        }
    };
    thread_local Descriptor cache[kDirections];
    Descriptor& d = cache[direction];
    if (!d.opened) {
        d.opened = true;
        d.cd = iconv_open(kTo[direction], kFrom[direction]);
    } else if (d.cd != reinterpret_cast<iconv_t>(-1)) {
        iconv(d.cd, nullptr, nullptr, nullptr, nullptr);
    }
    return d.cd;
}

bool isAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

std::size_t cp932CharLength(unsigned char b) {
    return isCp932LeadByte(b) ? 2 : 1;
}

TextConversion convert(std::string_view in, Direction direction) {
    const bool fromUtf8 = direction == Utf8ToCp932;
    TextConversion result;
    if (isAscii(in)) {  // the same bytes in both encodings
        result.text = in;
        return result;
    }
    iconv_t cd = descriptor(direction);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        result.ok = false;
        return result;
    }
    std::vector<char> src(in.begin(), in.end());
    char* inPtr = src.data();
    std::size_t inLeft = src.size();
    std::vector<char> out(in.size() * 4 + 16);
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        if (rc != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG) {
            std::size_t used = static_cast<std::size_t>(outPtr - out.data());
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = out.size() - used;
            continue;
        }
        // EILSEQ or EINVAL: the character at inPtr cannot be converted.
        result.ok = false;
        result.badOffset = static_cast<std::size_t>(inPtr - src.data());
        unsigned char lead = static_cast<unsigned char>(*inPtr);
        std::size_t len = fromUtf8 ? utf8CharLength(lead) : cp932CharLength(lead);
        result.badCharacter.assign(inPtr, std::min(len, inLeft));
        break;
    }
    result.text.assign(out.data(), static_cast<std::size_t>(outPtr - out.data()));
    return result;
}

// Runs the text through iconv into a small scratch buffer and returns where it stopped.
std::optional<std::size_t> firstInvalid(std::string_view text, Direction check) {
    if (isAscii(text))
        return std::nullopt;
    iconv_t cd = descriptor(check);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return 0;
    // iconv takes a non-const input pointer but only reads through it.
    char* inPtr = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char scratch[4096];
    std::optional<std::size_t> bad;
    while (inLeft > 0) {
        char* outPtr = scratch;
        std::size_t outLeft = sizeof scratch;
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1))
            break;
        if (errno != E2BIG) {  // EILSEQ, or EINVAL for a character cut off by the end
            bad = static_cast<std::size_t>(inPtr - text.data());
            break;
        }
    }
    return bad;
}

// Which characters of code page 932 iconv converts, asked once for every single byte and
// every pair of a lead byte and a possible trail byte: code page 932 has no shift states,
// so a text is valid exactly when each of its characters is, and a scan with this table
// says what iconv would say, without converting anything.
struct Cp932Table {
    std::bitset<256> single;
    std::bitset<65536> pair;  // lead << 8 | trail
};

const Cp932Table& cp932Table() {
    static const Cp932Table table = [] {
        Cp932Table t;
        char bytes[2];
        for (unsigned b = 0; b < 256; ++b) {
            bytes[0] = static_cast<char>(b);
            if (!isCp932LeadByte(static_cast<unsigned char>(b))) {
                t.single[b] = !firstInvalid(std::string_view(bytes, 1), CheckCp932);
                continue;
            }
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                bytes[1] = static_cast<char>(trail);
                t.pair[b << 8 | trail] = !firstInvalid(std::string_view(bytes, 2), CheckCp932);
            }
        }
        return t;
    }();
    return table;
}

}  // namespace

std::optional<std::size_t> firstInvalidCp932(std::string_view sjis) {
    const Cp932Table& table = cp932Table();
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        const auto b = static_cast<unsigned char>(sjis[i]);
        if (b < 0x80 || table.single[b])
            continue;
        if (isCp932LeadByte(b) && i + 1 < sjis.size() &&
            table
                .pair[static_cast<std::size_t>(b) << 8 | static_cast<unsigned char>(sjis[i + 1])]) {
            ++i;
            continue;
        }
        return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> firstInvalidUtf8(std::string_view utf8) {
    return firstInvalid(utf8, CheckUtf8);
}

TextConversion utf8ToCp932(std::string_view utf8) {
    return convert(utf8, Utf8ToCp932);
}

TextConversion cp932ToUtf8(std::string_view sjis) {
    return convert(sjis, Cp932ToUtf8);
}

std::string toCp932(std::string_view utf8) {
    return utf8ToCp932(utf8).text;
}

std::string toUtf8(std::string_view sjis) {
    return cp932ToUtf8(sjis).text;
}

std::size_t cp932PrefixLength(std::string_view sjis, std::size_t maxBytes) {
    std::size_t i = 0;
    while (i < sjis.size()) {
        std::size_t len = cp932CharLength(static_cast<unsigned char>(sjis[i]));
        if (i + len > maxBytes || i + len > sjis.size())
            break;
        i += len;
    }
    return i;
}

}  // namespace platform
