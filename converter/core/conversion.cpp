#include "converter/core/conversion.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "converter/core/module1.h"
#include "platform/cp932.h"

namespace converter {

namespace {

std::string fileMessage(const std::string& path, const std::string& what) {
    return "ファイル「" + path + "」" + what;
}

}  // namespace

bool prepareOutputFolder(const std::string& folder, platform::Prompter& prompter) {
    auto error = [&](const std::string& text) {
        prompter.show(text, "", platform::Icon::Critical, platform::Buttons::Ok);
        return false;
    };
    const std::string named = "PDBファイルのディレクトリ「" + folder + "」";
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(folder, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        if (prompter.show(named + "がありません。作成しますか？", "", platform::Icon::Question,
                          platform::Buttons::YesNo) != platform::Answer::Yes)
            return false;
        if (!std::filesystem::create_directories(folder, ec) && ec)
            return error(named + "を作成できません（" + ec.message() + "）。");
        return true;
    }
    if (ec)
        return error(named + "を確かめられません（" + ec.message() + "）。");
    if (status.type() != std::filesystem::file_type::directory)
        return error(named + "はディレクトリではありません。");
    // access() also answers for a folder on a read-only file system, for every user.
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return error(named + "に書き込めません（" + std::strerror(errno) + "）。");
    return true;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

std::string baseNameOf(std::string_view path) {
    // A "/" at the very end does not count: the name runs from the last one before it.
    std::string_view name = path;
    if (path.size() >= 2)
        name = path.substr(path.size() - 1 -
                           platform::fileNameOf(path.substr(0, path.size() - 1)).size());
    return std::string(name.substr(0, name.find('.')));
}

std::optional<std::string> databaseNameProblem(std::string_view name) {
    if (name.empty())
        return std::string("ファイル名から作るデータベース名が空になります。");
    for (std::size_t i = 0; i < name.size();) {
        std::size_t len = platform::utf8CharLength(static_cast<unsigned char>(name[i]));
        std::string_view c = name.substr(i, len);
        platform::TextConversion sjis = platform::utf8ToCp932(c);
        if (!sjis.ok || sjis.text.size() != 1)
            return "ファイル名から作るデータベース名「" + std::string(name) +
                   "」に、1 バイトで表せない文字「" + std::string(c) +
                   "」があります。データベース名は半角文字だけで作ります。";
        i += len;
    }
    return std::nullopt;
}

std::string refusedFileNameMessage(const std::string& path, const std::string& problem) {
    std::string_view name = platform::fileNameOf(path);
    std::size_t dot = name.find('.');
    std::string extension(dot == std::string_view::npos ? "" : name.substr(dot));
    return "「" + path + "」は変換できません。" + problem + "半角英数字のファイル名（例: data1" +
           extension + "）に変えてから変換してください。何も作成しませんでした。";
}

platform::Status databaseNameField(std::string_view name, std::array<std::uint8_t, 32>& field) {
    // Cut to 31 characters and pad with blanks; byteConv stores the blanks as 0, and
    // byte 31 stays 0 as the terminator.
    std::string text;
    std::size_t chars = 0;
    for (std::size_t i = 0; i < name.size() && chars < 31; ++chars) {
        std::size_t len = platform::utf8CharLength(static_cast<unsigned char>(name[i]));
        len = std::min(len, name.size() - i);
        text.append(name.substr(i, len));
        i += len;
    }
    text.append(31 - chars, ' ');
    field = {};
    return Module1::byteConv(std::span<std::uint8_t>(field).first(31), 31, text);
}

std::string writeFailureText(const platform::WriteError& error) {
    std::string what = error.stage == platform::WriteError::Stage::Create
                           ? "を作成できません（" + error.reason + "）。"
                           : "を書き込めません（" + error.reason + "）。";
    if (platform::fileExists(error.path))
        what += "以前のファイルはそのまま残っています。";
    return fileMessage(error.path, what);
}

platform::Status stageFeatureAttrDatabase(platform::OutputSet& outputs, const std::string& path,
                                          const std::array<std::uint8_t, 32>& nameField,
                                          const std::vector<pdb::FeatureAttrRec>& records,
                                          const platform::LocalDate& today) {
    if (records.size() > pdb::kMaxFeatureAttrRecs)
        return platform::Status::failure(fileMessage(
            path, "に書くレコードが多すぎます（" + std::to_string(records.size()) + " 件、" +
                      std::to_string(pdb::kMaxFeatureAttrRecs) + " 件まで）。"));
    platform::Bytes file =
        pdb::encodeFeatureAttrDatabase(nameField, records, pdb::palmDayStamp(today));
    platform::WriteError error;
    if (!outputs.add(path, file, &error))
        return platform::Status::failure(writeFailureText(error));
    return {};
}

platform::Status commitOutputs(platform::OutputSet& outputs) {
    platform::WriteError error;
    if (!outputs.commit(&error))
        return platform::Status::failure(writeFailureText(error));
    return {};
}

platform::Status writeFeatureAttrDatabase(const std::string& path,
                                          const std::vector<pdb::FeatureAttrRec>& records,
                                          const platform::LocalDate& today) {
    std::array<std::uint8_t, 32> name{};
    if (platform::Status named = databaseNameField(baseNameOf(path), name); !named)
        return named;
    platform::OutputSet outputs;
    if (platform::Status staged = stageFeatureAttrDatabase(outputs, path, name, records, today);
        !staged)
        return staged;
    return commitOutputs(outputs);
}

}  // namespace converter
