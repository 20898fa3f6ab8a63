#include "converter/shell/select_gis_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "converter/georef/georef.h"
#include "converter/ogr/ogr2pdb.h"
#include "converter/shell/dir_picker_form.h"
#include "converter/shell/form_parts.h"
#include "converter/shell/frame_boxes.h"
#include "platform/text.h"

namespace vornik {
namespace {

QString tr8(const char* s) {
    return QString::fromUtf8(s);
}
QString tr8(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

const char* const kExtentNames[4] = {"最小北", "最小東", "最大北", "最大東"};

}  // namespace

selectGisForm::selectGisForm(const Services& services, QWidget* parent)
    : QDialog(parent), services_(services) {
    setWindowTitle(tr8("GIS データ → PDB"));
    setModal(true);
    trackForm(this);
    auto* layout = new QVBoxLayout(this);

    PathRow in = addPathRow(
        this, layout,
        tr8("入力（GeoPackage・シェープファイル・GeoJSON・基盤地図 GML、またはそのフォルダー）："),
        tr8("入力"), tr8("入力ファイルボタン"));
    input_ = in.box;
    inputFile_ = in.button;
    inputFolder_ = new QPushButton(tr8("フォルダー"), this);
    inputFolder_->setObjectName(tr8("入力フォルダーボタン"));
    inputFolder_->setAutoDefault(false);
    // Beside the ".." of the path row just added (its line is the layout's last item).
    static_cast<QHBoxLayout*>(layout->itemAt(layout->count() - 1)->layout())
        ->addWidget(inputFolder_);
    PathRow pdb = addPathRow(this, layout, tr8("PDBファイル作成ディレクトリ指定："),
                             tr8("PDBファイルディレクトリ"), tr8("PDBディレクトリボタン"));
    pdbFolder_ = pdb.box;
    pdbButton_ = pdb.button;

    auto* grid = new QGridLayout;
    int row = 0;
    grid->addWidget(new QLabel(tr8("平面直角座標系："), this), row, 0);
    zone_ = new QComboBox(this);
    zone_->setObjectName(tr8("系番号"));
    for (int z = georef::kFirstZone; z <= georef::kLastZone; ++z)
        zone_->addItem(tr8(georef::zoneName(z)), z);
    zone_->setCurrentIndex(8);  // 第IX系, the capital's
    datum_ = new QComboBox(this);
    datum_->setObjectName(tr8("測地系"));
    for (georef::Datum d : georef::kDatums)
        datum_->addItem(tr8(std::string(georef::datumName(d))), static_cast<int>(d));
    datum_->setCurrentIndex(2);  // JGD2011, today's
    auto* system = new QHBoxLayout;
    system->addWidget(zone_);
    system->addWidget(datum_);
    system->addStretch(1);
    grid->addLayout(system, row++, 1);

    grid->addWidget(new QLabel(tr8("マッピング："), this), row, 0);
    mapping_ = new QComboBox(this);
    mapping_->setObjectName(tr8("マッピング"));
    mapping_->addItems(
        {tr8("自動（基盤地図情報か汎用）"), tr8("基盤地図情報"), tr8("汎用"), tr8("ファイル指定")});
    mappingFile_ = new QLineEdit(this);
    mappingFile_->setObjectName(tr8("マッピングファイル"));
    mappingFile_->setAccessibleName(tr8("マッピングファイル"));
    mappingButton_ = new QPushButton(QStringLiteral(".."), this);
    mappingButton_->setObjectName(tr8("マッピングファイルボタン"));
    mappingButton_->setFixedWidth(32);
    mappingButton_->setAutoDefault(false);
    auto* mappingRow = new QHBoxLayout;
    mappingRow->addWidget(mapping_);
    mappingRow->addWidget(mappingFile_, 1);
    mappingRow->addWidget(mappingButton_);
    grid->addLayout(mappingRow, row++, 1);

    grid->addWidget(new QLabel(tr8("文字コード（シェープファイル）："), this), row, 0);
    encoding_ = new QComboBox(this);
    encoding_->setObjectName(tr8("文字コード"));
    encoding_->addItems(
        {tr8("ファイルの指定（.cpg）どおり"), QStringLiteral("CP932"), QStringLiteral("UTF-8")});
    grid->addWidget(encoding_, row++, 1, Qt::AlignLeft);

    extentOn_ = new QCheckBox(tr8("範囲を指定する（m）："), this);
    extentOn_->setObjectName(tr8("範囲指定"));
    grid->addWidget(extentOn_, row, 0);
    auto* extentRow = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        extent_[i] = new QLineEdit(this);
        extent_[i]->setObjectName(tr8(kExtentNames[i]));
        extent_[i]->setAccessibleName(tr8(kExtentNames[i]));
        extent_[i]->setPlaceholderText(tr8(kExtentNames[i]));
        extent_[i]->setEnabled(false);
        extentRow->addWidget(extent_[i]);
    }
    grid->addLayout(extentRow, row++, 1);
    layout->addLayout(grid);

