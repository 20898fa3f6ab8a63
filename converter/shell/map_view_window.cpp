#include "converter/shell/map_view_window.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdio>

#include "converter/shell/map_canvas.h"
#include "pdbformat/feature_attr_rec.h"
#include "pdbformat/graphic_map.h"
#include "platform/cp932.h"
#include "platform/files.h"
#include "ui/map/map_scene.h"

namespace vornik {
namespace {

QString u8(const std::string& s) {
    return QString::fromStdString(s);
}

std::string number(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string fileName(const std::string& path) {
    return std::string(platform::fileNameOf(path));
}

// The attribute database written beside a graphic one: "X_G.pdb" → "X_A.pdb".
std::optional<std::string> attributePathBeside(const std::string& graphicPath) {
    const std::string name = fileName(graphicPath);
    if (name.size() < 6)
        return std::nullopt;
    std::string tail = name.substr(name.size() - 6);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (tail != "_g.pdb")
        return std::nullopt;
    std::string path = graphicPath;
    char& letter = path[path.size() - 5];
    letter = letter == 'g' ? 'a' : 'A';
    return path;
}

// Reads the attribute database beside the graphic one into the scene; says what became of it.
std::string attachAttributesBeside(mapview::MapScene& scene, const std::string& graphicPath) {
    const std::optional<std::string> path = attributePathBeside(graphicPath);
    if (!path)
        return "属性PDB：ファイル名が _G.pdb で終わらないため探していません。";
    if (!platform::fileExists(*path))
        return "属性PDB：" + fileName(*path) + " はありません。";
    platform::Result<platform::FileContents> bytes = platform::readFile(*path);
    if (!bytes)
        return "属性PDB：「" + *path + "」を読めません（" + bytes.error() + "）。";
    pdb::FeatureAttrRecords read = pdb::readFeatureAttrRecords(bytes->asBytes(), *path);
    if (read.problem)
        return "属性PDB：" + *read.problem;
    scene.attachAttributes(*path, std::move(read.records));
    const pdb::AreaAttributeLinks& links = *scene.links();
    if (!links.problem.empty())
        return "属性PDB " + fileName(*path) + "：" + links.problem +
               "どの属性レコードがどの面のものか決められません。";
    return "属性PDB " + fileName(*path) + "：" + std::to_string(links.recordCount) + " 件（面 " +
           std::to_string(links.areaCount) + " 件と対応）";
}

std::string mapSummary(const mapview::MapScene& scene, const std::string& attributeNote) {
    const pdb::GraphicMap& map = scene.map();
    std::string text = platform::toUtf8(map.name) + "（" + pdb::GraphicMakerName(map.maker) +
                       " の変換）\n要素 " + std::to_string(map.elements.size()) + " 件、レコード " +
                       std::to_string(map.recordCount) + " 件\n";
    for (const std::string& line : pdb::FrameCornerLines(map.frame)) text += line + "\n";
    if (const auto& sheet = scene.sheet())
        text += "図郭 東西 " + number(sheet->metresEast, 1) + " m × 南北 " +
                number(sheet->metresNorth, 1) + " m（" + sheet->unitNote + "）\n";
    else
        text += "図郭の大きさが図枠ヘッダーにありません（縮尺は出せません）。\n";
    return text + attributeNote;
}

std::string describeRecord(const pdb::FeatureAttrRec& r, std::size_t index, std::size_t count) {
    return "属性レコード " + std::to_string(index + 1) + " / " + std::to_string(count) + "\nID " +
           std::to_string(r.ID) + "\n名称 " + platform::toUtf8(pdb::storedText(r.Text1)) +
           "\n位置 X " + std::to_string(r.X) + "・Y " + std::to_string(r.Y) + "\n範囲 左上 (" +
           std::to_string(r.TopLeftX) + ", " + std::to_string(r.TopLeftY) + ") 大きさ " +
           std::to_string(r.ExtentX) + " × " + std::to_string(r.ExtentY);
}

std::string describeElement(const mapview::MapScene& scene, std::size_t i,
                            const std::string& attributeNote) {
    const pdb::MapElement& e = scene.element(i);
    const pdb::ElementHeader& h = e.header;
    std::string text = mapview::KindName(h.kind) + "（種類 " + std::to_string(h.kind) +
                       "）\n分類 " + std::to_string(h.elementClass) + "\nスタイルコード " +
                       std::to_string(h.style) + "\n通し番号 " + std::to_string(h.serial) +
                       "\n外接矩形 左 " + std::to_string(e.box.left) + "・上 " +
                       std::to_string(e.box.top) + "・幅 " + std::to_string(e.box.width) +
                       "・高さ " + std::to_string(e.box.height) + "\n";
    if (h.kind == pdb::kKindLabel)
        text += "名称 " + scene.labelUtf8(i) + "\n";
    else
        text += "点数 " + std::to_string(e.pointCount) + "\n";
    text += "ファイル上の位置 " + std::to_string(e.fileOffset) + "（ストリームの " +
            std::to_string(e.streamOffset) + " バイト目）\n";
    if (h.kind != pdb::kKindArea)
        return text;
    text += "\n";
    if (const pdb::FeatureAttrRec* record = scene.recordOf(i)) {
        const std::size_t index = *scene.links()->recordOfElement[i];
        return text + describeRecord(*record, index, scene.records().size());
    }
    return text + attributeNote;
}

QPushButton* toolButton(QWidget* parent, QHBoxLayout* row, const char* caption, const char* name) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

}  // namespace

MapViewWindow::MapViewWindow(const Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services) {
    setWindowTitle(QString::fromUtf8(kMapViewTitle));
    setObjectName(QStringLiteral("mapViewWindow"));
    setAcceptDrops(true);
    trackForm(this);

    auto* layout = new QVBoxLayout(this);
    auto* tools = new QHBoxLayout;
    open_ = toolButton(this, tools, "開く…", "openButton");
    fit_ = toolButton(this, tools, "全体表示", "fitButton");
    zoomIn_ = toolButton(this, tools, "＋", "zoomInButton");
    zoomOut_ = toolButton(this, tools, "－", "zoomOutButton");
    fileName_ = new QLabel(this);
    fileName_->setObjectName(QStringLiteral("fileName"));
    tools->addWidget(fileName_, 1);
    layout->addLayout(tools);

    auto* splitter = new QSplitter(this);
    canvas_ = new MapCanvas(splitter);
    auto* panel = new QWidget;
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    mapInfo_ = new QLabel(panel);
    mapInfo_->setObjectName(QStringLiteral("mapInfo"));
    mapInfo_->setWordWrap(true);
    mapInfo_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    mapInfo_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    panelLayout->addWidget(mapInfo_);
    auto* layers = new QGroupBox(QString::fromUtf8("レイヤー"), panel);
    layersLayout_ = new QVBoxLayout(layers);
    attributeNames_ = new QCheckBox(QString::fromUtf8("属性の名称"), layers);
    attributeNames_->setObjectName(QStringLiteral("attributeNames"));
    attributeNames_->setVisible(false);
    layersLayout_->addWidget(attributeNames_);
    panelLayout->addWidget(layers);
    auto* elementBox = new QGroupBox(QString::fromUtf8("選んだ要素"), panel);
    auto* elementLayout = new QVBoxLayout(elementBox);
    elementInfo_ = new QPlainTextEdit(elementBox);
    elementInfo_->setObjectName(QStringLiteral("elementInfo"));
    elementInfo_->setReadOnly(true);
    elementInfo_->setPlaceholderText(QString::fromUtf8("地図上の要素をクリックして下さい。"));
    elementLayout->addWidget(elementInfo_);
    panelLayout->addWidget(elementBox, 1);
    panel->setMinimumWidth(300);
    splitter->addWidget(canvas_);
    splitter->addWidget(panel);
    splitter->setStretchFactor(0, 1);
    layout->addWidget(splitter, 1);
    pointerInfo_ = new QLabel(this);
    pointerInfo_->setObjectName(QStringLiteral("pointerInfo"));
    layout->addWidget(pointerInfo_);
    resize(1100, 760);

    connect(open_, &QPushButton::clicked, this, &MapViewWindow::chooseFile);
    connect(fit_, &QPushButton::clicked, canvas_, &MapCanvas::fit);
    connect(zoomIn_, &QPushButton::clicked, this, [this] { canvas_->zoom(MapCanvas::kZoomStep); });
    connect(zoomOut_, &QPushButton::clicked, this,
            [this] { canvas_->zoom(1 / MapCanvas::kZoomStep); });
    connect(canvas_, &MapCanvas::elementClicked, this, &MapViewWindow::showElement);
    connect(canvas_, &MapCanvas::pointerMoved, this, [this](QPointF device, double metres) {
        std::string text = "x " + number(device.x(), 0) + "・y " + number(device.y(), 0);
        if (metres > 0)
            text += "（1 ピクセル ＝ " + number(metres, metres < 1 ? 3 : 1) + " m）";
        pointerInfo_->setText(u8(text));
    });
    connect(attributeNames_, &QCheckBox::toggled, this, [this](bool on) {
        canvas_->options().attributeNames = on;
        canvas_->update();
    });
}

MapViewWindow::~MapViewWindow() = default;

bool MapViewWindow::openFile(const std::string& path) {
    platform::Result<pdb::GraphicMap> map = pdb::ReadGraphicMap(path);
    if (!map) {
        services_.prompter->show(map.error(), kMapViewTitle, platform::Icon::Critical,
                                 platform::Buttons::Ok);
        return false;
    }
    auto scene = std::make_shared<mapview::MapScene>(std::move(*map));
    attributeNote_ = attachAttributesBeside(*scene, path);
    scene_ = scene;
    path_ = path;
    canvas_->setScene(scene_);
    setWindowTitle(u8(std::string(kMapViewTitle) + " - " + fileName(path)));
    fileName_->setText(u8(path));
    mapInfo_->setText(u8(mapSummary(*scene_, attributeNote_)));
    elementInfo_->clear();
    rebuildLayers();
    return true;
}

void MapViewWindow::rebuildLayers() {
    for (QCheckBox* box : layerBoxes_) delete box;
    layerBoxes_.clear();
    const auto& layers = scene_->layers();
    for (std::size_t i = 0; i < layers.size(); ++i) {
        auto* box =
            new QCheckBox(u8(layers[i].name + " " + std::to_string(layers[i].count) + " 件"), this);
        box->setChecked(true);
        layersLayout_->insertWidget(static_cast<int>(i), box);
        connect(box, &QCheckBox::toggled, this, [this, i](bool on) {
            canvas_->options().layerShown[i] = on;
            canvas_->update();
        });
        layerBoxes_.push_back(box);
    }
    const bool named = scene_->hasAttributes() && scene_->links()->problem.empty();
    attributeNames_->setVisible(named);
    attributeNames_->setChecked(named);
    canvas_->options().attributeNames = named;
}

void MapViewWindow::showElement(std::optional<std::size_t> element) {
    if (!element || !scene_) {
        elementInfo_->clear();
        return;
    }
    elementInfo_->setPlainText(u8(describeElement(*scene_, *element, attributeNote_)));
}

void MapViewWindow::chooseFile() {
    platform::FileRequest request;
    request.title = "図形PDBファイルを開く";
    request.filterName = "図形PDBﾌｧｲﾙ";
    request.filterPattern = "*.pdb";
    request.defaultExtension = "pdb";
    request.initialFolder = path_.empty() ? services_.programFolder
                                          : std::string(path_, 0, path_.find_last_of('/') + 1);
    std::optional<std::string> chosen = services_.chooser->choose(request);
    if (chosen)
        openFile(*chosen);
}

void MapViewWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.first().isLocalFile())
        event->acceptProposedAction();
}

void MapViewWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    openFile(urls.first().toLocalFile().toStdString());
}

MapViewWindow* showMapView(const Services& services, const std::string& path) {
    static QPointer<MapViewWindow> viewer;
    if (!viewer) {
        viewer = new MapViewWindow(services);
        viewer->setAttribute(Qt::WA_DeleteOnClose);
    }
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    if (!path.empty())
        viewer->openFile(path);
    return viewer;
}

void offerMapView(const Services& services, const std::string& graphicPath) {
    if (!services.openMapView || !platform::fileExists(graphicPath))
        return;
    const platform::Answer answer = services.prompter->show(
        "作成した図形PDB「" + fileName(graphicPath) + "」を地図表示で開きますか？", kAppTitle,
        platform::Icon::Question, platform::Buttons::YesNo);
    if (answer == platform::Answer::Yes)
        services.openMapView(graphicPath);
}

}  // namespace vornik
