#include "converter/shell/select_dir_form2.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "converter/dm/dm2pdb.h"
#include "converter/shell/batch_window.h"
#include "converter/shell/dir_picker_form.h"
#include "converter/shell/form_parts.h"
#include "converter/shell/frame_boxes.h"

namespace vornik {
namespace {

QString tr8(const char* s) {
    return QString::fromUtf8(s);
}

}  // namespace

selectDirForm2::selectDirForm2(const Services& services, QWidget* parent)
    : QDialog(parent), services_(services) {
    setWindowTitle(tr8("ディレクトリ指定"));
    setModal(true);
    trackForm(this);

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
    layout->addWidget(frame_);

    CreateCloseRow row = addCreateCloseRow(this, layout, tr8("作成ボタン"));
    create_ = row.create;
    close_ = row.close;

    connect(dmButton_, &QPushButton::clicked, this, &selectDirForm2::chooseDmFile);
    connect(pdbButton_, &QPushButton::clicked, this, &selectDirForm2::choosePdbFolder);
    connect(create_, &QPushButton::clicked, this, &selectDirForm2::create);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

void selectDirForm2::chooseDmFile() {
    platform::FileRequest request;
    request.title = "DMファイルを選択";
    request.filterName = "DAT";
    request.filterPattern = "*.dat";
    request.defaultExtension = "DAT";
    request.initialFolder = services_.programFolder;
    request.save = true;
    // A cancelled dialog leaves the box as it was.
    if (auto path = services_.chooser->choose(request))
        dmFile_->setText(QString::fromStdString(*path));
}

void selectDirForm2::choosePdbFolder() {
    pdbDirForm2 picker(pdbFolder_->text(), this);
    if (picker.exec() == QDialog::Accepted)
        pdbFolder_->setText(picker.chosenPath());
}

void selectDirForm2::create() {
    platform::Prompter& prompter = *services_.prompter;
    if (!checkFrameBoxes(*frame_, prompter))
        return;
    const std::array<double, 12> frame = frame_->read().values;
    const std::string outDir = pdbFolder_->text().toStdString();
    const std::vector<std::string> inputs = batch_->inputs(dmFile_->text());
    if (inputs.size() > 1) {
        const platform::LocalDate today = services_.today();
        auto convert = [frame, today, outDir](const std::string& in, platform::Prompter& p) {
            return dm::dm2pdb(in, outDir, frame, today, p).outcome == converter::Outcome::Done;
        };
        if (runBatch(batch::Kind::DmFile, inputs, outDir, convert, services_, this))
            accept();
        return;
    }
    const std::string dmPath = inputs.empty() ? std::string() : inputs.front();
    const bool done = runGuarded(prompter, [&] {
        return dm::dm2pdb(dmPath, outDir, frame, services_.today(), prompter).outcome ==
               converter::Outcome::Done;
    });
    if (done)
        accept();
}

}  // namespace vornik
