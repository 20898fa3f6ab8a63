// The "GIS データ → PDB" form driven as a user drives it: opened from the main menu, the
// bundled town typed in, a mapping file chosen, the layer list read, "作成" pressed. The
// databases are the ones the operation writes when called directly with the same choices.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "converter/ogr/ogr2pdb.h"
#include "converter/shell/select_gis_form.h"
#include "converter/shell/start_form.h"
#include "platform/file_chooser.h"
#include "platform/scripted_prompter.h"
#include "support/test_support.h"

namespace {

const std::string kSamples = std::string(KWIB_SOURCE_DIR) + "/samples/ogr";

class OneFile : public platform::FileChooser {
  public:
    std::optional<std::string> choose(const platform::FileRequest&) override { return path; }
    std::string path;
};

}  // namespace

class GisFormTest : public QObject {
    Q_OBJECT
  private slots:
    void runsFromTheMainMenu() {
        platform::ScriptedPrompter prompter;
        OneFile chooser;
        chooser.path = kSamples + "/town-map.json";
        vornik::Services services;
        services.prompter = &prompter;
        services.chooser = &chooser;
        services.today = [] { return platform::LocalDate{2001, 12, 5}; };
        testsupport::TempDir out;

        vornik::startForm menu(services);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<vornik::selectGisForm*>(QApplication::activeModalWidget());
            QVERIFY(form);
            seen = true;
            fill(form, out.path());
            if (form->isVisible())
                form->reject();  // a failed check in fill leaves it open
        });
        QTest::mouseClick(menu.ogr2pdbButton(), Qt::LeftButton);
        QVERIFY(seen && prompter.calls().size() == 3);
        QCOMPARE(prompter.texts()[0], std::string("範囲の最小東「x」は数ではありません。"));
        QCOMPARE(
            prompter.texts()[1],
            std::string("範囲の最小北は最大北より、最小東は最大東より小さくなければなりません。"));
        QCOMPARE(prompter.calls().back().title, std::string("ogr2pdb"));

        testsupport::TempDir direct;
        ogr::Ogr2PdbOptions options;
        options.input = kSamples + "/town";
        options.outDir = direct.path();
        options.zone = 9;
        options.mapping = kSamples + "/town-map.json";
        options.extent = ogr::Bounds{-6500, -35400, -6200, -35150, false};
        options.today = {2001, 12, 5};
        platform::ScriptedPrompter quiet;
        QCOMPARE(ogr::ogr2pdb(options, quiet).outcome, converter::Outcome::Done);
        for (const char* name : {"/town_G.pdb", "/town_A.pdb"})
            QVERIFY(testsupport::readBytes(out.path() + name) ==
                    testsupport::readBytes(direct.path() + name));
    }

  private:
    // The test's choices made in the form, "作成" last.
    void fill(vornik::selectGisForm* form, const std::string& out) {
        form->inputBox()->setText(QString::fromStdString(kSamples + "/town"));
        emit form->inputBox()->editingFinished();
        QCOMPARE(form->layerList()->topLevelItemCount(), 5);  // the generic mapping at first
        QTest::mouseClick(
            form->findChild<QPushButton*>(QString::fromUtf8("マッピングファイルボタン")),
            Qt::LeftButton);
        QCOMPARE(form->mappingList()->currentIndex(), 3);
        auto river = form->layerList()->findItems(QStringLiteral("river"), Qt::MatchExactly, 1);
        QCOMPARE(river.size(), 1);
        QCOMPARE(river[0]->text(4), QString::fromUtf8("面→線（河川）、線→線（河川）"));
        form->pdbFolderBox()->setText(QString::fromStdString(out));
        QCOMPARE(form->zoneList()->currentData().toInt(), 9);
        // A typed extent: a box that is not a number, then an east range the wrong way
        // round, are refused with the form kept open; the run then clips to the extent.
        form->extentCheck()->setChecked(true);
        const char* extent[4] = {"-35400", "x", "-35150", "-6200"};
        for (int i = 0; i < 4; ++i) form->extentBox(i)->setText(QString::fromUtf8(extent[i]));
        QTest::mouseClick(form->createButton(), Qt::LeftButton);
        form->extentBox(1)->setText(QStringLiteral("-6100"));
        QTest::mouseClick(form->createButton(), Qt::LeftButton);
        QVERIFY(form->isVisible());
        form->extentBox(1)->setText(QStringLiteral("-6500"));
        QTest::mouseClick(form->createButton(), Qt::LeftButton);
        QVERIFY(!form->isVisible());  // the run reached its end and closed the form
    }
};

QTEST_MAIN(GisFormTest)
#include "gis_form_test.moc"
