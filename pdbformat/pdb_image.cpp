#include "pdbformat/pdb_image.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

namespace pdb {
namespace {

// Design and attribute records a database of this kind and record count holds.
std::size_t designRecordCount(DatabaseKind kind, std::size_t n) {
    return kind == DatabaseKind::Master ? n : std::min<std::size_t>(n, 1);
}
std::size_t attrRecordCount(DatabaseKind kind, std::size_t n) {
    return kind == DatabaseKind::Attribute && n > 0 ? n - 1 : 0;
}

std::string quoted(const std::string& path) {
    return "「" + path + "」";
}

}  // namespace

DatabaseKind kindOfName(std::string_view name) {
    if (name == "Master")
        return DatabaseKind::Master;
    if (name == "Default")
        return DatabaseKind::Default;
    return DatabaseKind::Attribute;
}

const char* kindLabel(DatabaseKind kind) {
    switch (kind) {
        case DatabaseKind::Master:
            return "master";
        case DatabaseKind::Default:
            return "default";
        case DatabaseKind::Attribute:
            break;
    }
    return "attribute";
}

void MakeNewImage(PdbImage& image) {
    std::array<char, 32> name = image.header.name;
    image.header = PdbHeader{};
    image.header.name = name;
    image.header.version = 100;
    std::memcpy(image.header.type.data(), "DATA", 4);
    std::memcpy(image.header.creator.data(), "KWIB", 4);
    image.listHeader = ListHeader{0, 1};
    image.recList.assign(1, RecList{});
    image.designs.assign(2, DispRec{});
    image.attrRecs.assign(1, AttrRec{});
    image.fromFile = false;
    image.recordsNotLoaded = 0;
}

std::uint32_t recordOffset(DatabaseKind kind, std::size_t n, std::size_t i) {
    std::size_t base = recordsOffset(n);
    if (kind != DatabaseKind::Attribute || i == 0)
        return std::uint32_t(base + kDispRecSize * i);
    return std::uint32_t(base + kDispRecSize + kAttrRecSize * (i - 1));
}

namespace {

// Checks the header against the file and decodes it into loaded; a message when refused.
std::optional<std::string> decodeDatabase(PdbImage& loaded, const std::uint8_t* data,
                                          std::size_t size, const std::string& path) {
    ContainerHead head = readHead({data, size});
    if (size < kRecListOffset) {
        return quoted(path) + "はPDBファイルではありません（" + std::to_string(size) +
               " バイト。ヘッダーには 78 バイト必要です）。";
    }
    loaded.header = head.header;
    loaded.listHeader = head.listHeader;
    const std::size_t n = loaded.listHeader.iRecNum;
    const DatabaseKind kind = loaded.kind();
    // Records lie back to back after the gap, so the record count fixes the file's
    // length and every record's offset. A file of another length, or whose list puts a
    // record elsewhere, holds records the count does not describe (or lacks some): a
    // store would drop or invent them. A "Default" file saved from a master holds all
    // its designs, though only the first is read.
    const std::size_t expected = recordOffset(kind, n, n);
    if (size < expected) {
        return quoted(path) + "は途中で切れています（レコード数 " + std::to_string(n) + " には " +
               std::to_string(expected) + " バイト必要ですが、" + std::to_string(size) +
               " バイトしかありません）。";
    }
    if (size > expected) {
        return quoted(path) + "はヘッダーのレコード数と長さが合いません（レコード数 " +
               std::to_string(n) + " なら " + std::to_string(expected) + " バイトのはずですが、" +
               std::to_string(size) + " バイトあります）。";
    }
    loaded.recList = std::move(head.recList);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t at = recordOffset(kind, n, i);
        if (loaded.recList[i].iRecPos != at) {
            return quoted(path) + "のレコードリストが合いません（レコード " + std::to_string(i) +
                   " の位置が " + std::to_string(loaded.recList[i].iRecPos) +
                   " ですが、レコード数 " + std::to_string(n) + " なら " + std::to_string(at) +
                   " のはずです）。";
        }
    }

    const std::size_t designCount = designRecordCount(kind, n);
    const std::size_t attrCount = attrRecordCount(kind, n);
    const std::uint8_t* p = data + recordsOffset(n);
    // Each design is decoded right after it is made, while it is still in the cache.
    loaded.designs.clear();
    loaded.designs.reserve(designCount + 1);
    for (std::size_t i = 0; i < designCount; ++i, p += kDispRecSize) {
        SwapDispRec(p, loaded.designs.emplace_back());
        if (auto over = countOverCapacity(loaded.designs[i].counts)) {
            return quoted(path) + "のレコード " + std::to_string(i) + " の" +
                   countFieldName(*over) + " が " +
                   std::to_string(loaded.designs[i].counts[*over]) + " で、上限 " +
                   std::to_string(kCapacities[*over]) + " を超えています。";
        }
    }
    loaded.designs.emplace_back();  // the spare
    loaded.attrRecs.assign(attrCount + 1, AttrRec{});
    for (std::size_t i = 0; i < attrCount; ++i, p += kAttrRecSize)
        SwapAttrRec(p, loaded.attrRecs[i]);

