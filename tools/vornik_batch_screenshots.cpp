// vornik-batch-screenshots OUT_DIR INPUT_FOLDER PDB_FOLDER: the README's pictures of a batch
// run. Opens the Digital Map 2500 settings form with every sheet folder under INPUT_FOLDER
// listed, presses 作成 and captures, with their window frames (ImageMagick's import, so
// run it under an X server with a window manager), the form, the progress window part way
// and its summary. scripts/vornik-batch-screenshots sets the scene.
#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "converter/shell/batch_window.h"
#include "converter/shell/frame_boxes.h"
#include "converter/shell/select_dir_form.h"

namespace {

void capture(QWidget* window, const QString& file) {
    window->window()->repaint();
    QTest::qWait(300);
    QProcess::execute(QStringLiteral("import"),
                      {QStringLiteral("-frame"), QStringLiteral("-window"),
                       QString::number(window->window()->winId()), file});
    std::printf("%s\n", qPrintable(file));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: vornik-batch-screenshots OUT_DIR INPUT_FOLDER PDB_FOLDER\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    vornik::installFormFont(app);
    vornik::FormPrompter prompter;
    vornik::FormFileChooser chooser;
    vornik::Services services;
    services.prompter = &prompter;
    services.chooser = &chooser;
    services.today = [] { return platform::today(); };
    services.programFolder = argv[2];

    vornik::selectDirForm form(services, nullptr);
    form.pdbFolderBox()->setText(QString::fromLocal8Bit(argv[3]));
    auto found = batch::findInputs(batch::Kind::Sheet, {argv[2]}, true);
    if (!found) {
        std::fprintf(stderr, "%s\n", found.error().c_str());
        return 1;
    }
    form.batchInputs()->addInputs(*found);
    const QStringList frame = {"35", "40", "0",   "139", "45", "0",
                               "35", "39", "300", "139", "46", "450"};
    for (std::size_t i = 0; i < 12; ++i) form.frameBoxes()->box(i)->setText(frame[qsizetype(i)]);
    form.move(30, 30);
    form.show();
    QTest::qWait(1500);
    capture(&form, out + QStringLiteral("/vornik-batch-settings.png"));

    bool midway = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* w = qobject_cast<vornik::BatchProgressWindow*>(QApplication::activeModalWidget());
        if (!w)
            return;
        if (!midway && w->bar()->value() * 3 >= w->bar()->maximum()) {
            midway = true;
            capture(w, out + QStringLiteral("/vornik-batch-progress.png"));
        }
        if (w->finished()) {
            poll.stop();
            QTest::qWait(1500);
            capture(w, out + QStringLiteral("/vornik-batch-summary.png"));
            w->accept();
        }
    });
    poll.start(50);
    QTest::mouseClick(form.createButton(), Qt::LeftButton);
    return 0;
}
