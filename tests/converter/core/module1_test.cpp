// Module1 helpers: the byte-order swaps, the text-field fillers and the failures they return.
#include "converter/core/module1.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "platform/scripted_prompter.h"

namespace {

namespace M = converter::Module1;
using Bytes = std::vector<std::uint8_t>;

// The helper failed with "エラー：NAME", and its box shows exactly that: title NAME,
// critical icon, OK only.
template <typename R>
void expectFailure(const R& r, const char* helper) {
    ASSERT_FALSE(r.ok()) << helper;
    EXPECT_EQ(r.error(), std::string("エラー：") + helper);
    platform::ScriptedPrompter p;
    M::showFailure(p, helper);
    ASSERT_EQ(p.calls().size(), 1u) << helper;
    EXPECT_EQ(p.calls()[0].text, r.error());
    EXPECT_EQ(p.calls()[0].title, helper);
    EXPECT_EQ(p.calls()[0].icon, platform::Icon::Critical);
    EXPECT_EQ(p.calls()[0].buttons, platform::Buttons::Ok);
}

TEST(Module1Swaps, ByteOrderReversed) {
    EXPECT_EQ(M::swapByte(std::int16_t{8}), 2048);
    EXPECT_EQ(M::swapByte(std::int16_t{256}), 1);
    EXPECT_EQ(M::swapByte(std::int16_t{-32768}), 128);
    EXPECT_EQ(M::swapByte(std::int16_t{-1}), -1);
    EXPECT_EQ(M::swapByte(std::int16_t{255}), -256);  // 00 FF → FF 00
    EXPECT_EQ(M::swapWord(std::int32_t{1}), 16777216);
    EXPECT_EQ(M::swapWord(std::int32_t{80}), 1342177280);
    EXPECT_EQ(M::swapWord(std::int32_t{-1}), -1);
    EXPECT_EQ(M::swapWord(std::int32_t{0x12345678}), 0x78563412);

    // Wider values: a field's unsigned range is taken as its bit pattern; beyond it fails.
    EXPECT_EQ(*M::swapByte(std::int64_t{65535}), -1);
    EXPECT_EQ(*M::swapByte(std::int64_t{32768}), 128);
    EXPECT_EQ(*M::swapWord(std::int64_t{3068928000LL}), 0x0020ECB6);  // B6 EC 20 00
    expectFailure(M::swapByte(std::int64_t{65536}), "swapByte");
    expectFailure(M::swapByte(std::int64_t{-32769}), "swapByte");
    expectFailure(M::swapWord(std::int64_t{4294967296LL}), "swapWord");
}

TEST(Module1ByteConv, OneBytePerCharacterBlanksAsZero) {
    std::array<std::uint8_t, 6> d{};
    d.fill(0xEE);
    EXPECT_TRUE(M::byteConv(d, 6, "AB CD").ok());
    EXPECT_EQ(Bytes(d.begin(), d.end()), (Bytes{0x41, 0x42, 0x00, 0x43, 0x44, 0x00}));
    std::array<std::uint8_t, 32> name{};
    name.fill(0xEE);
    EXPECT_TRUE(M::byteConv(name, 32, std::string(32, ' ')).ok());
    EXPECT_EQ(Bytes(name.begin(), name.end()), Bytes(32, 0));
    std::array<std::uint8_t, 2> kana{};
    EXPECT_TRUE(M::byteConv(kana, 2, "ｱ").ok());  // half-width katakana has a one-byte code, B1
    EXPECT_EQ(Bytes(kana.begin(), kana.end()), (Bytes{0xB1, 0x00}));
    std::array<std::uint8_t, 4> untouched{1, 2, 3, 4};
    EXPECT_TRUE(M::byteConv(untouched, 4, "").ok());  // an empty text writes nothing
    EXPECT_EQ(Bytes(untouched.begin(), untouched.end()), (Bytes{1, 2, 3, 4}));

    // A double-byte character fails; the bytes before it stay.
    d.fill(0xEE);
    expectFailure(M::byteConv(d, 6, "ab建c"), "byteConv");
    EXPECT_EQ(Bytes(d.begin(), d.end()), (Bytes{0x61, 0x62, 0xEE, 0xEE, 0xEE, 0xEE}));
    // A count beyond the field fails at the field's end instead of writing past it.
    std::array<std::uint8_t, 3> small{};
    expectFailure(M::byteConv(small, 5, "abcde"), "byteConv");
    EXPECT_EQ(Bytes(small.begin(), small.end()), (Bytes{0x61, 0x62, 0x63}));
}

TEST(Module1Uni2dbcs, ShiftJisBytesAndCount) {
    Bytes o{9, 9, 9, 9, 9};
    EXPECT_EQ(*M::uni2dbcs(o, "あA"), 3);
    EXPECT_EQ(o, (Bytes{0x82, 0xA0, 0x41}));
    EXPECT_EQ(*M::uni2dbcs(o, "～"), 2);  // full-width tilde: 81 60 in code page 932
    EXPECT_EQ(o, (Bytes{0x81, 0x60}));
    EXPECT_EQ(*M::uni2dbcs(o, ""), 0);
    EXPECT_TRUE(o.empty());
    o = {7};
    expectFailure(M::uni2dbcs(o, "a😀"), "uni2dbcs");  // no Shift-JIS code
    EXPECT_EQ(o, Bytes{7});
}

TEST(Module1CompressDbcs, CopiesAndZeroesTrailingBlanks) {
    std::array<std::uint8_t, 3> d{};
    EXPECT_EQ(*M::compressDbcs(d, Bytes{0x41, 0x20, 0x20}, 3), 3);
    EXPECT_EQ(Bytes(d.begin(), d.end()), (Bytes{0x41, 0x00, 0x00}));
    std::array<std::uint8_t, 4> d4{};  // zero bytes at odd positions are dropped
    EXPECT_EQ(*M::compressDbcs(d4, Bytes{0x41, 0x00, 0x42, 0x00}, 4), 2);
    EXPECT_EQ(Bytes(d4.begin(), d4.end()), (Bytes{0x41, 0x42, 0x00, 0x00}));
    EXPECT_EQ(*M::compressDbcs(d4, Bytes{0x41}, 0), 0);  // nothing to copy
    d4.fill(0);  // blanks before zero bytes are trailing blanks too
    EXPECT_EQ(*M::compressDbcs(d4, Bytes{0x41, 0x20, 0x00, 0x00}, 4), 3);
    EXPECT_EQ(Bytes(d4.begin(), d4.end()), (Bytes{0x41, 0x00, 0x00, 0x00}));
    std::array<std::uint8_t, 5> d5{};  // 81 40 stays; bytes beyond n are not touched
    d5.fill(0xEE);
    EXPECT_EQ(*M::compressDbcs(d5, Bytes{0x61, 0x81, 0x40, 0x20}, 4), 4);
    EXPECT_EQ(Bytes(d5.begin(), d5.end()), (Bytes{0x61, 0x81, 0x40, 0x00, 0xEE}));

    // n beyond the field: the field is cleared, then the helper fails.
    d4.fill(0xEE);
    expectFailure(M::compressDbcs(d4, Bytes{1, 2, 3, 4, 5, 6}, 6), "compressDbcs");
    EXPECT_EQ(Bytes(d4.begin(), d4.end()), Bytes(4, 0));
    // n beyond the source: what was copied before stays.
    expectFailure(M::compressDbcs(d4, Bytes{0x61, 0x62}, 4), "compressDbcs");
    EXPECT_EQ(Bytes(d4.begin(), d4.end()), (Bytes{0x61, 0x62, 0, 0}));
}

TEST(Module1ByteLen, CharactersUpToTheFirstZero) {
    Bytes b(32, 0);
    b[0] = 0x82, b[1] = 0xA0, b[2] = 0x41;
    EXPECT_EQ(*M::ByteLen(b, 32), 2);
    b[0] = 0xE9, b[1] = 0x9F;
    EXPECT_EQ(*M::ByteLen(b, 32), 2);
    EXPECT_EQ(*M::ByteLen(b, 0), 0);
    EXPECT_EQ(*M::ByteLen(Bytes{0x61, 0x82, 0x00, 0x41}, 4), 2);  // zero where a trail is due
    EXPECT_EQ(*M::ByteLen(Bytes{0xB1, 0xB2, 0xB3}, 3), 3);        // half-width katakana
    EXPECT_EQ(*M::ByteLen(Bytes{0x61, 0x62, 0x63}, 2), 2);        // only n bytes looked at
    expectFailure(M::ByteLen(Bytes{0x61, 0x62, 0x63}, 4), "ByteLen");
}

}  // namespace
