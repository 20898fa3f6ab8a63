#include "editor/designjson/design_json.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "editor/model/kinds.h"
#include "platform/cp932.h"

namespace editor {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kFormat = "lorvex-design";
constexpr int kVersion = 1;
constexpr std::size_t kSlotsOffset = 306;
constexpr std::size_t kLabelMaxBytes = 32;  // 33-byte field with its terminator
constexpr std::size_t kItemsMaxBytes = 127;
constexpr std::size_t kTitleMaxBytes = 31;
constexpr std::size_t kCodeMaxBytes = 31;

bool isPerPage(ObjectKind kind) {
    return kind == ObjectKind::Btn || kind == ObjectKind::UpdateButton ||
           kind == ObjectKind::CloseButton;
}

// One object of a design: a kind, a number below the kind's count and, for the kinds that
// sit on one page each, the page it belongs to.
struct ObjectRef {
    ObjectKind kind;
    int number;
    int ownerPage;
    std::size_t slot;
};

int countOf(const std::array<std::uint8_t, kKindCount>& counts, ObjectKind kind) {
    auto k = static_cast<std::size_t>(kind);
    return std::min<int>(counts[k], kCapacities[k]);
}

// The objects a count table gives, in slot order.
std::vector<ObjectRef> objectsOf(const std::array<std::uint8_t, kKindCount>& counts) {
    std::vector<ObjectRef> refs;
    for (ObjectKind kind : kAllKinds) {
        int pages = isPerPage(kind) ? int(kPageCount) : 1;
        for (int n = 0; n < countOf(counts, kind); ++n)
            for (int p = 0; p < pages; ++p) refs.push_back({kind, n, p, slotIndex(kind, n, p)});
    }
    std::sort(refs.begin(), refs.end(),
              [](const ObjectRef& a, const ObjectRef& b) { return a.slot < b.slot; });
    return refs;
}

// The number the editor's number selector shows: the target page of a state-transition
// button, else counted from 1.
int shownNumber(ObjectKind kind, int number) {
    return kind == ObjectKind::Btn ? number : number + 1;
}

std::string describe(const ObjectRef& ref) {
    std::string name = std::string(kindShortName(ref.kind)) + " " +
                       std::to_string(shownNumber(ref.kind, ref.number));
    if (isPerPage(ref.kind))
        name += "（ページ" + std::to_string(ref.ownerPage) + "）";
    return name;
}

std::string toHex(const std::uint8_t* data, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * size);
    for (std::size_t i = 0; i < size; ++i) {
        hex.push_back(digits[data[i] >> 4]);
        hex.push_back(digits[data[i] & 15]);
    }
    return hex;
}