    autoFrame_ = new QCheckBox(tr8("図枠を範囲から計算する"), this);
    autoFrame_->setObjectName(tr8("図枠自動"));
    autoFrame_->setChecked(true);
    layout->addWidget(autoFrame_);
    frame_ = new FrameBoxes(this);
    frame_->setEnabled(false);
    layout->addWidget(frame_);

    layout->addWidget(new QLabel(tr8("レイヤー一覧："), this));
    layers_ = new QTreeWidget(this);
    layers_->setObjectName(tr8("レイヤー一覧"));
    layers_->setRootIsDecorated(false);
    layers_->setHeaderLabels(
        {tr8("ファイル"), tr8("レイヤー"), tr8("図形"), tr8("地物数"), tr8("変換先")});
    layers_->setMinimumHeight(140);
    layers_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(layers_, 1);

    CreateCloseRow buttons = addCreateCloseRow(this, layout, tr8("作成ボタン"));
    create_ = buttons.create;
    close_ = buttons.close;

    connect(inputFile_, &QPushButton::clicked, this, &selectGisForm::chooseInputFile);
    connect(inputFolder_, &QPushButton::clicked, this, &selectGisForm::chooseInputFolder);
    connect(pdbButton_, &QPushButton::clicked, this, &selectGisForm::choosePdbFolder);
    connect(mappingButton_, &QPushButton::clicked, this, &selectGisForm::chooseMappingFile);
    connect(input_, &QLineEdit::editingFinished, this, &selectGisForm::refreshLayers);
    connect(mappingFile_, &QLineEdit::editingFinished, this, &selectGisForm::refreshLayers);
    connect(mapping_, &QComboBox::currentIndexChanged, this, &selectGisForm::refreshLayers);
    connect(encoding_, &QComboBox::currentIndexChanged, this, &selectGisForm::refreshLayers);
    connect(extentOn_, &QCheckBox::toggled, this, [this](bool on) {
        for (QLineEdit* box : extent_) box->setEnabled(on);
    });
    connect(autoFrame_, &QCheckBox::toggled, frame_, [this](bool on) { frame_->setEnabled(!on); });
    connect(create_, &QPushButton::clicked, this, &selectGisForm::create);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

std::string selectGisForm::mappingWord() const {
    switch (mapping_->currentIndex()) {
        case 1:
            return "basemap";
        case 2:
            return "generic";
        case 3:
            return mappingFile_->text().toStdString();
        default:
            return {};
    }
}

std::string selectGisForm::encodingWord() const {
    return encoding_->currentIndex() == 0 ? std::string() : encoding_->currentText().toStdString();
}

void selectGisForm::refreshLayers() {
    layers_->clear();
    const std::string input = input_->text().toStdString();
    if (input.empty() || (mapping_->currentIndex() == 3 && mappingFile_->text().isEmpty()))
        return;
    auto plan = ogr::planInput(input, encodingWord(), mappingWord());
    if (!plan) {
        auto* item = new QTreeWidgetItem(layers_, {tr8(plan.error())});
        item->setFirstColumnSpanned(true);
        return;
    }
    for (const ogr::LayerPlan& l : plan->layers)
        new QTreeWidgetItem(layers_, {tr8(l.info.file), tr8(l.info.name), tr8(l.info.geometryType),
                                      QString::number(l.info.featureCount), tr8(l.becomes)});
}

void selectGisForm::chooseInputFile() {
    platform::FileRequest request;
    request.title = "GIS データを選択";
    request.filterName = "GISデータ";
    request.filterPattern = "*.gpkg *.shp *.geojson *.json *.gml *.xml";
    request.initialFolder = services_.programFolder;
    if (auto path = services_.chooser->choose(request)) {
        input_->setText(QString::fromStdString(*path));
        refreshLayers();
    }
}

void selectGisForm::chooseInputFolder() {
    DirPickerForm picker(tr8("入力フォルダー指定"), tr8("入力フォルダー"), input_->text(), this);
    if (picker.exec() == QDialog::Accepted) {
        input_->setText(picker.chosenPath());
        refreshLayers();
    }
}

void selectGisForm::choosePdbFolder() {
    DirPickerForm picker(tr8("PDBファイル作成ディレクトリ指定"), tr8("PDBファイルディレクトリ"),
                         pdbFolder_->text(), this);
    if (picker.exec() == QDialog::Accepted)
        pdbFolder_->setText(picker.chosenPath());
}

void selectGisForm::chooseMappingFile() {
    platform::FileRequest request;
    request.title = "マッピングファイルを選択";
    request.filterName = "JSON";
    request.filterPattern = "*.json";
    request.defaultExtension = "json";
    request.initialFolder = services_.programFolder;
    if (auto path = services_.chooser->choose(request)) {
        mappingFile_->setText(QString::fromStdString(*path));
        mapping_->setCurrentIndex(3);
        refreshLayers();
    }
}

void selectGisForm::create() {
    platform::Prompter& prompter = *services_.prompter;
    ogr::Ogr2PdbOptions options;
    options.input = input_->text().toStdString();
    options.outDir = pdbFolder_->text().toStdString();
    options.zone = zone_->currentData().toInt();
    options.datum = static_cast<georef::Datum>(datum_->currentData().toInt());
    options.mapping = mappingWord();
    options.encoding = encodingWord();
    options.today = services_.today();
    if (mapping_->currentIndex() == 3 && options.mapping.empty()) {
        prompter.show("マッピングファイルを指定して下さい！", "", platform::Icon::Critical,
                      platform::Buttons::Ok);
        mappingFile_->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (extentOn_->isChecked()) {
        double v[4];
        for (int i = 0; i < 4; ++i) {
            const std::string text = extent_[i]->text().trimmed().toStdString();
            auto n = platform::parseNumber<double>(text);
            if (n.status != platform::NumberStatus::Ok) {
                prompter.show(std::string("範囲の") + kExtentNames[i] + "「" + text +
                                  "」は数ではありません。",
                              "", platform::Icon::Critical, platform::Buttons::Ok);
                extent_[i]->setFocus(Qt::OtherFocusReason);
                extent_[i]->selectAll();
                return;
            }
            v[i] = n.value;
        }
        if (!(v[0] < v[2]) || !(v[1] < v[3])) {
            prompter.show("範囲の最小北は最大北より、最小東は最大東より小さくなければなりません。",
                          "", platform::Icon::Critical, platform::Buttons::Ok);
            extent_[0]->setFocus(Qt::OtherFocusReason);
            return;
        }
        ogr::Bounds b;
        b.minNorth = v[0];
        b.minEast = v[1];
        b.maxNorth = v[2];
        b.maxEast = v[3];
        b.empty = false;
        options.extent = b;
    }
    if (!autoFrame_->isChecked()) {
        if (!checkFrameBoxes(*frame_, prompter))
            return;
        options.frame = frame_->read().values;
    }
    const bool done = runGuarded(prompter, [&] {
        return ogr::ogr2pdb(options, prompter).outcome == converter::Outcome::Done;
    });
    if (done)
        accept();
}

}  // namespace vornik
