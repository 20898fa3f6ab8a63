#pragma once
// "地図表示": a window that shows a graphic database ("_G.pdb") as the handheld will draw
// it, with the attribute database beside it ("_A.pdb") when there is one. Pan by dragging,
// zoom with the wheel, + and − or the buttons, "全体表示" shows the whole device range.
// Layers (one per element kind and class) can be hidden. A click on an element shows its
// header, box and point count and, for an area, its attribute record. The panel also shows
// the frame's corner latitudes and longitudes and the sheet's size; the canvas a scale bar.
//
// A file is opened with "開く…", by dropping it on the window, by `vornik --view FILE` and
// after a conversion (offerMapView). A file that cannot be shown is refused with a message
// naming it and where its stream breaks; the window keeps what it showed before.
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "converter/shell/vornik_services.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

namespace mapview {
class MapScene;
}

namespace vornik {

class MapCanvas;

inline constexpr const char* kMapViewTitle = "地図表示";

class MapViewWindow : public QWidget {
    Q_OBJECT
  public:
    explicit MapViewWindow(const Services& services, QWidget* parent = nullptr);
    ~MapViewWindow() override;

    // Shows the graphic database at path. False (after a message) when it cannot be read.
    bool openFile(const std::string& path);
    const std::string& path() const { return path_; }

    MapCanvas* canvas() const { return canvas_; }
    QPushButton* openButton() const { return open_; }
    QPushButton* fitButton() const { return fit_; }
    QPushButton* zoomInButton() const { return zoomIn_; }
    QPushButton* zoomOutButton() const { return zoomOut_; }
    QLabel* mapInfo() const { return mapInfo_; }
    QPlainTextEdit* elementInfo() const { return elementInfo_; }
    QLabel* pointerInfo() const { return pointerInfo_; }
    const std::vector<QCheckBox*>& layerBoxes() const { return layerBoxes_; }
    QCheckBox* attributeNamesBox() const { return attributeNames_; }

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void chooseFile();
    void showElement(std::optional<std::size_t> element);
    void rebuildLayers();

    Services services_;
    std::string path_;
    std::shared_ptr<mapview::MapScene> scene_;
    std::string attributeNote_;
    MapCanvas* canvas_;
    QPushButton* open_;
    QPushButton* fit_;
    QPushButton* zoomIn_;
    QPushButton* zoomOut_;
    QLabel* fileName_;
    QLabel* mapInfo_;
    QVBoxLayout* layersLayout_;
    std::vector<QCheckBox*> layerBoxes_;
    QCheckBox* attributeNames_;
    QPlainTextEdit* elementInfo_;
    QLabel* pointerInfo_;
};

// The program's one map viewer: opened (and raised) on first use, closed with the program.
// Opens path in it unless path is empty.
MapViewWindow* showMapView(const Services& services, const std::string& path);

// After a conversion has shown its last message: asks whether to open the graphic
// database it wrote in the map viewer, and opens it when the answer is yes. Asks nothing
// where the program has no viewer (services.openMapView unset) or the file is not there.
void offerMapView(const Services& services, const std::string& graphicPath);

}  // namespace vornik
