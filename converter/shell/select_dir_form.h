#pragma once
// selectDirForm: the settings of the Digital Map 2500 conversion (sheet folder, output
// folder, the coordinate system and the twelve frame values). "作成" (also Enter) runs the
// conversion; a run that reaches its end closes the form, any other leaves it open with
// what was typed.
#include <QDialog>

#include "converter/shell/vornik_services.h"

class QLineEdit;
class QPushButton;

namespace vornik {

class FrameBoxes;
class GeorefBox;
class BatchInputs;

class selectDirForm : public QDialog {
    Q_OBJECT
  public:
    selectDirForm(const Services& services, QWidget* parent);

    QLineEdit* sheetFolderBox() const { return sheetFolder_; }  // 数値地図ディレクトリ
    QLineEdit* pdbFolderBox() const { return pdbFolder_; }      // PDBファイルディレクトリ
    QPushButton* sheetFolderButton() const { return sheetButton_; }
    QPushButton* pdbFolderButton() const { return pdbButton_; }
    QPushButton* createButton() const { return create_; }
    QPushButton* closeButton() const { return close_; }
    FrameBoxes* frameBoxes() const { return frame_; }
    GeorefBox* georefBox() const { return georef_; }
    BatchInputs* batchInputs() const { return batch_; }  // two or more inputs: a batch

  private:
    void chooseSheetFolder();
    void choosePdbFolder();
    void create();

    Services services_;
    QLineEdit* sheetFolder_;
    QLineEdit* pdbFolder_;
    QPushButton* sheetButton_;
    QPushButton* pdbButton_;
    FrameBoxes* frame_;
    GeorefBox* georef_;
    BatchInputs* batch_;
    QPushButton* create_;
    QPushButton* close_;
};

}  // namespace vornik