    loaded.fromFile = true;
    loaded.recordsNotLoaded = kind == DatabaseKind::Default && n > 1 ? n - 1 : 0;
    return std::nullopt;
}

}  // namespace

platform::Result<LoadStatus> LoadDatabaseBytes(PdbImage& image, const std::uint8_t* data,
                                               std::size_t size, const std::string& path) {
    using Loaded = platform::Result<LoadStatus>;
    // A master of many designs takes as much memory as its file: running out is a
    // refusal like any other, never an abort.
    try {
        PdbImage loaded;
        if (std::optional<std::string> refusal = decodeDatabase(loaded, data, size, path))
            return Loaded::failure(std::move(*refusal));
        image = std::move(loaded);
        return LoadStatus::Loaded;
    } catch (const std::bad_alloc&) {
        return Loaded::failure(quoted(path) + "を読み込むためのメモリが足りません（" +
                               std::to_string(size) + " バイト）。");
    }
}

platform::Result<LoadStatus> LoadDatabase(PdbImage& image, const std::string& path) {
    if (!platform::fileExists(path)) {
        MakeNewImage(image);
        return LoadStatus::NewImage;
    }
    auto file = platform::MappedFile::open(path);
    if (!file)
        return platform::Result<LoadStatus>::failure(quoted(path) + "を読み込めません（" +
                                                     file.error() + "）。");
    return LoadDatabaseBytes(image, file->data(), file->size(), path);
}

namespace {

// Encodes the image into block, handing full blocks to flush (which empties the block).
// Records are encoded in place at the end of the block, so large databases pass through
// memory once.
bool encodeInBlocks(PdbImage& image, platform::Bytes& block, std::size_t blockSize,
                    const std::function<bool()>& flush) {
    const DatabaseKind kind = image.kind();
    std::size_t n = image.listHeader.iRecNum;
    // Never write more records than the image holds.
    if (kind == DatabaseKind::Master)
        n = std::min(n, image.heldDesigns());
    else if (kind == DatabaseKind::Default)
        n = std::min<std::size_t>(n, 1);
    else
        n = std::min(n, image.heldAttrRecs() + 1);
    image.listHeader.iRecNum = static_cast<std::uint16_t>(n);
    image.listHeader.NextRecList = 0;
    image.recList.assign(n, RecList{});
    for (std::size_t i = 0; i < n; ++i) image.recList[i].iRecPos = recordOffset(kind, n, i);

    block = encodeHead(image.header, image.recList);

    auto append = [&](std::size_t size) {
        if (block.size() >= blockSize && !flush())
            return static_cast<std::uint8_t*>(nullptr);
        std::size_t at = block.size();
        block.resize(at + size);
        return block.data() + at;
    };
    for (std::size_t i = 0; i < designRecordCount(kind, n); ++i) {
        std::uint8_t* p = append(kDispRecSize);
        if (!p)
            return false;
        SwapDispRec(image.designs[i], p);
    }
    for (std::size_t i = 0; i < attrRecordCount(kind, n); ++i) {
        std::uint8_t* p = append(kAttrRecSize);
        if (!p)
            return false;
        SwapAttrRec(image.attrRecs[i], p);
    }
    return true;
}

}  // namespace

bool EncodeDatabase(PdbImage& image,
                    const std::function<bool(const std::uint8_t*, std::size_t)>& sink) {
    platform::Bytes block;
    auto flush = [&] {
        bool ok = block.empty() || sink(block.data(), block.size());
        block.clear();
        return ok;
    };
    return encodeInBlocks(image, block, 1 << 20, flush) && flush();
}

platform::Bytes EncodeDatabase(PdbImage& image) {
    platform::Bytes out;
    encodeInBlocks(image, out, SIZE_MAX, [] { return true; });
    return out;
}

platform::Status WriteFailure(const platform::WriteError& error) {
    std::string head = error.stage == platform::WriteError::Stage::Create
                           ? "ファイルが開けません。"
                           : "ファイルの書込みに失敗しました。";
    return platform::Status::failure(head + "\n" + error.path + "\n(" + error.reason + ")");
}

platform::Status StageDatabase(PdbImage& image, const std::string& path,
                               platform::OutputSet& outputs) {
    platform::WriteError error;
    bool ok = outputs.open(path, &error) &&
              EncodeDatabase(image, [&](const std::uint8_t* p, std::size_t size) {
                  return outputs.write(p, size, &error);
              });
    return ok ? platform::Status{} : WriteFailure(error);
}

platform::Status WriteDatabase(PdbImage& image, const std::string& path) {
    platform::OutputSet outputs;
    platform::Status staged = StageDatabase(image, path, outputs);
    if (!staged)
        return staged;
    platform::WriteError error;
    return outputs.commit(&error) ? platform::Status{} : WriteFailure(error);
}

}  // namespace pdb
