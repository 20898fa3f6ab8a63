#include "ui/map/map_painter.h"

#include <QFontMetricsF>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "platform/cp932.h"

namespace mapview {
namespace {

const QColor kOutside(0xE4, 0xE4, 0xE4);
const QColor kDeviceEdge(0x8C, 0x8C, 0x8C);
const QColor kDeviceRange(0xF6, 0xF6, 0xF2);
const QColor kSheet(Qt::white);
const QColor kSheetEdge(0x40, 0x40, 0x40);
const QColor kBuildingFill(0xD8, 0xD8, 0xD8);
const QColor kBuildingEdge(0x4A, 0x4A, 0x4A);
const QColor kAreaFill(0xE9, 0xE2, 0xC8);
const QColor kAreaEdge(0x7A, 0x6E, 0x50);
const QColor kBlockLine(0x9A, 0x88, 0x70);
const QColor kRiver(0x2F, 0x6F, 0xD0);
const QColor kLabel(0x20, 0x20, 0x20);
const QColor kAttributeName(0x50, 0x50, 0x80);
const QColor kSelected(0xFF, 0x7A, 0x00);

constexpr std::uint8_t kStyleBuilding = 32;
constexpr std::uint8_t kStyleRailway = 80;
constexpr std::uint8_t kStyleRiver = 112;

// Smallest on-screen width of an area whose attribute name is written inside it.
constexpr double kNamedAreaPixels = 40;

QPen pen(const QColor& colour, double width, Qt::PenStyle style = Qt::SolidLine) {
    QPen p(colour, width, style, Qt::FlatCap, Qt::RoundJoin);
    // Widths are pixels; cosmetic pens of one pixel take the painter's fast line path.
    p.setCosmetic(true);
    return p;
}

QRectF pixelRect(const MapView& view, const DeviceRect& r) {
    return QRectF(view.toPixel(r.left, r.top), view.toPixel(r.right, r.bottom));
}

QFont labelFont(int pixelSize) {
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(pixelSize);
    return font;
}

// Text centred on a pixel point.
void centredText(QPainter& painter, QPointF at, const QString& text) {
    const QFontMetricsF metrics(painter.font());
    painter.drawText(QPointF(at.x() - metrics.horizontalAdvance(text) / 2,
                             at.y() + (metrics.ascent() - metrics.descent()) / 2),
                     text);
}

class ElementPainter {
  public:
    ElementPainter(QPainter& painter, const MapScene& scene, const MapView& view)
        : painter_(painter), scene_(scene), view_(view) {}

    // The element's points in pixels.
    const QPolygonF& polygon(const pdb::MapElement& e) {
        polygon_.resize(static_cast<qsizetype>(e.pointCount));
        const pdb::MapPoint* p = scene_.map().points.data() + e.firstPoint;
        for (std::uint32_t k = 0; k < e.pointCount; ++k)
            polygon_[k] = view_.toPixel(p[k].x, p[k].y);
        return polygon_;
    }

    void paint(std::size_t i, const PaintOptions& options) {
        const pdb::MapElement& e = scene_.element(i);
        switch (e.header.kind) {
            case pdb::kKindArea:
                return area(e);
            case pdb::kKindLine:
                return line(e);
            case pdb::kKindLabel:
                return label(i, options);
            default:
                return;
        }
    }

    void area(const pdb::MapElement& e) {
        if (e.pointCount == 0)
            return;
        use(e.header.style == kStyleBuilding ? Look::Building : Look::Area);
        painter_.drawPolygon(polygon(e));
    }

    void line(const pdb::MapElement& e) {
        if (e.pointCount == 0)
            return;
        const QPolygonF& points = polygon(e);
        switch (e.header.style) {
            case kStyleRiver:
                use(Look::River);
                break;
            case kStyleRailway:
                use(Look::RailwayBed);
                painter_.drawPolyline(points);
                use(Look::RailwayDashes);
                break;
            case kStyleBuilding:
                use(Look::BuildingLine);
                break;
            default:
                use(Look::Line);
                break;
        }
        painter_.drawPolyline(points);
    }

    void label(std::size_t i, const PaintOptions& options) {
        const pdb::MapElement& e = scene_.element(i);
        look_ = Look::None;
        painter_.setPen(kLabel);
        painter_.setFont(labelFont(options.labelPixelSize));
        centredText(painter_,
                    view_.toPixel(e.box.left + e.box.width / 2.0, e.box.top + e.box.height / 2.0),
                    QString::fromStdString(scene_.labelUtf8(i)));
    }

    // The name of an area's attribute record, when the area is large enough on screen.
    void attributeName(std::size_t i, const PaintOptions& options) {
        const pdb::FeatureAttrRec* record = scene_.recordOf(i);
        if (!record ||
            (scene_.bounds(i).right - scene_.bounds(i).left) * view_.scale < kNamedAreaPixels)
            return;
        const QString name =
            QString::fromStdString(platform::toUtf8(pdb::storedText(record->Text1)));
        if (name.isEmpty())
            return;
        look_ = Look::None;
        painter_.setPen(kAttributeName);
        painter_.setFont(labelFont(std::max(8, options.labelPixelSize - 2)));
        centredText(painter_,
                    view_.toPixel(record->TopLeftX + record->ExtentX / 2.0,
                                  record->TopLeftY + record->ExtentY / 2.0),
                    name);
    }

