#include "converter/shell/georef_box.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <algorithm>

#include "converter/shell/frame_boxes.h"

namespace vornik {
namespace {

QString tr8(const std::string& s) {
    return QString::fromStdString(s);
}

// The datum chosen last is the next form's first choice.
const char* kDatumKey = "georef/datum";

QLabel* label(const char* text, QWidget* buddy, QWidget* parent) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setBuddy(buddy);
    return l;
}

}  // namespace

GeorefBox::GeorefBox(sheetframe::InputKind kind, FrameBoxes* frame, platform::Prompter& prompter,
                     std::function<QString()> input, QWidget* parent)
    : QGroupBox(QString::fromUtf8("座標系（図枠の計算）"), parent),
      kind_(kind),
      frame_(frame),
      prompter_(prompter),
      input_(std::move(input)) {
    zone_ = new QComboBox(this);
    zone_->setObjectName(QStringLiteral("zoneList"));
    zone_->addItem(QString::fromUtf8("（未指定）"), 0);
    for (int z = georef::kFirstZone; z <= georef::kLastZone; ++z)
        zone_->addItem(QString::number(z) + QString::fromUtf8("（") + tr8(georef::zoneName(z)) +
                           QString::fromUtf8("）"),
                       z);
    datum_ = new QComboBox(this);
    datum_->setObjectName(QStringLiteral("datumList"));
    for (georef::Datum d : georef::kDatums)
        datum_->addItem(tr8(std::string(georef::datumName(d))), int(d));
    const QString lastDatum = QSettings().value(kDatumKey).toString();
    auto remembered = georef::parseDatum(lastDatum.toStdString());
    datum_->setCurrentIndex(
        datum_->findData(int(remembered ? *remembered : georef::Datum::Jgd2011)));
    connect(datum_, &QComboBox::currentIndexChanged, this, [this] {
        QSettings().setValue(kDatumKey, tr8(std::string(georef::datumWord(datum()))));
    });
    compute_ = new QPushButton(QString::fromUtf8("図枠を計算"), this);
    compute_->setObjectName(QStringLiteral("computeFrameButton"));
    compute_->setAutoDefault(false);

    auto* row = new QHBoxLayout(this);
    row->addWidget(label("系番号：", zone_, this));
    row->addWidget(zone_);
    row->addSpacing(8);
    row->addWidget(label("測地系：", datum_, this));
    row->addWidget(datum_);
    if (kind == sheetframe::InputKind::DigitalMapSheet) {
        unit_ = new QComboBox(this);
        unit_->setObjectName(QStringLiteral("extentUnitList"));
        unit_->addItem(QString::fromUtf8("自動判定"));
        unit_->addItem(QString::fromUtf8("メートル"), int(georef::ExtentUnit::Metres));
        unit_->addItem(QString::fromUtf8("キロメートル"), int(georef::ExtentUnit::Kilometres));
        row->addSpacing(8);
        row->addWidget(label("図郭の単位：", unit_, this));
        row->addWidget(unit_);
    }
    row->addStretch(1);
    row->addWidget(compute_);
    connect(compute_, &QPushButton::clicked, this, [this] { computeFrame(); });
}

std::optional<int> GeorefBox::zone() const {
    const int z = zone_->currentData().toInt();
    return z == 0 ? std::nullopt : std::optional<int>(z);
}

void GeorefBox::setZone(std::optional<int> zone) {
    zone_->setCurrentIndex(std::max(0, zone_->findData(zone.value_or(0))));
}

georef::Datum GeorefBox::datum() const {
    return static_cast<georef::Datum>(datum_->currentData().toInt());
}

void GeorefBox::placeInTabOrder(QWidget* previous, QWidget* next) {
    QWidget* chain[] = {previous, zone_, datum_, unit_, compute_, next};
    QWidget* last = previous;
    for (QWidget* w : chain) {
        if (!w || w == previous)
            continue;
        setTabOrder(last, w);
        last = w;
    }
}

void GeorefBox::preselectZone(const QString& dmPath) {
    const std::string path = dmPath.trimmed().toStdString();
    std::string sheetName;
    if (!georef::zoneFromDmFileName(path) && QFileInfo(dmPath.trimmed()).isFile()) {
        if (auto extent = sheetframe::readExtent(sheetframe::InputKind::DmFile, path))
            sheetName = extent->sheetName;
    }
    if (auto hint = sheetframe::dmZoneHint(path, sheetName))
        setZone(hint->zone);
}

void GeorefBox::error(const std::string& text) {
    prompter_.show(text, "", platform::Icon::Critical, platform::Buttons::Ok);
}

std::optional<georef::ExtentUnit> GeorefBox::unit() const {
    if (unit_ && unit_->currentData().isValid())
        return static_cast<georef::ExtentUnit>(unit_->currentData().toInt());
    return std::nullopt;
}

std::optional<georef::SheetFrame> GeorefBox::computed(std::string& note) {
    const std::string input = input_().trimmed().toStdString();
    const bool dm = kind_ == sheetframe::InputKind::DmFile;
    if (input.empty()) {
        error(dm ? "DMファイルを指定して下さい！" : "メッシュ番号のディレクトリを指定して下さい！");
        return std::nullopt;
    }
    auto extent = sheetframe::readExtent(kind_, input);
    if (!extent) {
        error(extent.error());
        return std::nullopt;
    }
    std::optional<int> z = zone();
    if (!z && dm) {
        if (auto hint = sheetframe::dmZoneHint(input, extent->sheetName)) {
            setZone(hint->zone);
            z = hint->zone;
            note = sheetframe::zoneHintNote(*hint) + "\n";
        }
    }
    if (!z) {
        error("座標系の系番号（1〜19）を選んで下さい。");
        zone_->setFocus(Qt::OtherFocusReason);
        return std::nullopt;
    }
    auto sheet = georef::computeSheetFrame(extent->extent, extent->source, unit(), *z, datum());
    if (!sheet) {
        error(sheet.error());
        return std::nullopt;
    }
    return std::move(*sheet);
}

bool GeorefBox::computeFrame() {
    std::string note;
    auto sheet = computed(note);
    if (!sheet)
        return false;
    for (std::size_t i = 0; i < georef::kFrameValueCount; ++i)
        frame_->box(i)->setText(QString::number(sheet->frame.values[i]));
    prompter_.show(note + sheet->summary, "", platform::Icon::Information, platform::Buttons::Ok);
    return true;
}

bool GeorefBox::confirmTypedFrame(const std::array<double, 12>& typed) {
    if (!zone() || std::all_of(typed.begin(), typed.end(), [](double v) { return v == 0; }))
        return true;
    std::string note;
    auto sheet = computed(note);
    if (!sheet)
        return false;
    const std::string warning = georef::frameWarning(typed, sheet->frame.values);
    return warning.empty() || prompter_.show(warning, "", platform::Icon::Warning,
                                             platform::Buttons::OkCancel) == platform::Answer::Ok;
}

std::optional<std::array<double, 12>> BatchFrame::of(const std::string& input,
                                                     platform::Prompter& prompter) const {
    if (anyTyped)
        return typed;
    return sheetframe::batchInputFrame(kind, input, zone, datum, unit, prompter);
}

BatchFrame batchFrame(const std::array<double, 12>& typed, const GeorefBox& box) {
    BatchFrame f;
    f.typed = typed;
    f.anyTyped = std::any_of(typed.begin(), typed.end(), [](double v) { return v != 0; });
    f.kind = box.kind();
    f.zone = box.zone();
    f.datum = box.datum();
    f.unit = box.unit();
    return f;
}

}  // namespace vornik
