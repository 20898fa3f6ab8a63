#include "converter/shell/map_canvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace vornik {
namespace {

// How far the pointer may move between press and release for a click.
constexpr double kDragPixels = 3;
constexpr double kMarginPixels = 8;
// Zoom limits: the whole device range in a few pixels, and one device unit in 64 pixels.
constexpr double kMinScale = 1.0 / 65536;
constexpr double kMaxScale = 64;

}  // namespace

MapCanvas::MapCanvas(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("mapCanvas"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 240);
    setCursor(Qt::OpenHandCursor);
}

void MapCanvas::setScene(std::shared_ptr<const mapview::MapScene> scene) {
    scene_ = std::move(scene);
    options_.layerShown.assign(scene_ ? scene_->layers().size() : 0, true);
    options_.selected.reset();
    fit();
}

void MapCanvas::fit() {
    view_ = mapview::MapView::fit(mapview::kDeviceBounds, QSizeF(size()), kMarginPixels);
    fitting_ = true;
    update();
}

void MapCanvas::zoom(double factor) {
    fitting_ = false;
    const double scale = std::clamp(view_.scale * factor, kMinScale, kMaxScale);
    view_ = view_.zoomedAbout(QPointF(width() / 2.0, height() / 2.0), scale / view_.scale);
    update();
}

void MapCanvas::select(std::optional<std::size_t> element) {
    options_.selected = element;
    update();
}

double MapCanvas::metresPerPixel() const {
    if (!scene_ || !scene_->sheet())
        return 0;
    return scene_->sheet()->metresPerUnit / view_.scale;
}

void MapCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!scene_) {
        painter.fillRect(rect(), palette().window());
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap,
                         QString::fromUtf8("図形PDBファイル（_G.pdb）を「開く」で選ぶか、"
                                           "ここにドロップして下さい。"));
        return;
    }
    mapview::paintMap(painter, *scene_, view_, QSizeF(size()), options_);
    mapview::paintScaleBar(painter, metresPerPixel(), QPointF(12, height() - 12), 150);
}

void MapCanvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (fitting_)
        fit();
}

void MapCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    pressedAt_ = event->position();
    lastDrag_ = event->position();
    dragged_ = false;
    setCursor(Qt::ClosedHandCursor);
}

void MapCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (pressedAt_ && (event->buttons() & Qt::LeftButton)) {
        const QPointF delta = event->position() - lastDrag_;
        if (dragged_ || (event->position() - *pressedAt_).manhattanLength() > kDragPixels) {
            dragged_ = true;
            fitting_ = false;
            view_.left -= delta.x() / view_.scale;
            view_.top -= delta.y() / view_.scale;
            lastDrag_ = event->position();
            update();
        }
    }
    Q_EMIT pointerMoved(view_.toDevice(event->position()), metresPerPixel());
}

void MapCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressedAt_)
        return;
    pressedAt_.reset();
    setCursor(Qt::OpenHandCursor);
    if (dragged_ || !scene_)
        return;
    const QPointF device = view_.toDevice(event->position());
    const std::optional<std::size_t> hit =
        scene_->hitTest(device.x(), device.y(), kClickPixels / view_.scale, options_.layerShown);
    select(hit);
    Q_EMIT elementClicked(hit);
}

void MapCanvas::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0)
        return;
    fitting_ = false;
    const double scale = std::clamp(view_.scale * std::pow(kZoomStep, steps), kMinScale, kMaxScale);
    view_ = view_.zoomedAbout(event->position(), scale / view_.scale);
    update();
    event->accept();
}

void MapCanvas::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            zoom(kZoomStep);
            return;
        case Qt::Key_Minus:
            zoom(1 / kZoomStep);
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace vornik
