#pragma once
// The map viewer's drawing surface: paints a MapScene through the shared painter, pans by
// dragging, zooms with the wheel (about the pointer) and with + and −, and reports a click
// on an element. A scale bar in metres sits in its lower left corner.
#include <QWidget>
#include <memory>
#include <optional>

#include "ui/map/map_painter.h"
#include "ui/map/map_scene.h"

namespace vornik {

class MapCanvas : public QWidget {
    Q_OBJECT
  public:
    explicit MapCanvas(QWidget* parent = nullptr);

    void setScene(std::shared_ptr<const mapview::MapScene> scene);
    const mapview::MapScene* scene() const { return scene_.get(); }
    const mapview::MapView& view() const { return view_; }
    mapview::PaintOptions& options() { return options_; }
    // The whole device range in view, also after resizing, until the view is panned or zoomed.
    void fit();
    // Zooms by factor about the canvas centre.
    void zoom(double factor);
    void select(std::optional<std::size_t> element);

    // A click within this many pixels of a line counts as on it.
    static constexpr double kClickPixels = 4;
    static constexpr double kZoomStep = 1.5;

  Q_SIGNALS:
    // A click that did not drag: the element under it, or none.
    void elementClicked(std::optional<std::size_t> element);
    // The device point under the pointer and the metres one pixel shows (0 when unknown).
    void pointerMoved(QPointF device, double metresPerPixel);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    double metresPerPixel() const;

    std::shared_ptr<const mapview::MapScene> scene_;
    mapview::MapView view_;
    mapview::PaintOptions options_;
    bool fitting_ = true;  // the whole range stays in view as the canvas is resized
    std::optional<QPointF> pressedAt_;
    QPointF lastDrag_;
    bool dragged_ = false;
};

}  // namespace vornik
