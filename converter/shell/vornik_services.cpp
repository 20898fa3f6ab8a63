#include "converter/shell/vornik_services.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QObject>
#include <QWidget>
#include <algorithm>
#include <exception>

#include "platform/qt/qt_prompter.h"
#include "ui/remembered_places.h"

namespace vornik {
namespace {

std::vector<QPointer<QWidget>>& openForms() {
    static std::vector<QPointer<QWidget>> forms;
    return forms;
}

void dropClosedForms() {
    auto& forms = openForms();
    forms.erase(std::remove_if(forms.begin(), forms.end(),
                               [](const QPointer<QWidget>& f) { return f.isNull(); }),
                forms.end());
}

QString fromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// Watches one form's show and hide events.
class FormTracker : public QObject {
  public:
    explicit FormTracker(QWidget* form) : QObject(form) { form->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* form = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show)
            OpenForms::opened(form);
        else if (event->type() == QEvent::Hide)
            OpenForms::closed(form);
        return false;
    }
};

}  // namespace

void trackForm(QWidget* form) {
    new FormTracker(form);
}

bool runGuarded(platform::Prompter& prompter, const std::function<bool()>& operation) {
    std::string reason;
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        reason = "メモリが足りません";
    } catch (const std::exception& e) {
        reason = e.what();
    } catch (...) {
        reason = "原因不明";
    }
    prompter.show("予期しないエラーのため処理を中止しました（" + reason + "）。", "",
                  platform::Icon::Critical, platform::Buttons::Ok);
    return false;
}

void installFormFont(QApplication& app) {
    QFont::insertSubstitution(QString::fromUtf8(kFormFontFace), QStringLiteral("IPAPGothic"));
    QFont font(QString::fromUtf8(kFormFontFace));
    font.setPixelSize(13);
    app.setFont(font);
}

std::string startFolder(const QString& programDir) {
    QFileInfo dir(programDir);
    if (dir.isDir() && dir.isWritable())
        return QDir::cleanPath(dir.absoluteFilePath()).toStdString();
    return QDir::homePath().toStdString();
}

void OpenForms::opened(QWidget* form) {
    dropClosedForms();
    auto& forms = openForms();
    if (std::find(forms.begin(), forms.end(), form) == forms.end())
        forms.emplace_back(form);
}

void OpenForms::closed(QWidget* form) {
    auto& forms = openForms();
    forms.erase(std::remove(forms.begin(), forms.end(), form), forms.end());
    dropClosedForms();
}

std::vector<QWidget*> OpenForms::list() {
    dropClosedForms();
    std::vector<QWidget*> result;
    for (const auto& f : openForms()) result.push_back(f.data());
    return result;
}

void OpenForms::closeAll() {
    // Closing a form takes it off the list, so always close the last one left.
    for (;;) {
        auto forms = list();
        if (forms.empty())
            return;
        QWidget* newest = forms.back();
        newest->close();
        closed(newest);
    }
}

platform::Answer FormPrompter::show(std::string_view text, std::string_view title,
                                    platform::Icon icon, platform::Buttons buttons) {
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner) {
        auto forms = OpenForms::list();
        owner = forms.empty() ? nullptr : forms.back();
    }
    platform::QtPrompter boxes(owner, QString::fromUtf8(kAppTitle));
    return boxes.show(text, title, icon, buttons);
}

QStringList nameFiltersFor(const platform::FileRequest& request) {
    QStringList filters;
    if (!request.filterPattern.empty())
        filters << fromUtf8(request.filterName) + " (" + fromUtf8(request.filterPattern) + ")";
    // "*" rather than "*.*": on this system a file name need not hold a dot.
    filters << QStringLiteral("すべてのファイル (*)");
    return filters;
}

std::string matchExistingCase(const std::string& path) {
    QFileInfo info(fromUtf8(path));
    if (info.exists())
        return path;
    QDir folder = info.absoluteDir();
    const QString wanted = info.fileName();
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0)
            return folder.filePath(entry).toStdString();
    }
    return path;
}

std::optional<std::string> FormFileChooser::choose(const platform::FileRequest& request) {
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner) {
        auto forms = OpenForms::list();
        owner = forms.empty() ? nullptr : forms.back();
    }
    // A remembered place opens where its last file was (that file selected).
    const QString place = fromUtf8(request.place);
    const QString folder = place.isEmpty()
                               ? fromUtf8(request.initialFolder)
                               : kwibui::startFolder(place, fromUtf8(request.initialFolder));
    QFileDialog dialog(owner, fromUtf8(request.title), folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    // The dialogs only pick a name; they never write, so there is nothing to confirm.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setLabelText(QFileDialog::Accept,
                        request.save ? QStringLiteral("保存") : QStringLiteral("開く"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("キャンセル"));
    dialog.setNameFilters(nameFiltersFor(request));
    dialog.setDefaultSuffix(fromUtf8(request.defaultExtension));
    // Wide enough that the size and date columns are readable.
    dialog.resize(780, 480);
    const QString last = place.isEmpty() ? QString() : kwibui::rememberedFile(place);
    if (!last.isEmpty() && QFileInfo(last).absolutePath() == dialog.directory().absolutePath())
        dialog.selectFile(QFileInfo(last).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    std::string chosen = matchExistingCase(dialog.selectedFiles().first().toStdString());
    kwibui::rememberFile(place, QString::fromStdString(chosen));
    return chosen;
}

}  // namespace vornik
