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

ContainerHead readHead(std::span<const std::uint8_t> bytes) {
    ContainerHead head;
    if (bytes.size() < kRecListOffset)
        return head;
    SwapHeader(bytes.data(), head.header);
    SwapListHeader(bytes.data() + kHeaderSize, head.listHeader);
    const std::size_t n = head.listHeader.iRecNum;
    head.needed = recordsOffset(n);
    if (bytes.size() < head.needed)
        return head;
    head.recList.resize(n);
    for (std::size_t k = 0; k < n; ++k)
        SwapRecList(bytes.data() + kRecListOffset + kRecListSize * k, head.recList[k]);
    head.complete = true;
    return head;
}

platform::Bytes encodeHead(const PdbHeader& header, const std::vector<RecList>& recList) {
    const std::size_t n = recList.size();
    platform::Bytes bytes(recordsOffset(n), 0);
    SwapHeader(header, bytes.data());
    SwapListHeader(ListHeader{0, static_cast<std::uint16_t>(n)}, bytes.data() + kHeaderSize);
    for (std::size_t k = 0; k < n; ++k)
        SwapRecList(recList[k], bytes.data() + kRecListOffset + kRecListSize * k);
    return bytes;
}

PdbHeader converterHeader(const std::array<std::uint8_t, 32>& nameField, std::uint32_t dayStamp) {
    PdbHeader header;
    std::memcpy(header.name.data(), nameField.data(), nameField.size());
    header.attributes = kConverterDatabaseAttributes;
    header.creationDate = header.modificationDate = header.lastBackupDate = dayStamp;
    header.type = {'D', 'A', 'T', 'A'};
    header.creator = {'K', 'W', 'I', 'B'};
    return header;
}

std::vector<RecList> converterRecordList(std::size_t n, std::size_t recordSize) {
    std::vector<RecList> list(n);
    for (std::size_t k = 0; k < n; ++k) {
        list[k].iRecPos = static_cast<std::uint32_t>(recordsOffset(n) + recordSize * k);
        list[k].attributes = kConverterRecordAttributes;
        list[k].uniqueId = static_cast<std::uint32_t>(k + 1);
    }
    return list;
}

std::string databaseName(const PdbHeader& header) {
    return fieldText(header.name);
}

void setDatabaseName(PdbHeader& header, std::string_view name) {
    setFieldText(header.name, name);
}

}  // namespace pdb
