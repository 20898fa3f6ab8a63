#include "converter/shell/select_dir_form2.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "converter/dm/dm2pdb.h"
#include "converter/shell/batch_window.h"
#include "converter/shell/dir_picker_form.h"
#include "converter/shell/form_parts.h"
#include "converter/shell/frame_boxes.h"
#include "converter/shell/georef_box.h"
#include "converter/shell/map_view_window.h"
#include "converter/shell/vornik_help.h"
#include "platform/files.h"
#include "ui/remembered_places.h"

namespace vornik {
namespace {

QString tr8(const char* s) {
    return QString::fromUtf8(s);
}

// The remembered places of the DM file and the output folder.
const QString kDmPlace = QStringLiteral("vornik/dm-file");
const QString kPdbPlace = QStringLiteral("vornik/dm-pdb");

}  // namespace

selectDirForm2::selectDirForm2(const Services& services, QWidget* parent)
    : QDialog(parent), services_(services) {
    setWindowTitle(tr8("DMファイルの変換設定 - Vornik"));
    setModal(true);
    trackForm(this);
    addHelpKey(this, "dm");

    auto* layout = new QVBoxLayout(this);
    PathRow dm = addPathRow(this, layout, tr8("DMファイル指定："), tr8("DMディレクトリ"),
                            tr8("DMディレクトリボタン"));
    PathRow pdb = addPathRow(this, layout, tr8("PDBファイル作成ディレクトリ指定："),
                             tr8("PDBファイルディレクトリ"), tr8("PDBディレクトリボタン"));
    dmFile_ = dm.box;
    dmButton_ = dm.button;
    pdbFolder_ = pdb.box;
    pdbButton_ = pdb.button;
    batch_ = new BatchInputs(batch::Kind::DmFile, services_, this);
    layout->addWidget(batch_);
    layout->addSpacing(6);
    frame_ = new FrameBoxes(this);
    georef_ = new GeorefBox(
        sheetframe::InputKind::DmFile, frame_, *services_.prompter,
        [this] { return dmFile_->text(); }, this);
    layout->addWidget(georef_);
    layout->addWidget(frame_);
    georef_->placeInTabOrder(pdbButton_, frame_->box(0));
    allElements_ = new QCheckBox(tr8("注記・円・円弧も変換する"), this);
    layout->addWidget(allElements_);

    CreateCloseRow row = addCreateCloseRow(this, layout, tr8("作成ボタン"));
    create_ = row.create;
    close_ = row.close;

    connect(dmButton_, &QPushButton::clicked, this, &selectDirForm2::chooseDmFile);
    connect(pdbButton_, &QPushButton::clicked, this, &selectDirForm2::choosePdbFolder);
    connect(create_, &QPushButton::clicked, this, &selectDirForm2::create);
    connect(dmFile_, &QLineEdit::textChanged, georef_, &GeorefBox::preselectZone);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

void selectDirForm2::chooseDmFile() {
    platform::FileRequest request;
    request.title = "DMファイルを選択";
    request.filterName = "DMファイル";
    request.filterPattern = "*.dm *.dat";
    request.defaultExtension = "dm";
    // It opens at the file in the box, else where the last DM file was chosen.
    const QFileInfo current(dmFile_->text().trimmed());
    request.initialFolder =
        !dmFile_->text().trimmed().isEmpty() && current.absoluteDir().exists()
            ? current.absolutePath().toStdString()
            : kwibui::startFolder(kDmPlace, QString::fromStdString(services_.programFolder))
                  .toStdString();
    // A cancelled dialog leaves the box as it was.
    if (auto path = services_.chooser->choose(request)) {
        dmFile_->setText(QString::fromStdString(*path));
        rememberBox(dmFile_, kDmPlace);
    }
}

void selectDirForm2::choosePdbFolder() {
    pickFolder<pdbDirForm2>(this, pdbFolder_, kPdbPlace);
}

void selectDirForm2::create() {
    platform::Prompter& prompter = *services_.prompter;
    if (!checkFrameBoxes(*frame_, prompter))
        return;
    const std::array<double, 12> frame = frame_->read().values;
    if (!georef_->confirmTypedFrame(frame))
        return;
    const std::string outDir = pdbFolder_->text().toStdString();
    dm::GraphicOptions options;
    options.allElements = allElements_->isChecked();
    const std::vector<std::string> inputs = batch_->inputs(dmFile_->text());
    if (inputs.size() > 1) {
        const platform::LocalDate today = services_.today();
        const BatchFrame frames = batchFrame(frame, *georef_);
        auto convert = [frames, today, outDir, options](const std::string& in,
                                                        platform::Prompter& p) {
            std::optional<std::array<double, 12>> f = frames.of(in, p);
            return f && dm::dm2pdb(in, outDir, *f, today, p, options).outcome ==
                            converter::Outcome::Done;
        };
        if (runBatch(batch::Kind::DmFile, inputs, outDir, convert, services_, this))
            accept();
        return;
    }
    const std::string dmPath = inputs.empty() ? std::string() : inputs.front();
    const bool done = runGuarded(prompter, [&] {
        dm::Dm2PdbResult r =
            dm::dm2pdb(dmPath, outDir, frame, services_.today(), prompter, options);
        if (options.allElements && r.accounted)
            prompter.show(dm::accountText(std::string(platform::fileNameOf(dmPath)), r.account),
                          dm::kDmTitle, platform::Icon::Information, platform::Buttons::Ok);
        return r.outcome == converter::Outcome::Done;
    });
    if (!done)
        return;
    rememberBox(dmFile_, kDmPlace);
    rememberBox(pdbFolder_, kPdbPlace);
    accept();
    offerMapView(services_, converter::joinPath(outDir, converter::baseNameOf(dmPath) + "_G.pdb"));
}

}  // namespace vornik
