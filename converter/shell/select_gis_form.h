#pragma once
// selectGisForm ("GIS データ → PDB"): the settings of ogr2pdb. The input (a GeoPackage,
// shapefile, GeoJSON or base-map GML file, or a folder of them), the output folder, the
// plane rectangular system (zone and datum), the mapping, the shapefile text encoding, an
// optional extent and the frame (computed from the extent, or typed). The layer list shows
// each layer of the input and what the mapping makes of it, and follows the input and
// mapping chosen. "作成" runs the conversion; a run that reaches its end closes the form.
#include <QDialog>

#include "converter/shell/vornik_services.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace vornik {

class FrameBoxes;

class selectGisForm : public QDialog {
    Q_OBJECT
  public:
    selectGisForm(const Services& services, QWidget* parent);

    QLineEdit* inputBox() const { return input_; }
    QPushButton* inputFileButton() const { return inputFile_; }
    QPushButton* inputFolderButton() const { return inputFolder_; }
    QLineEdit* pdbFolderBox() const { return pdbFolder_; }
    QComboBox* zoneList() const { return zone_; }    // 第I系 … 第XIX系
    QComboBox* datumList() const { return datum_; }  // 旧日本測地系, JGD2000, JGD2011
    QComboBox* mappingList() const { return mapping_; }  // 自動, 基盤地図情報, 汎用, ファイル
    QLineEdit* mappingFileBox() const { return mappingFile_; }
    QComboBox* encodingList() const { return encoding_; }
    QCheckBox* extentCheck() const { return extentOn_; }
    QLineEdit* extentBox(int i) const { return extent_[i]; }  // min N, min E, max N, max E
    QCheckBox* autoFrameCheck() const { return autoFrame_; }
    FrameBoxes* frameBoxes() const { return frame_; }
    QTreeWidget* layerList() const { return layers_; }
    QPushButton* createButton() const { return create_; }
    QPushButton* closeButton() const { return close_; }

    // Reads the input's layers into the list (also when the input or the mapping changes).
    void refreshLayers();

  private:
    void chooseInputFile();
    void chooseInputFolder();
    void choosePdbFolder();
    void chooseMappingFile();
    std::string mappingWord() const;
    std::string encodingWord() const;
    void create();

    Services services_;
    QLineEdit* input_;
    QPushButton* inputFile_;
    QPushButton* inputFolder_;
    QLineEdit* pdbFolder_;
    QPushButton* pdbButton_;
    QComboBox* zone_;
    QComboBox* datum_;
    QComboBox* mapping_;
    QLineEdit* mappingFile_;
    QPushButton* mappingButton_;
    QComboBox* encoding_;
    QCheckBox* extentOn_;
    std::array<QLineEdit*, 4> extent_{};
    QCheckBox* autoFrame_;
    FrameBoxes* frame_;
    QTreeWidget* layers_;
    QPushButton* create_;
    QPushButton* close_;
};

}  // namespace vornik
