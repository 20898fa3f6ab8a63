#pragma once
// The folder pickers of the settings forms: a drive list (the mounted volumes), a folder
// tree of the chosen drive and a path box that follows the tree and can be typed into; the
// tree follows a typed path that names a folder. "決定" (also Enter) accepts the box's text
// (read it with chosenPath()), "閉じる" closes without it.
#include <QDialog>

class QComboBox;
class QFileSystemModel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeView;

namespace vornik {

class DirPickerForm : public QDialog {
    Q_OBJECT
  public:
    // initialPath: the folder shown first; the home folder when it is not a folder.
    DirPickerForm(const QString& caption, const QString& pathBoxName, const QString& initialPath,
                  QWidget* parent);

    QString chosenPath() const;

    QComboBox* driveList() const { return drive1_; }
    QTreeView* folderTree() const { return dir1_; }
    QFileSystemModel* folderModel() const { return model_; }
    QLineEdit* pathBox() const { return path_; }
    QPushButton* decideButton() const { return decide_; }
    QPushButton* closeButton() const { return close_; }

    // The roots of the mounted volumes that hold folders, sorted.
    static QStringList driveRoots();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void driveChanged(int row);
    void folderChanged(const QModelIndex& current);
    void showDrive(const QString& root);
    void followTypedPath(const QString& text);

    QComboBox* drive1_;
    QTreeView* dir1_;
    QFileSystemModel* model_;
    QLineEdit* path_;
    QPushButton* decide_;
    QPushButton* close_;
    QTimer* revealTimer_ = nullptr;
    bool revealing_ = false;  // keep the start folder in view while the tree fills
    bool following_ = false;  // the tree moves to a typed path: the box keeps the typing
};

// Chooses the sheet folder of the Digital Map 2500 settings form.
class nsdiDialogForm : public DirPickerForm {
    Q_OBJECT
  public:
    nsdiDialogForm(const QString& initialPath, QWidget* parent);
};

// Chooses the output folder of the Digital Map 2500 settings form.
class pdbDirForm : public DirPickerForm {
    Q_OBJECT
  public:
    pdbDirForm(const QString& initialPath, QWidget* parent);
};

// Chooses the output folder of the DM settings form.
class pdbDirForm2 : public DirPickerForm {
    Q_OBJECT
  public:
    pdbDirForm2(const QString& initialPath, QWidget* parent);
};

}  // namespace vornik
