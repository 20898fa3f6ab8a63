#include "editor/ui/lorvex_file_dialog.h"

#include <QFileInfo>

#include "ui/remembered_places.h"

namespace lorvex {
namespace {

QString fromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

}  // namespace

platform::FileRequest fileRequest(FileKind kind, bool save, std::string title, std::string place) {
    platform::FileRequest request;
    request.save = save;
    request.place = std::move(place);
    switch (kind) {
        case FileKind::Pdb:
            request.filterName = "PDBﾌｧｲﾙ";
            request.filterPattern = "*.pdb";
            request.defaultExtension = "pdb";
            break;
        case FileKind::Csv:
            request.filterName = "CSVﾌｧｲﾙ";
            request.filterPattern = "*.csv";
            request.defaultExtension = "csv";
            break;
        case FileKind::Json:
            request.filterName = "JSONﾌｧｲﾙ";
            request.filterPattern = "*.json";
            request.defaultExtension = "json";
            break;
    }
    request.title =
        title.empty() ? (save ? "名前を付けて保存" : "ファイルを開く") : std::move(title);
    return request;
}

CLorvexFileDialog::CLorvexFileDialog(const platform::FileRequest& request, QWidget* parent)
    : QFileDialog(parent, fromUtf8(request.title), fromUtf8(request.initialFolder)) {
    // Qt's own dialog everywhere, so the caption and the behaviour are the same on every
    // desktop and under the offscreen platform.
    setOption(QFileDialog::DontUseNativeDialog, true);
    // The commands ask before overwriting, and a save-style choice also serves to pick an
    // existing file to read: no question of the chooser's own.
    setOption(QFileDialog::DontConfirmOverwrite, true);
    setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    setNameFilter(fromUtf8(request.filterName) + QStringLiteral(" (") +
                  fromUtf8(request.filterPattern) + QStringLiteral(")"));
    setDefaultSuffix(fromUtf8(request.defaultExtension));
    setLabelText(QFileDialog::Accept, QStringLiteral("選 択"));
    setLabelText(QFileDialog::Reject, QStringLiteral("ｷｬﾝｾﾙ"));
    // Wide enough that the size and date columns are readable.
    resize(760, 480);
    if (request.initialFolder.empty()) {
        const QString place = fromUtf8(request.place);
        setDirectory(kwibui::startFolder(place));
        const QString last = place.isEmpty() ? QString() : kwibui::rememberedFile(place);
        if (!last.isEmpty() && QFileInfo(last).absolutePath() == directory().absolutePath())
            selectFile(QFileInfo(last).fileName());
    }
}

QString CLorvexFileDialog::chosenPath() const {
    QStringList files = selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

std::optional<std::string> LorvexFileChooser::choose(const platform::FileRequest& request) {
    CLorvexFileDialog dialog(request, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    QString path = dialog.chosenPath();
    if (path.isEmpty())
        return std::nullopt;
    std::string chosen =
        platform::withDefaultExtension(path.toStdString(), request.defaultExtension);
    kwibui::rememberFile(fromUtf8(request.place), QString::fromStdString(chosen));
    return chosen;
}

}  // namespace lorvex
