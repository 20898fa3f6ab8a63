#include "converter/shell/select_dir_form.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "converter/digitalmap/digital_map.h"
#include "converter/shell/batch_window.h"
#include "converter/shell/dir_picker_form.h"
#include "converter/shell/form_parts.h"
#include "converter/shell/frame_boxes.h"
#include "converter/shell/georef_box.h"
#include "converter/shell/map_view_window.h"
#include "converter/shell/vornik_help.h"

namespace vornik {
namespace {

QString tr8(const char* s) {
    return QString::fromUtf8(s);
}

// The remembered places of the two folder boxes.
const QString kSheetPlace = QStringLiteral("vornik/nsdi-sheet");
const QString kPdbPlace = QStringLiteral("vornik/nsdi-pdb");

}  // namespace

selectDirForm::selectDirForm(const Services& services, QWidget* parent)
    : QDialog(parent), services_(services) {
    setWindowTitle(tr8("数値地図2500の変換設定 - Vornik"));
    setModal(true);
    trackForm(this);
    addHelpKey(this, "nsdi");

    auto* layout = new QVBoxLayout(this);
    PathRow sheet = addPathRow(this, layout, tr8("数値地図ディレクトリ指定："),
                               tr8("数値地図ディレクトリ"), tr8("NSDIディレクトリ指定ボタン"));
    PathRow pdb = addPathRow(this, layout, tr8("PDBファイル作成ディレクトリ指定："),
                             tr8("PDBファイルディレクトリ"), tr8("PDBディレクトリ指定ボタン"));
    sheetFolder_ = sheet.box;
    sheetButton_ = sheet.button;
    pdbFolder_ = pdb.box;
    pdbButton_ = pdb.button;
    batch_ = new BatchInputs(batch::Kind::Sheet, services_, this);
    layout->addWidget(batch_);
    layout->addSpacing(6);
    frame_ = new FrameBoxes(this);
    georef_ = new GeorefBox(
        sheetframe::InputKind::DigitalMapSheet, frame_, *services_.prompter,
        [this] { return sheetFolder_->text(); }, this);
    layout->addWidget(georef_);
    layout->addWidget(frame_);
    georef_->placeInTabOrder(pdbButton_, frame_->box(0));

    CreateCloseRow row = addCreateCloseRow(this, layout, tr8("決定ボタン"));
    create_ = row.create;
    close_ = row.close;

    connect(sheetButton_, &QPushButton::clicked, this, &selectDirForm::chooseSheetFolder);
    connect(pdbButton_, &QPushButton::clicked, this, &selectDirForm::choosePdbFolder);
    connect(create_, &QPushButton::clicked, this, &selectDirForm::create);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

void selectDirForm::chooseSheetFolder() {
    pickFolder<nsdiDialogForm>(this, sheetFolder_, kSheetPlace);
}

void selectDirForm::choosePdbFolder() {
    pickFolder<pdbDirForm>(this, pdbFolder_, kPdbPlace);
}

void selectDirForm::create() {
    platform::Prompter& prompter = *services_.prompter;
    if (!checkFrameBoxes(*frame_, prompter))
        return;
    const std::array<double, 12> frame = frame_->read().values;
    if (!georef_->confirmTypedFrame(frame))
        return;
    const std::string outDir = pdbFolder_->text().toStdString();
    const std::vector<std::string> inputs = batch_->inputs(sheetFolder_->text());
    if (inputs.size() > 1) {
        const platform::LocalDate today = services_.today();
        const BatchFrame frames = batchFrame(frame, *georef_);
        auto convert = [frames, today, outDir](const std::string& in, platform::Prompter& p) {
            std::optional<std::array<double, 12>> f = frames.of(in, p);
            return f && digitalmap::CreateFromDigitalMap(in, outDir, *f, today, p);
        };
        if (runBatch(batch::Kind::Sheet, inputs, outDir, convert, services_, this))
            accept();
        return;
    }
    const std::string sheetDir = inputs.empty() ? std::string() : inputs.front();
    const bool done = runGuarded(prompter, [&] {
        return digitalmap::CreateFromDigitalMap(sheetDir, outDir, frame, services_.today(),
                                                prompter);
    });
    if (!done)
        return;
    rememberBox(sheetFolder_, kSheetPlace);
    rememberBox(pdbFolder_, kPdbPlace);
    accept();
    offerMapView(services_, digitalmap::MakeSheetPaths(sheetDir, outDir).graphicDb);
}

}  // namespace vornik
