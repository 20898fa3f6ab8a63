#include "pdbformat/feature_attr_rec.h"

#include <algorithm>
#include <cstring>

#include "pdbformat/container.h"
#include "platform/cp932.h"
#include "platform/endian.h"

namespace pdb {

using platform::getBE16;
using platform::getBE32;
using platform::putBE16;
using platform::putBE32;

namespace {

std::uint16_t bits16(std::int16_t v) {
    return static_cast<std::uint16_t>(v);
}

std::int16_t signed16(std::uint16_t v) {
    return static_cast<std::int16_t>(v);
}

template <std::size_t N>
void copyIn(std::array<std::uint8_t, N>& field, const std::uint8_t* from) {
    std::copy(from, from + N, field.begin());
}

template <std::size_t N>
void copyOut(const std::array<std::uint8_t, N>& field, std::uint8_t* to) {
    std::copy(field.begin(), field.end(), to);
}

}  // namespace

void encodeFeatureAttrRec(const FeatureAttrRec& r, std::span<std::uint8_t, kFeatureAttrRecSize> o) {
    std::uint8_t* p = o.data();
    putBE32(p + 0, r.ID);
    p[4] = r.StatusCode;
    p[5] = r.SymbolCode;
    putBE16(p + 6, r.UserData);
    putBE16(p + 8, bits16(r.TopLeftX));
    putBE16(p + 10, bits16(r.TopLeftY));
    putBE16(p + 12, bits16(r.ExtentX));
    putBE16(p + 14, bits16(r.ExtentY));
    putBE32(p + 16, static_cast<std::uint32_t>(r.X));
    putBE32(p + 20, static_cast<std::uint32_t>(r.Y));
    copyOut(r.Text1, p + 24);
    copyOut(r.Text2, p + 56);
    putBE16(p + 76, r.Value1);
    putBE16(p + 78, r.Value2);
    p[80] = r.Flag1;
    p[81] = r.Flag2;
    p[82] = r.Flag3;
    p[83] = r.Flag4;
    p[84] = r.Flag5;
    p[85] = r.Flag6;
    putBE16(p + 86, r.Value3);
    copyOut(r.Text3, p + 88);
}

FeatureAttrRec decodeFeatureAttrRec(std::span<const std::uint8_t, kFeatureAttrRecSize> in) {
    const std::uint8_t* p = in.data();
    FeatureAttrRec r;
    r.ID = getBE32(p + 0);
    r.StatusCode = p[4];
    r.SymbolCode = p[5];
    r.UserData = getBE16(p + 6);
    r.TopLeftX = signed16(getBE16(p + 8));
    r.TopLeftY = signed16(getBE16(p + 10));
    r.ExtentX = signed16(getBE16(p + 12));
    r.ExtentY = signed16(getBE16(p + 14));
    r.X = static_cast<std::int32_t>(getBE32(p + 16));
    r.Y = static_cast<std::int32_t>(getBE32(p + 20));
    copyIn(r.Text1, p + 24);
    copyIn(r.Text2, p + 56);
    r.Value1 = getBE16(p + 76);
    r.Value2 = getBE16(p + 78);
    r.Flag1 = p[80];
    r.Flag2 = p[81];
    r.Flag3 = p[82];
    r.Flag4 = p[83];
    r.Flag5 = p[84];
    r.Flag6 = p[85];
    r.Value3 = getBE16(p + 86);
    copyIn(r.Text3, p + 88);
    return r;
}

std::size_t storeText(std::span<std::uint8_t> field, std::string_view sjis) {
    std::fill(field.begin(), field.end(), std::uint8_t{0});
    std::size_t len =
        sjis.size() <= field.size() ? sjis.size() : platform::cp932PrefixLength(sjis, field.size());
    while (len > 0 && sjis[len - 1] == ' ') --len;
    std::copy(sjis.begin(), sjis.begin() + static_cast<std::ptrdiff_t>(len), field.begin());
    return len;
}

std::string storedText(std::span<const std::uint8_t> field) {
    std::size_t end = 0;
    while (end < field.size() && field[end] != 0) ++end;
    std::string_view bytes(reinterpret_cast<const char*>(field.data()), end);
    return std::string(bytes.substr(0, platform::cp932PrefixLength(bytes, end)));
}

std::uint32_t palmDayStamp(const platform::LocalDate& date) {
    // Modulo 2^32: dates from 1972 on are above 2147483647 and are stored unsigned.
    auto seconds = static_cast<std::int64_t>(platform::daysSince1904(date)) * 86400;
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(seconds));
}

platform::Bytes encodeFeatureAttrDatabase(const std::array<std::uint8_t, 32>& nameField,
                                          const std::vector<FeatureAttrRec>& records,
                                          std::uint32_t dayStamp) {
    const std::size_t n = records.size();
    platform::Bytes file = encodeHead(converterHeader(nameField, dayStamp),
                                      converterRecordList(n, kFeatureAttrRecSize));
    file.resize(recordsOffset(n) + kFeatureAttrRecSize * n);
    for (std::size_t k = 0; k < n; ++k)
        encodeFeatureAttrRec(
            records[k],
            std::span<std::uint8_t, kFeatureAttrRecSize>(
                file.data() + recordsOffset(n) + kFeatureAttrRecSize * k, kFeatureAttrRecSize));
    return file;
}

FeatureAttrRecords readFeatureAttrRecords(std::span<const std::uint8_t> file,
                                          const std::string& path) {
    FeatureAttrRecords result;
    if (file.size() < kRecListOffset) {
        result.problem = "データベースファイル「" + path + "」は短すぎます（" +
                         std::to_string(file.size()) +
                         " バイト。ヘッダーだけで 78 バイト必要です）。";
        return result;
    }
    const std::size_t n = readHead(file).listHeader.iRecNum;
    const std::size_t first = recordsOffset(n);
    result.records.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t at = first + kFeatureAttrRecSize * k;
        if (at + kFeatureAttrRecSize > file.size()) {
            result.problem =
                "データベースファイル「" + path + "」のレコード " + std::to_string(k + 1) +
                "（全 " + std::to_string(n) + " 件）が途中で切れています（ファイルは " +
                std::to_string(file.size()) + " バイトで、" +
                std::to_string(first + kFeatureAttrRecSize * n) + " バイト必要です）。";
            return result;
        }
        result.records.push_back(
            decodeFeatureAttrRec(std::span<const std::uint8_t, kFeatureAttrRecSize>(
                file.data() + at, kFeatureAttrRecSize)));
    }
    return result;
}

}  // namespace pdb
