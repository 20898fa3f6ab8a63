#pragma once
// startForm: the main menu of the conversion program. Four buttons start the four
// conversions, "地図表示" opens the map viewer, "ヘルプ" (also F1) opens the manual; "終　了"
// asks before it ends the program.
#include <QWidget>

#include "converter/shell/vornik_services.h"

class QPushButton;

namespace vornik {

class startForm : public QWidget {
    Q_OBJECT
  public:
    explicit startForm(const Services& services, QWidget* parent = nullptr);

    QPushButton* nsdi2pdbButton() const { return nsdi2pdb_; }
    QPushButton* dm2pdbButton() const { return dm2pdb_; }
    QPushButton* ogr2pdbButton() const { return ogr2pdb_; }
    QPushButton* csv2pdbButton() const { return csv2pdb_; }
    QPushButton* pdb2csvButton() const { return pdb2csv_; }
    QPushButton* helpButton() const { return help_; }
    QPushButton* mapViewButton() const { return mapView_; }
    QPushButton* exitButton() const { return exit_; }

  private:
    void openNsdiSettings();
    void openDmSettings();
    void openGisSettings();
    void runCsv2pdb();
    void runPdb2csv();
    void openMapView();
    void askExit();

    Services services_;
    QPushButton* nsdi2pdb_;
    QPushButton* dm2pdb_;
    QPushButton* ogr2pdb_;
    QPushButton* csv2pdb_;
    QPushButton* pdb2csv_;
    QPushButton* help_;
    QPushButton* mapView_;
    QPushButton* exit_;
};

}  // namespace vornik
