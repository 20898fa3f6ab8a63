// Module1 helpers: the byte-order swaps, the text-field fillers and their failure reports.
#include "converter/shell/module1.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "platform/scripted_prompter.h"

namespace {

using converter::Module1::byteConv;
using converter::Module1::ByteLen;
using converter::Module1::compressDbcs;
using converter::Module1::swapByte;
using converter::Module1::swapWord;
using converter::Module1::uni2dbcs;
using Bytes = std::vector<std::uint8_t>;

// The one box a failing helper shows: "エラー：NAME", title NAME, critical, OK only.
void expectOneFailureReport(const platform::ScriptedPrompter& p, const char* helper) {
    ASSERT_EQ(p.calls().size(), 1u);
    EXPECT_EQ(p.calls()[0].text, std::string("エラー：") + helper);
    EXPECT_EQ(p.calls()[0].title, helper);
    EXPECT_EQ(p.calls()[0].icon, platform::Icon::Critical);
    EXPECT_EQ(p.calls()[0].buttons, platform::Buttons::Ok);
}

TEST(SwapByte, ExchangesTheTwoBytes) {
    EXPECT_EQ(swapByte(std::int16_t{8}), 2048);
    EXPECT_EQ(swapByte(std::int16_t{256}), 1);
    EXPECT_EQ(swapByte(std::int16_t{-32768}), 128);
    EXPECT_EQ(swapByte(std::int16_t{-1}), -1);
    // 0x00FF → 0xFF00, negative once swapped.
    EXPECT_EQ(swapByte(std::int16_t{255}), -256);
    // 0x1234 → 0x3412.
    EXPECT_EQ(swapByte(std::int16_t{0x1234}), 0x3412);
}

TEST(SwapByte, WideValuesAreTakenAsTheirSixteenBitPattern) {
    platform::ScriptedPrompter p;
    EXPECT_EQ(swapByte(std::int64_t{65535}, p), -1);
    EXPECT_EQ(swapByte(std::int64_t{32768}, p), 128);  // 0x8000 → 0x0080
    EXPECT_EQ(swapByte(std::int64_t{-32768}, p), 128);
    EXPECT_TRUE(p.calls().empty());

    EXPECT_EQ(swapByte(std::int64_t{65536}, p), 0);
    expectOneFailureReport(p, "swapByte");
    p.clear();
    EXPECT_EQ(swapByte(std::int64_t{-32769}, p), 0);
    expectOneFailureReport(p, "swapByte");
}

TEST(SwapWord, ReversesTheFourBytes) {
    EXPECT_EQ(swapWord(std::int32_t{1}), 16777216);
    EXPECT_EQ(swapWord(std::int32_t{80}), 1342177280);
    EXPECT_EQ(swapWord(std::int32_t{-1}), -1);
    // 0x12345678 → 0x78563412.
    EXPECT_EQ(swapWord(std::int32_t{0x12345678}), 0x78563412);
    // 0x000000FF → 0xFF000000 = -16777216.
    EXPECT_EQ(swapWord(std::int32_t{255}), -16777216);

    platform::ScriptedPrompter p;
    EXPECT_EQ(swapWord(std::int64_t{4294967295LL}, p), -1);
    // 3068928000 = 0xB6EC2000 → 0x0020ECB6.
    EXPECT_EQ(swapWord(std::int64_t{3068928000LL}, p), 0x0020ECB6);
    EXPECT_TRUE(p.calls().empty());
    EXPECT_EQ(swapWord(std::int64_t{4294967296LL}, p), 0);
    expectOneFailureReport(p, "swapWord");
}

TEST(ByteConv, StoresOneBytePerCharacterWithBlanksAsZero) {
    platform::ScriptedPrompter p;
    std::array<std::uint8_t, 6> d{};
    d.fill(0xEE);
    byteConv(d, 6, "AB CD", p);
    EXPECT_EQ(Bytes(d.begin(), d.end()), (Bytes{0x41, 0x42, 0x00, 0x43, 0x44, 0x00}));

    std::array<std::uint8_t, 32> name{};
    name.fill(0xEE);
    byteConv(name, 32, std::string(32, ' '), p);
    EXPECT_EQ(Bytes(name.begin(), name.end()), Bytes(32, 0));

    // Half-width katakana has a one-byte code (ｱ is 0xB1).
    std::array<std::uint8_t, 2> kana{};
    byteConv(kana, 2, "ｱ", p);
    EXPECT_EQ(Bytes(kana.begin(), kana.end()), (Bytes{0xB1, 0x00}));
    EXPECT_TRUE(p.calls().empty());
}

TEST(ByteConv, EmptyTextWritesNothing) {
    platform::ScriptedPrompter p;
    std::array<std::uint8_t, 4> d{1, 2, 3, 4};
    byteConv(d, 4, "", p);
    EXPECT_EQ(Bytes(d.begin(), d.end()), (Bytes{1, 2, 3, 4}));
    EXPECT_TRUE(p.calls().empty());
}

TEST(ByteConv, FailuresKeepTheBytesBeforeThem) {
    platform::ScriptedPrompter p;
    std::array<std::uint8_t, 6> d{};
    d.fill(0xEE);
    byteConv(d, 6, "ab建c", p);
    expectOneFailureReport(p, "byteConv");
    EXPECT_EQ(Bytes(d.begin(), d.end()), (Bytes{0x61, 0x62, 0xEE, 0xEE, 0xEE, 0xEE}));

    // A count beyond the field stops at the field's end instead of writing past it.
    p.clear();
    std::array<std::uint8_t, 3> small{};
    small.fill(0xEE);
    byteConv(small, 5, "abcde", p);
    expectOneFailureReport(p, "byteConv");
    EXPECT_EQ(Bytes(small.begin(), small.end()), (Bytes{0x61, 0x62, 0x63}));
}

TEST(Uni2dbcs, ReplacesTheArrayWithTheShiftJisBytes) {
    platform::ScriptedPrompter p;
    Bytes o{9, 9, 9, 9, 9};
    EXPECT_EQ(uni2dbcs(o, "あA", p), 3);
    EXPECT_EQ(o, (Bytes{0x82, 0xA0, 0x41}));
    EXPECT_EQ(uni2dbcs(o, "", p), 0);
    EXPECT_TRUE(o.empty());
    // ～ (full-width tilde) is 81 60 in code page 932.
    EXPECT_EQ(uni2dbcs(o, "～", p), 2);
    EXPECT_EQ(o, (Bytes{0x81, 0x60}));
    EXPECT_TRUE(p.calls().empty());
}

TEST(Uni2dbcs, CharacterWithoutShiftJisCodeFails) {
    platform::ScriptedPrompter p;
    Bytes o{7};
    EXPECT_EQ(uni2dbcs(o, "a😀", p), 0);
    expectOneFailureReport(p, "uni2dbcs");
    EXPECT_EQ(o, Bytes{7});
}

TEST(CompressDbcs, CopiesAndZeroesTrailingBlanks) {
    platform::ScriptedPrompter p;
    std::array<std::uint8_t, 3> d{};
    Bytes s{0x41, 0x20, 0x20};
    EXPECT_EQ(compressDbcs(d, s, 3, p), 3);
    EXPECT_EQ(Bytes(d.begin(), d.end()), (Bytes{0x41, 0x00, 0x00}));

    // Zero bytes at odd positions are dropped, at even positions copied.
    std::array<std::uint8_t, 4> d4{};
    EXPECT_EQ(compressDbcs(d4, Bytes{0x41, 0x00, 0x42, 0x00}, 4, p), 2);
    EXPECT_EQ(Bytes(d4.begin(), d4.end()), (Bytes{0x41, 0x42, 0x00, 0x00}));

    // A full-width blank (81 40) stays; bytes of the field beyond n are not touched.
    std::array<std::uint8_t, 5> d5{};
    d5.fill(0xEE);
    EXPECT_EQ(compressDbcs(d5, Bytes{0x61, 0x81, 0x40, 0x20}, 4, p), 4);
    EXPECT_EQ(Bytes(d5.begin(), d5.end()), (Bytes{0x61, 0x81, 0x40, 0x00, 0xEE}));
    EXPECT_TRUE(p.calls().empty());
}

TEST(CompressDbcs, CountBeyondTheFieldFailsWithTheFieldCleared) {
    platform::ScriptedPrompter p;
    std::array<std::uint8_t, 4> d{};
    d.fill(0xEE);
    Bytes s{1, 2, 3, 4, 5, 6};
    EXPECT_EQ(compressDbcs(d, s, 6, p), 0);
    expectOneFailureReport(p, "compressDbcs");
    EXPECT_EQ(Bytes(d.begin(), d.end()), Bytes(4, 0));

    // A source shorter than n: the bytes copied before the failure stay.
    p.clear();
    std::array<std::uint8_t, 4> d2{};
    EXPECT_EQ(compressDbcs(d2, Bytes{0x61, 0x62}, 4, p), 0);
    expectOneFailureReport(p, "compressDbcs");
    EXPECT_EQ(Bytes(d2.begin(), d2.end()), (Bytes{0x61, 0x62, 0, 0}));
}

TEST(ByteLenTest, CountsCharactersUpToTheFirstZero) {
    platform::ScriptedPrompter p;
    std::array<std::uint8_t, 32> b{};
    b[0] = 0x82;
    b[1] = 0xA0;
    b[2] = 0x41;
    EXPECT_EQ(ByteLen(b, 32, p), 2);
    b[0] = 0xE9;
    b[1] = 0x9F;
    EXPECT_EQ(ByteLen(b, 32, p), 2);
    EXPECT_EQ(ByteLen(b, 0, p), 0);
    // A zero where a trail byte is expected also ends the text; the lead byte counts.
    Bytes dangling{0x61, 0x82, 0x00, 0x41};
    EXPECT_EQ(ByteLen(dangling, 4, p), 2);
    // Half-width katakana (0xA1-0xDF) is one byte per character.
    Bytes kana{0xB1, 0xB2, 0xB3};
    EXPECT_EQ(ByteLen(kana, 3, p), 3);
    // Only the first n bytes are looked at.
    Bytes abc{0x61, 0x62, 0x63};
    EXPECT_EQ(ByteLen(abc, 2, p), 2);
    EXPECT_TRUE(p.calls().empty());
}

TEST(ByteLenTest, CountBeyondTheBytesFails) {
    platform::ScriptedPrompter p;
    Bytes abc{0x61, 0x62, 0x63};
    EXPECT_EQ(ByteLen(abc, 4, p), 0);
    expectOneFailureReport(p, "ByteLen");
}

}  // namespace
