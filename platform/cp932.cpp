#include "platform/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace platform {
namespace {

// The thread's descriptor for one direction, opened on first use and reset to its initial
// state for every conversion. (iconv_t)-1 when the C library lacks the encoding.
iconv_t descriptor(const char* to, const char* from) {
    struct Descriptor {
        iconv_t cd = reinterpret_cast<iconv_t>(-1);
        const char* to = nullptr;
        const char* from = nullptr;
        ~Descriptor() {
            if (cd != reinterpret_cast<iconv_t>(-1))
                iconv_close(cd);
        }
    };
    thread_local Descriptor cache[4];
    for (Descriptor& d : cache) {
        if (d.to && std::strcmp(d.to, to) == 0 && std::strcmp(d.from, from) == 0) {
            if (d.cd != reinterpret_cast<iconv_t>(-1))
                iconv(d.cd, nullptr, nullptr, nullptr, nullptr);
            return d.cd;
        }
        if (!d.to) {
            d.to = to;
            d.from = from;
            d.cd = iconv_open(to, from);
            return d.cd;
        }
    }
    return reinterpret_cast<iconv_t>(-1);
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

TextConversion convert(std::string_view in, const char* from, const char* to, bool fromUtf8) {
    TextConversion result;
    if (isAscii(in)) {  // the same bytes in both encodings
        result.text = in;
        return result;
    }
    iconv_t cd = descriptor(to, from);
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
std::optional<std::size_t> firstInvalid(std::string_view text, const char* from) {
    if (isAscii(text))
        return std::nullopt;
    iconv_t cd = descriptor("UTF-8", from);
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

}  // namespace

std::optional<std::size_t> firstInvalidCp932(std::string_view sjis) {
    return firstInvalid(sjis, "CP932");
}

std::optional<std::size_t> firstInvalidUtf8(std::string_view utf8) {
    return firstInvalid(utf8, "UTF-8");
}

TextConversion utf8ToCp932(std::string_view utf8) {
    return convert(utf8, "UTF-8", "CP932", true);
}

TextConversion cp932ToUtf8(std::string_view sjis) {
    return convert(sjis, "CP932", "UTF-8", false);
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
