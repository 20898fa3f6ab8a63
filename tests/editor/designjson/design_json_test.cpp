// Designs as JSON: every kind of record, the editor's own and odd ones read from other
// tools, comes back byte for byte; a hand-edited bad value is refused with its JSON path.
#include "editor/designjson/design_json.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "editor/model/kinds.h"
#include "platform/cp932.h"

namespace {

using editor::DispRec;
using editor::ObjectKind;
using editor::slotIndex;

std::vector<std::uint8_t> recordBytes(const DispRec& d) {
    std::vector<std::uint8_t> bytes(editor::kDispRecSize);
    editor::SwapDispRec(d, bytes.data());
    return bytes;
}

// A design as the editor leaves it: Japanese titles and items, objects placed.
DispRec edited() {
    DispRec d = editor::freshWorkingDesign();
    editor::setFieldText(d.code, "SURVEY-A");
    editor::setFieldText(d.titles[0], platform::toCp932("建物調査"));
    d.modalFlags[1] = 1;
    editor::ObjectSlot& cmb = d.slots[slotIndex(ObjectKind::Cmb, 0, 0)];
    cmb.pageNumber = 0;
    editor::setFieldText(cmb.labelText, platform::toCp932("用途"));
    editor::setFieldText(cmb.items, platform::toCp932("住宅\r\n店舗\r\n工場"));
    d.slots[slotIndex(ObjectKind::Btn, 5, 2)].pageNumber = 2;
    d.slots[slotIndex(ObjectKind::Int, 3, 0)].objectY = -12;
    return d;
}

TEST(DesignJson, EveryRecordComesBackByteForByte) {
    struct Case {
        const char* name;
        std::function<void(DispRec&)> change;
        const char* carried;  // a piece the JSON must hold for it, or nullptr
    };
    const Case cases[] = {
        {"the editor's design", [](DispRec&) {}, "\"items\":[\"住宅\",\"店舗\",\"工場\"]"},
        {"bytes after a terminator",
         [](DispRec& d) {
             d.slots[2].labelText[20] = 'x';
             d.titles[3][31] = 1;
             d.code[30] = 'z';
             d.slots[5].items[100] = 7;
         },
         "\"bytes\":"},
        {"texts no plain string keeps",
         [](DispRec& d) {
             d.slots[2].labelText.fill('A');                          // 33 bytes, no terminator
             editor::setFieldText(d.slots[3].labelText, "\x81\x20");  // not Shift-JIS
             editor::setFieldText(d.titles[2], "\x87\x9A");           // a second code of ∵
             editor::setFieldText(d.slots[4].items, "a\nb\r\n");      // a lone LF
         },
         nullptr},
        {"items ending in a line break",
         [](DispRec& d) { editor::setFieldText(d.slots[2].items, "a\r\n\r\nb\r\n"); },
         "[\"a\",\"\",\"b\",\"\"]"},
        {"values outside what the editor enters",
         [](DispRec& d) {
             d.slots[6].pageNumber = 9;  // no page: the slot goes as its bytes
             d.slots[7].inputRestriction = 2;
             d.slots[8].objectWidth = 0xFFFF;
             d.slots[8].objectX = -32768;
             d.modalFlags[7] = 7;
         },
         nullptr},
        {"small counts, spare slots holding data",
         [](DispRec& d) {
             d.counts = {3, 2, 0, 1, 2, 0, 1, 1, 0, 1};
             // Slots past the counted ones hold leftovers; some objects lie in the part
             // of the record kept little-endian.
             d.slots[200].labelX = 0x1234;
             d.slots[231].pageNumber = 4;
             d.slots[slotIndex(ObjectKind::CloseButton, 0, 7)].labelY = 0x0102;
         },
         "\"spareSlots\": [\n    {\"slot\":"},
        {"an all-zero design", [](DispRec& d) { d = DispRec{}; }, "\"objects\": []"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DispRec original = edited();
        c.change(original);
        const std::string json = editor::DesignToJson(original);
        if (c.carried) {
            EXPECT_NE(json.find(c.carried), std::string::npos) << json.substr(0, 2000);
        }
        editor::DesignJsonResult back = editor::DesignFromJson(json);
        ASSERT_TRUE(back.ok) << back.error;
        EXPECT_EQ(recordBytes(back.design), recordBytes(original));
        EXPECT_EQ(editor::DesignToJson(back.design), json);
    }
}

TEST(DesignJson, ABadValueIsRefusedWithItsPath) {
    const std::string good = editor::DesignToJson(edited());
    ASSERT_TRUE(editor::DesignFromJson(good).ok);
    struct Case {
        const char* from;
        const char* to;
        const char* error;
    };
    const Case cases[] = {
        {"\"labelX\":20,", "\"labelX\":\"20\",", "objects[2].labelX: 整数ではありません。"},
        {"\"labelX\":20,", "\"labelX\":70000,",
         "objects[2].labelX: 値 70000 は範囲外です（0〜65535）。"},
        {"\"page\":0,\"label\":\"用途\"", "\"page\":8,\"label\":\"用途\"",
         "objects[2].page: 値 8 は範囲外です（-1〜7）。"},
        {"\"label\":\"用途\"", "\"label\":\"用途☃\"",
         "objects[2].label: 「☃」（3文字目）はShift-JISで表せません。"},
        {"\"label\":\"用途\"", "\"lable\":\"用途\"", "objects[2].lable: このキーは使えません。"},
        {"\"title\":\"建物調査\"", "\"title\":\"建物調査建物調査建物調査建物調査\"",
         "pages[0].title: Shift-JISで 32 バイトあります。31 バイトまでです。"},
        {"\"items\":[\"住宅\",", "\"items\":[\"住\\n宅\",",
         "objects[2].items[0]: 改行は入れられません（項目ごとに分けて下さい）。"},
        {"\"Cmb\":50", "\"Cmb\":51", "counts.Cmb: 値 51 は範囲外です（0〜50）。"},
        {"\"kind\":\"Cmb\",\"number\":2,", "\"kind\":\"Cmb\",\"number\":1,",
         "objects[3]: Cmb 1 が二度あります。"},
        {"\"kind\":\"Btn\",\"number\":5,\"ownerPage\":2,", "\"kind\":\"Btn\",\"number\":5,",
         "objects[143].ownerPage: キーがありません。"},
        {"\"spareSlots\": []", "\"spareSlots\": [{\"slot\":5,\"bytes\":\"00\"}]",
         "spareSlots[0].slot: スロット 5 は Cmb 4 のものです（objects に書きます）。"},
        {"\"code\": \"SURVEY-A\"", "\"code\": {\"bytes\":\"4142\"}",
         "code.bytes: このフィールドの 32 バイトを表す 64 桁の16進数ではありません。"},
        {"\"version\": 1", "\"version\": 2", "version: 値 2 は範囲外です（1〜1）。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to);
        std::string json = good;
        std::size_t at = json.find(c.from);
        ASSERT_NE(at, std::string::npos);
        json.replace(at, std::strlen(c.from), c.to);
        editor::DesignJsonResult result = editor::DesignFromJson(json);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error, c.error);
    }
    // An object left out, and text that is no JSON at all.
    std::string json = good;
    std::size_t line = json.find("{\"kind\":\"Cmb\",\"number\":2,");
    json.erase(line, json.find('\n', line) - line + 1);
    EXPECT_EQ(editor::DesignFromJson(json).error, "objects: Cmb 2 がありません。");
    EXPECT_EQ(editor::DesignFromJson(good.substr(0, 100)).error.rfind("JSONとして読めません: ", 0),
              0u);
}

}  // namespace