    void selected(std::size_t i) {
        const pdb::MapElement& e = scene_.element(i);
        look_ = Look::None;
        painter_.setPen(pen(kSelected, 3));
        painter_.setBrush(Qt::NoBrush);
        if (e.pointCount == 0) {
            painter_.drawRect(pixelRect(view_, scene_.bounds(i)));
        } else if (e.header.kind == pdb::kKindArea) {
            painter_.drawPolygon(polygon(e));
        } else {
            painter_.drawPolyline(polygon(e));
        }
    }

  private:
    // Pen and brush of each kind of feature, set only when they change: a sheet draws
    // thousands of buildings in a row.
    enum class Look { None, Building, Area, River, RailwayBed, RailwayDashes, BuildingLine, Line };
    void use(Look look) {
        if (look == look_)
            return;
        look_ = look;
        switch (look) {
            case Look::Building:
                painter_.setPen(pen(kBuildingEdge, 1));
                painter_.setBrush(kBuildingFill);
                return;
            case Look::Area:
                painter_.setPen(pen(kAreaEdge, 1));
                painter_.setBrush(kAreaFill);
                return;
            case Look::River:
                painter_.setPen(pen(kRiver, 2));
                break;
            case Look::RailwayBed:
                painter_.setPen(pen(Qt::black, 3));
                break;
            case Look::RailwayDashes: {
                QPen dashes = pen(Qt::white, 1.5);
                dashes.setDashPattern({4, 4});
                painter_.setPen(dashes);
                break;
            }
            case Look::BuildingLine:
                painter_.setPen(pen(kBuildingEdge, 1));
                break;
            case Look::Line:
            case Look::None:
                painter_.setPen(pen(kBlockLine, 1));
                break;
        }
        painter_.setBrush(Qt::NoBrush);
    }

    QPainter& painter_;
    const MapScene& scene_;
    const MapView& view_;
    QPolygonF polygon_;
    Look look_ = Look::None;
};

}  // namespace

MapView MapView::fit(const DeviceRect& rect, QSizeF pixels, double margin) {
    const double w = std::max(1.0, rect.right - rect.left),
                 h = std::max(1.0, rect.bottom - rect.top);
    MapView v;
    v.scale = std::max(
        1e-9, std::min((pixels.width() - 2 * margin) / w, (pixels.height() - 2 * margin) / h));
    v.left = (rect.left + rect.right) / 2 - pixels.width() / 2 / v.scale;
    v.top = (rect.top + rect.bottom) / 2 - pixels.height() / 2 / v.scale;
    return v;
}

MapView MapView::zoomedAbout(QPointF pixel, double factor) const {
    const QPointF device = toDevice(pixel);
    MapView v;
    v.scale = scale * factor;
    v.left = device.x() - pixel.x() / v.scale;
    v.top = device.y() - pixel.y() / v.scale;
    return v;
}

DeviceRect WholeMap(const MapScene&) {
    return kDeviceBounds;
}

std::size_t paintMap(QPainter& painter, const MapScene& scene, const MapView& view, QSizeF viewport,
                     const PaintOptions& options) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.fillRect(QRectF(QPointF(0, 0), viewport), kOutside);
    const QRectF device = pixelRect(view, kDeviceBounds);
    painter.fillRect(device, kDeviceRange);
    if (const auto& sheet = scene.sheet()) {
        const QRectF r = pixelRect(view, {sheet->left, sheet->top, sheet->right, sheet->bottom});
        painter.fillRect(r, kSheet);
        painter.setPen(pen(kSheetEdge, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r);
    }
    painter.setPen(pen(kDeviceEdge, 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(device);

    // Labels reach beyond their anchors by half their text (names of up to ten characters
    // at the label size), and line widths by a few pixels, whatever the zoom.
    const DeviceRect visible =
        view.visible(viewport).grown((5 * options.labelPixelSize + 4) / view.scale);
    std::vector<std::uint32_t> elements;
    scene.collect(visible, options.layerShown, elements);
    ElementPainter painterOf(painter, scene, view);
    for (std::uint32_t i : elements) painterOf.paint(i, options);
    if (options.attributeNames && scene.hasAttributes())
        for (std::uint32_t i : elements)
            if (scene.element(i).header.kind == pdb::kKindArea)
                painterOf.attributeName(i, options);
    if (options.selected && *options.selected < scene.size())
        painterOf.selected(*options.selected);
    painter.restore();
    return elements.size();
}

QString metresText(double metres) {
    if (metres >= 1000)
        return QString::number(metres / 1000, 'g', 6) + QStringLiteral(" km");
    return QString::number(metres, 'g', 6) + QStringLiteral(" m");
}

void paintScaleBar(QPainter& painter, double metresPerPixel, QPointF origin, double maxPixels) {
    if (!(metresPerPixel > 0) || !std::isfinite(metresPerPixel))
        return;
    const double longest = maxPixels * metresPerPixel;
    double length = std::pow(10.0, std::floor(std::log10(longest)));
    for (double step : {5.0, 2.0})
        if (length * step <= longest) {
            length *= step;
            break;
        }
    const double pixels = length / metresPerPixel;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRectF bar(origin.x(), origin.y() - 5, pixels, 5);
    painter.fillRect(bar.adjusted(-3, -18, 3, 3), QColor(255, 255, 255, 200));
    painter.fillRect(QRectF(bar.left(), bar.top(), pixels / 2, bar.height()), Qt::black);
    painter.setPen(pen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(bar);
    painter.setFont(labelFont(11));
    painter.drawText(QPointF(bar.left(), bar.top() - 4), metresText(length));
    painter.restore();
}

}  // namespace mapview
