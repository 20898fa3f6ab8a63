#include "pdbformat/container.h"

#include <algorithm>
#include <cstring>

#include "pdbformat/text_field.h"
#include "platform/endian.h"

namespace pdb {

using platform::getBE16;
using platform::getBE24;
using platform::getBE32;
using platform::putBE16;
using platform::putBE24;
using platform::putBE32;

void ReverseBytes(std::size_t width, std::uint8_t* field) {
    std::reverse(field, field + width);
}

void SwapHeader(const std::uint8_t* f, PdbHeader& h) {
    std::memcpy(h.name.data(), f, 32);
    h.attributes = getBE16(f + 32);
    h.version = getBE16(f + 34);
    h.creationDate = getBE32(f + 36);
    h.modificationDate = getBE32(f + 40);
    h.lastBackupDate = getBE32(f + 44);
    h.modificationNumber = getBE32(f + 48);
    h.appInfoOffset = getBE32(f + 52);
    h.sortInfoOffset = getBE32(f + 56);
    std::memcpy(h.type.data(), f + 60, 4);
    std::memcpy(h.creator.data(), f + 64, 4);
    h.uniqueIdSeed = getBE32(f + 68);
}

void SwapHeader(const PdbHeader& h, std::uint8_t* f) {
    std::memcpy(f, h.name.data(), 32);
    putBE16(f + 32, h.attributes);
    putBE16(f + 34, h.version);
    putBE32(f + 36, h.creationDate);
    putBE32(f + 40, h.modificationDate);
    putBE32(f + 44, h.lastBackupDate);
    putBE32(f + 48, h.modificationNumber);
    putBE32(f + 52, h.appInfoOffset);
    putBE32(f + 56, h.sortInfoOffset);
    std::memcpy(f + 60, h.type.data(), 4);
    std::memcpy(f + 64, h.creator.data(), 4);
    putBE32(f + 68, h.uniqueIdSeed);
}

void SwapListHeader(const std::uint8_t* f, ListHeader& h) {
    h.NextRecList = getBE32(f);
    h.iRecNum = getBE16(f + 4);
}

void SwapListHeader(const ListHeader& h, std::uint8_t* f) {
    putBE32(f, h.NextRecList);
    putBE16(f + 4, h.iRecNum);
}

void SwapRecList(const std::uint8_t* f, RecList& r) {
    r.iRecPos = getBE32(f);
    r.attributes = f[4];
    r.uniqueId = getBE24(f + 5);
}

void SwapRecList(const RecList& r, std::uint8_t* f) {
    putBE32(f, r.iRecPos);
    f[4] = r.attributes;
    putBE24(f + 5, r.uniqueId);
}

std::string databaseName(const PdbHeader& header) {
    return fieldText(header.name);
}

void setDatabaseName(PdbHeader& header, std::string_view name) {
    setFieldText(header.name, name);
}

}  // namespace pdb
