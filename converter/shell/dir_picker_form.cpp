#include "converter/shell/dir_picker_form.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "converter/shell/vornik_help.h"
#include "converter/shell/vornik_services.h"

namespace vornik {
namespace {

QString tr8(const char* s) {
    return QString::fromUtf8(s);
}

QString volumeRootOf(const QString& path) {
    QStorageInfo volume(path);
    return volume.isValid() ? volume.rootPath() : QStringLiteral("/");
}

}  // namespace

QStringList DirPickerForm::driveRoots() {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || !QFileInfo(volume.rootPath()).isDir())
            continue;
        if (!roots.contains(volume.rootPath()))
            roots << volume.rootPath();
    }
    roots.sort();
    return roots;
}

DirPickerForm::DirPickerForm(const QString& caption, const QString& pathBoxName,
                             const QString& initialPath, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(caption);
    setModal(true);
    trackForm(this);
    addHelpKey(this, "picker");

    auto* label1 = new QLabel(tr8("ドライブ："), this);
    label1->setObjectName(QStringLiteral("Label1"));
    drive1_ = new QComboBox(this);
    drive1_->setObjectName(QStringLiteral("Drive1"));

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setReadOnly(true);
    model_->setRootPath(QStringLiteral("/"));
    dir1_ = new QTreeView(this);
    dir1_->setObjectName(QStringLiteral("Dir1"));
    dir1_->setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column) dir1_->hideColumn(column);
    dir1_->header()->hide();
    dir1_->setMinimumSize(440, 260);

    auto* label2 = new QLabel(tr8("指定ディレクトリ："), this);
    label2->setObjectName(QStringLiteral("Label2"));
    path_ = new QLineEdit(this);
    path_->setObjectName(pathBoxName);
    decide_ = new QPushButton(tr8("決定"), this);
    decide_->setObjectName(QStringLiteral("decideButton"));
    close_ = new QPushButton(tr8("閉じる"), this);
    close_->setObjectName(QStringLiteral("closeButton"));
    decide_->setAutoDefault(false);
    decide_->setDefault(true);
    close_->setAutoDefault(false);

    auto* driveRow = new QHBoxLayout;
    driveRow->addWidget(label1);
    driveRow->addWidget(drive1_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(decide_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(driveRow);
    layout->addWidget(dir1_, 1);
    layout->addWidget(label2);
    layout->addWidget(path_);
    layout->addLayout(buttons);

    // Start in the folder given, on its drive.
    QString start = QDir::cleanPath(initialPath);
    if (initialPath.isEmpty() || !QFileInfo(start).isDir())
        start = QDir::homePath();
    start = QFileInfo(start).absoluteFilePath();
    QStringList roots = driveRoots();
    const QString startRoot = volumeRootOf(start);
    if (!roots.contains(startRoot)) {
        roots << startRoot;
        roots.sort();
    }
    drive1_->addItems(roots);
    drive1_->setCurrentIndex(int(roots.indexOf(startRoot)));
    showDrive(startRoot);
    const QModelIndex startIndex = model_->index(start);
    if (startIndex.isValid() && start != startRoot) {
        dir1_->setCurrentIndex(startIndex);
        revealing_ = true;
    }
    path_->setText(start);

    // The model reads folders in the background and inserts their entries as they come,
    // which pushes the start folder down; keep it in view until the user takes over.
    revealTimer_ = new QTimer(this);
    revealTimer_->setSingleShot(true);
    revealTimer_->setInterval(0);
    connect(revealTimer_, &QTimer::timeout, this, [this] {
        if (revealing_ && dir1_->currentIndex().isValid())
            dir1_->scrollTo(dir1_->currentIndex(), QAbstractItemView::PositionAtCenter);
    });
    auto keepRevealing = [this] {
        if (revealing_)
            revealTimer_->start();
    };
    connect(model_, &QFileSystemModel::directoryLoaded, this, keepRevealing);
    connect(model_, &QAbstractItemModel::rowsInserted, this, keepRevealing);
    connect(model_, &QAbstractItemModel::layoutChanged, this, keepRevealing);
    connect(dir1_->verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this] { revealing_ = false; });

    connect(drive1_, &QComboBox::currentIndexChanged, this, &DirPickerForm::driveChanged);
    connect(dir1_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { folderChanged(current); });
    connect(path_, &QLineEdit::textEdited, this, &DirPickerForm::followTypedPath);
    connect(decide_, &QPushButton::clicked, this, &QDialog::accept);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

void DirPickerForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Scrolling needs the laid-out view, so the start folder is brought into view here.
    if (revealing_)
        revealTimer_->start();
}

QString DirPickerForm::chosenPath() const {
    return path_->text();
}

void DirPickerForm::showDrive(const QString& root) {
    model_->setRootPath(root);
    dir1_->setRootIndex(model_->index(root));
}

void DirPickerForm::driveChanged(int row) {
    if (row < 0)
        return;
    const QString root = drive1_->itemText(row);
    revealing_ = false;
    showDrive(root);
    dir1_->selectionModel()->clearCurrentIndex();
    // The tree now stands at the drive's top folder, and so does the path box.
    path_->setText(root);
}

void DirPickerForm::followTypedPath(const QString& text) {
    const QFileInfo typed(QDir::cleanPath(text.trimmed()));
    if (text.trimmed().isEmpty() || !typed.isAbsolute() || !typed.isDir())
        return;
    const QString folder = typed.absoluteFilePath();
    const QString root = volumeRootOf(folder);
    following_ = true;
    if (drive1_->currentText() != root) {
        if (drive1_->findText(root) < 0)
            drive1_->addItem(root);
        const QSignalBlocker quiet(drive1_);
        drive1_->setCurrentIndex(drive1_->findText(root));
        showDrive(root);
    }
    const QModelIndex index = model_->index(folder);
    if (index.isValid()) {
        dir1_->setCurrentIndex(index);
        revealing_ = true;
        revealTimer_->start();
    }
    following_ = false;
}

void DirPickerForm::folderChanged(const QModelIndex& current) {
    if (following_)
        return;
    // Once the user moves in the tree, the view stays where the user put it.
    revealing_ = false;
    if (current.isValid())
        path_->setText(model_->filePath(current));
}

nsdiDialogForm::nsdiDialogForm(const QString& initialPath, QWidget* parent)
    : DirPickerForm(tr8("数値地図ファイルのディレクトリを指定"), tr8("ディレクトリパス"),
                    initialPath, parent) {}

pdbDirForm::pdbDirForm(const QString& initialPath, QWidget* parent)
    : DirPickerForm(tr8("PDBファイルを作成するディレクトリを指定"), tr8("PDBディレクトリ"),
                    initialPath, parent) {}

pdbDirForm2::pdbDirForm2(const QString& initialPath, QWidget* parent)
    : DirPickerForm(tr8("PDBファイルを作成するディレクトリを指定"), tr8("PDBディレクトリ"),
                    initialPath, parent) {}

}  // namespace vornik
