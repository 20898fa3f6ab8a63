#pragma once
// selectDirForm2: the settings of the DM conversion (DM file, output folder, the coordinate
// system, the twelve frame values, whether annotations, circles and arcs are drawn too).
// "作成" (also Enter) runs the conversion; a run that reaches its end closes the form, any
// other leaves it open with what was typed. With the checkbox on, the run ends showing its
// account of the file's element records.
#include <QDialog>

#include "converter/shell/vornik_services.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace vornik {

class FrameBoxes;
class GeorefBox;
class BatchInputs;

class selectDirForm2 : public QDialog {
    Q_OBJECT
  public:
    selectDirForm2(const Services& services, QWidget* parent);

    QLineEdit* dmFileBox() const { return dmFile_; }        // DMディレクトリ (a file path)
    QLineEdit* pdbFolderBox() const { return pdbFolder_; }  // PDBファイルディレクトリ
    QPushButton* dmFileButton() const { return dmButton_; }
    QPushButton* pdbFolderButton() const { return pdbButton_; }
    QPushButton* createButton() const { return create_; }
    QPushButton* closeButton() const { return close_; }
    FrameBoxes* frameBoxes() const { return frame_; }
    GeorefBox* georefBox() const { return georef_; }
    QCheckBox* allElementsBox() const { return allElements_; }  // 注記・円・円弧も変換する
    BatchInputs* batchInputs() const { return batch_; }         // two or more inputs: a batch

  private:
    void chooseDmFile();
    void choosePdbFolder();
    void create();

    Services services_;
    QLineEdit* dmFile_;
    QLineEdit* pdbFolder_;
    QPushButton* dmButton_;
    QPushButton* pdbButton_;
    FrameBoxes* frame_;
    GeorefBox* georef_;
    QCheckBox* allElements_;
    BatchInputs* batch_;
    QPushButton* create_;
    QPushButton* close_;
};

}  // namespace vornik
