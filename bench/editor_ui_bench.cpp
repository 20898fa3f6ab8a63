// The editor dialog's two busiest paths under the offscreen platform: switching pages
// of a design with objects on all eight pages, and one drag step over the preview.
// Each iteration includes the repaint it causes.
#include <QApplication>
#include <QComboBox>
#include <QTest>

#include "editor/ui/editor_dialog.h"
#include "platform/scripted_prompter.h"

namespace {

using editor::ObjectKind;

// Page p holds Cmb, Int, Real and Label objects of its own and its seven
// state-transition buttons.
void fillAllPages(lorvex::EditorDialog& dialog) {
    editor::EditingModel& model = dialog.model();
    for (int p = 0; p < 8; ++p) {
        model.selectPage(p);
        const struct {
            ObjectKind kind;
            int first, count;
        } groups[] = {{ObjectKind::Cmb, 6 * p, 6},   {ObjectKind::Int, 3 * p, 3},
                      {ObjectKind::Real, 3 * p, 3},  {ObjectKind::Str, p, 1},
                      {ObjectKind::Label, 3 * p, 3}, {ObjectKind::Btn, 0, 8}};
        for (const auto& g : groups) {
            model.selectKind(g.kind);
            for (int n = g.first; n < g.first + g.count; ++n) {
                model.selectNumber(n);
                model.setShown(true);
            }
        }
    }
    model.selectPage(0);
    dialog.designReplaced();
}

}  // namespace

class EditorUiBench : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() {
        dialog_ = new lorvex::EditorDialog(&prompter_);
        dialog_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_));
        fillAllPages(*dialog_);
        QVERIFY(prompter_.calls().empty());
    }

    void cleanupTestCase() { delete dialog_; }

    void switchPage() {
        auto* pages = dialog_->findChild<QComboBox*>(QStringLiteral("pageSelector"));
        QVERIFY(pages);
        int i = 0;
        QBENCHMARK {
            pages->setCurrentIndex(++i % 8);
            QApplication::processEvents();
        }
        QCOMPARE(dialog_->model().partCount(pages->currentIndex()),
                 5 + 6 * 3 + 3 * 2 + 3 * 2 + 2 + 3 + 7);
    }

    void dragStep() {
        auto* pages = dialog_->findChild<QComboBox*>(QStringLiteral("pageSelector"));
        pages->setCurrentIndex(0);
        // Cmb 1 at its defaults: body 20..170 × 267..292 on screen.
        dialog_->model().selectKind(ObjectKind::Cmb);
        dialog_->designReplaced();
        QWindow* window = dialog_->windowHandle();
        const QPoint start(225 + 80, 110 + 280);
        QTest::mousePress(window, Qt::LeftButton, {}, start);
        int i = 0;
        QBENCHMARK {
            QTest::mouseMove(window, start + QPoint((++i % 2) ? 5 : 0, 0));
            QApplication::processEvents();
        }
        QTest::mouseRelease(window, Qt::LeftButton, {}, start);
        QVERIFY(dialog_->model().currentSlot().labelX == 20 ||
                dialog_->model().currentSlot().labelX == 25);
    }

  private:
    platform::ScriptedPrompter prompter_;
    lorvex::EditorDialog* dialog_ = nullptr;
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    EditorUiBench bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "editor_ui_bench.moc"