std::optional<std::vector<std::uint8_t>> fromHex(const std::string& hex, std::size_t size) {
    if (hex.size() != 2 * size)
        return std::nullopt;
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        int hi = digit(hex[2 * i]), lo = digit(hex[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        bytes[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return bytes;
}

// The UTF-8 form of a field's text when it says everything the field holds: a terminator
// inside the field, only zeros after it, and Shift-JIS that converts back to the same bytes.
template <std::size_t N>
std::optional<std::string> plainText(const std::array<char, N>& field) {
    std::string sjis = fieldText(field);
    if (sjis.size() >= N)
        return std::nullopt;
    for (std::size_t i = sjis.size(); i < N; ++i)
        if (field[i] != '\0')
            return std::nullopt;
    platform::TextConversion utf8 = platform::cp932ToUtf8(sjis);
    if (!utf8.ok)
        return std::nullopt;
    platform::TextConversion back = platform::utf8ToCp932(utf8.text);
    if (!back.ok || back.text != sjis)
        return std::nullopt;
    return utf8.text;
}

template <std::size_t N>
Json bytesValue(const std::array<char, N>& field) {
    Json j;
    j["bytes"] = toHex(reinterpret_cast<const std::uint8_t*>(field.data()), N);
    return j;
}

template <std::size_t N>
Json textValue(const std::array<char, N>& field) {
    if (std::optional<std::string> text = plainText(field))
        return *text;
    return bytesValue(field);
}

// Selection items as a list of lines, when the text splits at CR LF into lines that hold
// no other line break.
Json itemsValue(const std::array<char, 128>& field) {
    std::optional<std::string> text = plainText(field);
    if (!text)
        return bytesValue(field);
    Json items = Json::array();
    if (text->empty())
        return items;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text->find("\r\n", start);
        std::string line = text->substr(start, end == std::string::npos ? end : end - start);
        if (line.find_first_of("\r\n") != std::string::npos)
            return bytesValue(field);
        items.push_back(line);
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    return items;
}

Json identity(const ObjectRef& ref) {
    Json j;
    j["kind"] = kindShortName(ref.kind);
    j["number"] = shownNumber(ref.kind, ref.number);
    if (isPerPage(ref.kind))
        j["ownerPage"] = ref.ownerPage;
    return j;
}

Json objectValue(const ObjectRef& ref, const ObjectSlot& slot, const std::uint8_t* slotBytes) {
    Json j = identity(ref);
    // A page number that is no page (nor "not placed") has no plain value: the whole
    // slot goes as its bytes.
    if (slot.pageNumber >= kPageCount && slot.pageNumber != kNotPlaced) {
        j["bytes"] = toHex(slotBytes, kObjectSlotSize);
        return j;
    }
    j["page"] = slot.pageNumber == kNotPlaced ? -1 : int(slot.pageNumber);
    j["label"] = textValue(slot.labelText);
    j["labelX"] = slot.labelX;
    j["labelY"] = slot.labelY;
    j["objectX"] = slot.objectX;
    j["objectY"] = slot.objectY;
    j["width"] = slot.objectWidth;
    j["height"] = slot.objectHeight;
    j["items"] = itemsValue(slot.items);
    j["displayedItems"] = slot.itemCount;
    j["inputRestriction"] = slot.inputRestriction;
    return j;
}

std::string compact(const Json& j) {
    return j.dump(-1, ' ', false, Json::error_handler_t::strict);
}

// ---- reading ----

std::string keyPath(const std::string& path, const char* key) {
    return path.empty() ? std::string(key) : path + "." + key;
}

std::string indexPath(const std::string& path, std::size_t i) {
    return path + "[" + std::to_string(i) + "]";
}

// 1-based character position of a byte offset of UTF-8 text.
std::size_t characterPosition(const std::string& utf8, std::size_t byteOffset) {
    std::size_t position = 1;
    for (std::size_t i = 0; i < byteOffset && i < utf8.size(); ++i)
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80)
            ++position;
    return position;
}

class Reader {
  public:
    std::string error;

    bool fail(const std::string& path, const std::string& why) {
        if (error.empty())
            error = path + ": " + why;
        return false;
    }

    // An object holding the required keys, and no keys but those and the optional ones.
    bool object(const Json& j, const std::string& path, const std::vector<const char*>& required,
                const std::vector<const char*>& optional = {}) {
        if (!j.is_object())
            return fail(path.empty() ? "(全体)" : path, "オブジェクト {…} ではありません。");
        for (const auto& item : j.items()) {
            // A plain reference: clang 14 cannot capture a structured binding in a lambda.
            const std::string& key = item.key();
            auto known = [&](const std::vector<const char*>& keys) {
                return std::any_of(keys.begin(), keys.end(),
                                   [&](const char* k) { return key == k; });
            };
            if (!known(required) && !known(optional))
                return fail(path.empty() ? key : path + "." + key, "このキーは使えません。");
        }
        for (const char* key : required)
            if (!j.contains(key))
                return fail(keyPath(path, key), "キーがありません。");
        return true;
    }

    std::optional<long long> integer(const Json& parent, const std::string& path, const char* key,
                                     long long low, long long high) {
        const Json& v = parent.at(key);
        std::string at = keyPath(path, key);
        if (!v.is_number_integer()) {
            fail(at, "整数ではありません。");
            return std::nullopt;
        }
        long long value = v.is_number_unsigned()
                              ? static_cast<long long>(std::min<std::uint64_t>(
                                    v.get<std::uint64_t>(), std::uint64_t(high) + 1))
                              : v.get<long long>();
        if (value < low || value > high) {
            fail(at, "値 " + v.dump() + " は範囲外です（" + std::to_string(low) + "〜" +
                         std::to_string(high) + "）。");
            return std::nullopt;
        }
        return value;
    }

    // Shift-JIS of a JSON string that must fit maxBytes.
    std::optional<std::string> sjis(const Json& v, const std::string& at, std::size_t maxBytes) {
        if (!v.is_string()) {
            fail(at, "文字列ではありません。");
            return std::nullopt;
        }
        const std::string& utf8 = v.get_ref<const std::string&>();
        if (utf8.find('\0') != std::string::npos) {
            fail(at, "NUL文字（\\u0000）は使えません。");
            return std::nullopt;
        }
        platform::TextConversion c = platform::utf8ToCp932(utf8);
        if (!c.ok) {
            fail(at, "「" + c.badCharacter + "」（" +
                         std::to_string(characterPosition(utf8, c.badOffset)) +
                         "文字目）はShift-JISで表せません。");
            return std::nullopt;
        }
        if (c.text.size() > maxBytes) {
            fail(at, "Shift-JISで " + std::to_string(c.text.size()) + " バイトあります。" +
                         std::to_string(maxBytes) + " バイトまでです。");
            return std::nullopt;
        }
        return c.text;
    }

    template <std::size_t N>
    bool bytesInto(const Json& v, const std::string& path, std::array<char, N>& field) {
        if (!object(v, path, {"bytes"}))
            return false;
        std::string at = keyPath(path, "bytes");
        if (!v.at("bytes").is_string())
            return fail(at, "文字列ではありません。");
        auto bytes = fromHex(v.at("bytes").get<std::string>(), N);
        if (!bytes)
            return fail(at, "このフィールドの " + std::to_string(N) + " バイトを表す " +
                                std::to_string(2 * N) + " 桁の16進数ではありません。");
        std::memcpy(field.data(), bytes->data(), N);
        return true;
    }

    // A text field: its text, or {"bytes": ...} for the whole field.
    template <std::size_t N>
    bool text(const Json& parent, const std::string& path, const char* key,
              std::array<char, N>& field, std::size_t maxBytes) {
        const Json& v = parent.at(key);
        std::string at = keyPath(path, key);
        if (v.is_object())
            return bytesInto(v, at, field);
        std::optional<std::string> s = sjis(v, at, maxBytes);
        if (!s)
            return false;
        setFieldText(field, *s);
        return true;
    }

    bool items(const Json& parent, const std::string& path, std::array<char, 128>& field) {
        const Json& v = parent.at("items");
        std::string at = keyPath(path, "items");
        if (v.is_object())
            return bytesInto(v, at, field);
        if (!v.is_array())
            return fail(at, "文字列の配列ではありません。");
        std::string joined;
        for (std::size_t i = 0; i < v.size(); ++i) {
            std::string itemPath = indexPath(at, i);
            std::optional<std::string> line = sjis(v[i], itemPath, kItemsMaxBytes);
            if (!line)
                return false;
            if (line->find_first_of("\r\n") != std::string::npos)
                return fail(itemPath, "改行は入れられません（項目ごとに分けて下さい）。");
            if (i > 0)
                joined += "\r\n";
            joined += *line;
        }
        if (joined.size() > kItemsMaxBytes)
            return fail(at, "項目を合わせてShift-JISで " + std::to_string(joined.size()) +
                                " バイトあります（区切りのCR LFを含む）。" +
                                std::to_string(kItemsMaxBytes) + " バイトまでです。");
        setFieldText(field, joined);
        return true;
    }
};

}  // namespace

std::string DesignToJson(const DispRec& design) {
    std::vector<std::uint8_t> record(kDispRecSize);
    SwapDispRec(design, record.data());
    auto slotBytes = [&](std::size_t s) {
        return record.data() + kSlotsOffset + kObjectSlotSize * s;
    };

    std::string out = "{\n";
    out += "  \"format\": \"" + std::string(kFormat) + "\",\n";
    out += "  \"version\": " + std::to_string(kVersion) + ",\n";
    out += "  \"code\": " + compact(textValue(design.code)) + ",\n";
    Json counts;
    for (ObjectKind kind : kAllKinds)
        counts[kindShortName(kind)] = design.counts[static_cast<std::size_t>(kind)];
    out += "  \"counts\": " + compact(counts) + ",\n";

    out += "  \"pages\": [\n";
    for (std::size_t p = 0; p < kPageCount; ++p) {
        Json page;
        page["page"] = p;
        page["title"] = textValue(design.titles[p]);
        page["modal"] = design.modalFlags[p];
        out += "    " + compact(page) + (p + 1 < kPageCount ? ",\n" : "\n");
    }
    out += "  ],\n";

    std::vector<ObjectRef> refs = objectsOf(design.counts);
    std::array<bool, kSlotCount> isObject{};
    out += "  \"objects\": [";
    for (std::size_t i = 0; i < refs.size(); ++i) {
        isObject[refs[i].slot] = true;
        out += (i == 0 ? "\n    " : ",\n    ") +
               compact(objectValue(refs[i], design.slots[refs[i].slot], slotBytes(refs[i].slot)));
    }
    out += refs.empty() ? "],\n" : "\n  ],\n";

    // Slots that no object of the counts uses are kept as their bytes, when not all zero.
    out += "  \"spareSlots\": [";
    bool first = true;
    for (std::size_t s = 0; s < kSlotCount; ++s) {
        const std::uint8_t* bytes = slotBytes(s);
        if (isObject[s] ||
            std::all_of(bytes, bytes + kObjectSlotSize, [](std::uint8_t b) { return b == 0; }))
            continue;
        Json spare;
        spare["slot"] = s;
        spare["bytes"] = toHex(bytes, kObjectSlotSize);
        out += (first ? "\n    " : ",\n    ") + compact(spare);
        first = false;
    }
    out += first ? "]\n" : "\n  ]\n";
    out += "}\n";
    return out;
}

DesignJsonResult DesignFromJson(std::string_view text) {
    DesignJsonResult result;
    Json root;
    try {
        root = Json::parse(text.begin(), text.end());
    } catch (const Json::exception& e) {
        std::string what = e.what();
        std::size_t cut = what.find("] ");
        result.error =
            "JSONとして読めません: " + (cut == std::string::npos ? what : what.substr(cut + 2));
        return result;
    }

    Reader r;
    DispRec d{};
    // Slots given as their bytes, put in place once the rest of the record is laid out.
    std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> rawSlots;
    auto done = [&]() {
        result.error = r.error;
        return result;
    };

    if (!r.object(root, "", {"format", "version", "code", "counts", "pages", "objects"},
                  {"spareSlots"}))
        return done();
    if (root.at("format") != kFormat) {
        r.fail("format", "\"" + std::string(kFormat) + "\" ではありません。");
        return done();
    }
    if (!r.integer(root, "", "version", kVersion, kVersion))
        return done();
    if (!r.text(root, "", "code", d.code, kCodeMaxBytes))
        return done();

    const Json& counts = root.at("counts");
    std::vector<const char*> kindNames;
    for (ObjectKind kind : kAllKinds) kindNames.push_back(kindShortName(kind));
    if (!r.object(counts, "counts", kindNames))
        return done();
    for (ObjectKind kind : kAllKinds) {
        auto k = static_cast<std::size_t>(kind);
        auto c = r.integer(counts, "counts", kindShortName(kind), 0, kCapacities[k]);
        if (!c)
            return done();
        d.counts[k] = static_cast<std::uint8_t>(*c);
    }

    const Json& pages = root.at("pages");
    if (!pages.is_array() || pages.size() != kPageCount) {
        r.fail("pages", "8ページ分の配列ではありません。");
        return done();
    }
    for (std::size_t p = 0; p < kPageCount; ++p) {
        std::string path = indexPath("pages", p);
        const Json& page = pages[p];
        if (!r.object(page, path, {"page", "title", "modal"}) ||
            !r.integer(page, path, "page", long(p), long(p)) ||
            !r.text(page, path, "title", d.titles[p], kTitleMaxBytes))
            return done();
        auto modal = r.integer(page, path, "modal", 0, 255);
        if (!modal)
            return done();
        d.modalFlags[p] = static_cast<std::uint8_t>(*modal);
    }

    const std::vector<ObjectRef> expected = objectsOf(d.counts);
    std::array<const ObjectRef*, kSlotCount> objectAt{};
    for (const ObjectRef& ref : expected) objectAt[ref.slot] = &ref;
    std::array<bool, kSlotCount> seen{};

    const Json& objects = root.at("objects");
    if (!objects.is_array()) {
        r.fail("objects", "配列ではありません。");
        return done();
    }
    for (std::size_t i = 0; i < objects.size(); ++i) {
        std::string path = indexPath("objects", i);
        const Json& o = objects[i];
        if (!o.is_object()) {
            r.fail(path, "オブジェクト {…} ではありません。");
            return done();
        }
        if (!o.contains("kind") || !o.at("kind").is_string()) {
            r.fail(keyPath(path, "kind"), "種類の名前（Cmb, Int, …）がありません。");
            return done();
        }
        const std::string kindName = o.at("kind").get<std::string>();
        auto found = std::find(kindNames.begin(), kindNames.end(), kindName);
        if (found == kindNames.end()) {
            r.fail(keyPath(path, "kind"), "種類「" + kindName + "」はありません。");
            return done();
        }
        const auto kind = static_cast<ObjectKind>(found - kindNames.begin());
        std::vector<const char*> keys = {"kind", "number"};
        if (isPerPage(kind))
            keys.push_back("ownerPage");
        const bool asBytes = o.contains("bytes");
        if (asBytes) {
            keys.push_back("bytes");
        } else {
            for (const char* k : {"page", "label", "labelX", "labelY", "objectX", "objectY",
                                  "width", "height", "items", "displayedItems", "inputRestriction"})
                keys.push_back(k);
        }
        if (!r.object(o, path, keys))
            return done();

        const int count = countOf(d.counts, kind);
        if (count == 0) {
            r.fail(keyPath(path, "kind"),
                   "counts." + kindName + " が 0 のため、この種類のオブジェクトはありません。");
            return done();
        }
        const int first = shownNumber(kind, 0);
        auto number = r.integer(o, path, "number", first, first + count - 1);
        if (!number)
            return done();
        long long owner = 0;
        if (isPerPage(kind)) {
            auto p = r.integer(o, path, "ownerPage", 0, long(kPageCount) - 1);
            if (!p)
                return done();
            owner = *p;
        }
        const int n = int(*number) - first;
        const std::size_t s = slotIndex(kind, n, int(owner));
        if (seen[s]) {
            r.fail(path, describe({kind, n, int(owner), s}) + " が二度あります。");
            return done();
        }
        seen[s] = true;

        if (asBytes) {
            std::string at = keyPath(path, "bytes");
            auto bytes = o.at("bytes").is_string()
                             ? fromHex(o.at("bytes").get<std::string>(), kObjectSlotSize)
                             : std::nullopt;
            if (!bytes) {
                r.fail(at, "スロットの 176 バイトを表す 352 桁の16進数ではありません。");
                return done();
            }
            rawSlots.emplace_back(s, std::move(*bytes));
            continue;
        }
        ObjectSlot& slot = d.slots[s];
        auto page = r.integer(o, path, "page", -1, long(kPageCount) - 1);
        auto lx = page ? r.integer(o, path, "labelX", 0, 65535) : std::nullopt;
        auto ly = lx ? r.integer(o, path, "labelY", 0, 65535) : std::nullopt;
        auto ox = ly ? r.integer(o, path, "objectX", -32768, 32767) : std::nullopt;
        auto oy = ox ? r.integer(o, path, "objectY", -32768, 32767) : std::nullopt;
        auto w = oy ? r.integer(o, path, "width", 0, 65535) : std::nullopt;
        auto h = w ? r.integer(o, path, "height", 0, 65535) : std::nullopt;
        auto shown = h ? r.integer(o, path, "displayedItems", 0, 255) : std::nullopt;
        auto restriction = shown ? r.integer(o, path, "inputRestriction", 0, 255) : std::nullopt;
        if (!restriction || !r.text(o, path, "label", slot.labelText, kLabelMaxBytes) ||
            !r.items(o, path, slot.items))
            return done();
        slot.pageNumber = *page < 0 ? kNotPlaced : static_cast<std::uint8_t>(*page);
        slot.labelX = static_cast<std::uint16_t>(*lx);
        slot.labelY = static_cast<std::uint16_t>(*ly);
        slot.objectX = static_cast<std::int16_t>(*ox);
        slot.objectY = static_cast<std::int16_t>(*oy);
        slot.objectWidth = static_cast<std::uint16_t>(*w);
        slot.objectHeight = static_cast<std::uint16_t>(*h);
        slot.itemCount = static_cast<std::uint8_t>(*shown);
        slot.inputRestriction = static_cast<std::uint8_t>(*restriction);
    }
    for (const ObjectRef& ref : expected)
        if (!seen[ref.slot]) {
            r.fail("objects", describe(ref) + " がありません。");
            return done();
        }

    if (root.contains("spareSlots")) {
        const Json& spares = root.at("spareSlots");
        if (!spares.is_array()) {
            r.fail("spareSlots", "配列ではありません。");
            return done();
        }
        for (std::size_t i = 0; i < spares.size(); ++i) {
            std::string path = indexPath("spareSlots", i);
            const Json& spare = spares[i];
            if (!r.object(spare, path, {"slot", "bytes"}))
                return done();
            auto s = r.integer(spare, path, "slot", 0, long(kSlotCount) - 1);
            if (!s)
                return done();
            const auto slot = std::size_t(*s);
            if (objectAt[slot]) {
                r.fail(keyPath(path, "slot"), "スロット " + std::to_string(slot) + " は " +
                                                  describe(*objectAt[slot]) +
                                                  " のものです（objects に書きます）。");
                return done();
            }
            if (seen[slot]) {
                r.fail(keyPath(path, "slot"),
                       "スロット " + std::to_string(slot) + " が二度あります。");
                return done();
            }
            seen[slot] = true;
            auto bytes = spare.at("bytes").is_string()
                             ? fromHex(spare.at("bytes").get<std::string>(), kObjectSlotSize)
                             : std::nullopt;
            if (!bytes) {
                r.fail(keyPath(path, "bytes"),
                       "スロットの 176 バイトを表す 352 桁の16進数ではありません。");
                return done();
            }
            rawSlots.emplace_back(slot, std::move(*bytes));
        }
    }

    if (!rawSlots.empty()) {
        // Slot bytes are in the record's byte order, which the counts decide: lay the record
        // out, put them in, and read it back.
        std::vector<std::uint8_t> record(kDispRecSize);
        SwapDispRec(d, record.data());
        for (const auto& [slot, bytes] : rawSlots)
            std::memcpy(record.data() + kSlotsOffset + kObjectSlotSize * slot, bytes.data(),
                        kObjectSlotSize);
        SwapDispRec(record.data(), d);
    }
    result.ok = true;
    result.design = d;
    return result;
}

}  // namespace editor
