#include "ui/map/map_render.h"

#include <QBuffer>
#include <QSvgGenerator>

#include "platform/cp932.h"
#include "platform/files.h"

namespace mapview {
namespace {

constexpr double kMarginPixels = 4;

void paintPicture(QPainter& painter, const MapScene& scene, int size, const PaintOptions& options) {
    const MapView view = WholeView(size);
    paintMap(painter, scene, view, QSizeF(size, size), options);
    if (const auto& sheet = scene.sheet())
        paintScaleBar(painter, sheet->metresPerUnit / view.scale, QPointF(12, size - 12),
                      size / 4.0);
}

}  // namespace

std::optional<PictureKind> PictureKindOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::nullopt;
    std::string ext = path.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".png")
        return PictureKind::Png;
    if (ext == ".svg")
        return PictureKind::Svg;
    return std::nullopt;
}

MapView WholeView(int size) {
    return MapView::fit(kDeviceBounds, QSizeF(size, size), kMarginPixels);
}

QImage RenderImage(const MapScene& scene, int size, const PaintOptions& options) {
    QImage image(size, size, QImage::Format_RGB32);
    QPainter painter(&image);
    paintPicture(painter, scene, size, options);
    return image;
}

QByteArray RenderPicture(const MapScene& scene, PictureKind kind, int size,
                         const PaintOptions& options) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (kind == PictureKind::Png) {
        RenderImage(scene, size, options).save(&buffer, "PNG", kPngQuality);
    } else {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(size, size));
        svg.setViewBox(QRect(0, 0, size, size));
        svg.setTitle(QString::fromStdString(platform::toUtf8(scene.map().name)));
        svg.setDescription(QStringLiteral("graphic database drawn by vornik-cli render"));
        QPainter painter(&svg);
        paintPicture(painter, scene, size, options);
        painter.end();
    }
    return bytes;
}

platform::Status RenderToFile(const MapScene& scene, const std::string& path, int size,
                              const PaintOptions& options) {
    const std::optional<PictureKind> kind = PictureKindOf(path);
    if (!kind)
        return platform::Status::failure("「" + path +
                                         "」：出力ファイルの拡張子は .png か .svg にして下さい。");
    const QByteArray bytes = RenderPicture(scene, *kind, size, options);
    if (bytes.isEmpty())
        return platform::Status::failure("「" + path + "」の画像を作れません。");
    platform::WriteError error;
    if (!platform::writeFileAtomically(path, bytes.constData(),
                                       static_cast<std::size_t>(bytes.size()), &error))
        return platform::Status::failure("「" + path + "」を書き込めません（" + error.reason +
                                         "）。");
    return {};
}

}  // namespace mapview
