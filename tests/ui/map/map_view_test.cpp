// Drawing and viewing a graphic database: which attribute record belongs to which area,
// the pixels of a rendered picture, and the viewer window driven as a user drives it.
// The database is tests/cases/vornik/render/tiny.dm converted: a 400 m × 300 m sheet with
// one building (east 100–300 m, north 100–200 m: device x −16000…16000, y −8000…8000)
// and a railway from its south-west corner to its north-east corner.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "converter/dm/dm2pdb.h"
#include "converter/shell/map_canvas.h"
#include "converter/shell/map_view_window.h"
#include "converter/shell/start_form.h"
#include "pdbformat/graphic_attrs.h"
#include "platform/scripted_prompter.h"
#include "support/test_support.h"
#include "ui/map/map_render.h"

Q_DECLARE_METATYPE(std::vector<pdb::ElementHeader>)
Q_DECLARE_METATYPE(std::vector<int>)

namespace {

QString u8(const std::string& s) {
    return QString::fromStdString(s);
}

pdb::ElementHeader area(std::uint8_t elementClass, std::int16_t serial) {
    return {pdb::kKindArea, elementClass, 0, 32, serial};
}
const pdb::ElementHeader kFrame{pdb::kKindFrame, 1, 10, 0, 0};
const pdb::ElementHeader kLabel{pdb::kKindLabel, 1, 0, 0, 0};
const pdb::ElementHeader kDmLine{pdb::kKindLine, 23, 0, 80, 0};

}  // namespace

class MapViewTest : public QObject {
    Q_OBJECT

    testsupport::TempDir dir_;
    std::string graphic_, attributes_;
    platform::ScriptedPrompter prompter_;
    platform::ScriptedFileChooser chooser_;

    vornik::Services services() {
        vornik::Services s;
        s.prompter = &prompter_;
        s.chooser = &chooser_;
        s.today = [] { return platform::LocalDate{2026, 12, 7}; };
        s.quit = [] {};
        return s;
    }

    // Clicks the canvas where a device point is shown.
    static void clickAt(vornik::MapCanvas* canvas, double x, double y) {
        QTest::mouseClick(canvas, Qt::LeftButton, {}, canvas->view().toPixel(x, y).toPoint());
    }

  private slots:
    void initTestCase() {
        const std::string dm = dir_.file("tiny.dm");
        testsupport::writeBytes(dm, testsupport::readBytes(std::string(KWIB_TESTS_DIR) +
                                                           "/cases/vornik/render/tiny.dm"));
        platform::ScriptedPrompter quiet;
        const std::array<double, 12> frame{35, 40, 123, 139, 45, 6, 35, 39, 301, 139, 46, 457};
        QVERIFY(dm::dm2pdb(dm, dir_.path(), frame, {2026, 12, 7}, quiet).outcome ==
                converter::Outcome::Done);
        graphic_ = dir_.file("tiny_G.pdb");
        attributes_ = dir_.file("tiny_A.pdb");
    }

    // Records link by serial number after a Digital Map 2500 conversion (a dropped building
    // leaves its serial unused) and by order after a DM conversion; counts that disagree
    // link nothing and say why.
    void links_data() {
        QTest::addColumn<std::vector<pdb::ElementHeader>>("elements");
        QTest::addColumn<int>("records");
        QTest::addColumn<std::vector<int>>("recordOf");  // per element, -1 for none
        QTest::addColumn<QString>("problem");
        const std::vector<pdb::ElementHeader> sheet{kFrame, area(1, 1), area(1, 3), kLabel};
        QTest::newRow("sheet, serial 2 dropped")
            << sheet << 3 << std::vector<int>{-1, 0, 2, -1} << QString();
        QTest::newRow("sheet, a record left over")
            << sheet << 4 << std::vector<int>{-1, -1, -1, -1}
            << u8("属性レコードが 4 件、建物（面要素の通し番号の最大）が 3 件で、数が合いません。");
        QTest::newRow("sheet, a serial twice")
            << std::vector<pdb::ElementHeader>{kFrame, area(1, 1), area(1, 1), kLabel} << 1
            << std::vector<int>{-1, -1, -1, -1}
            << u8("面要素の通し番号が 1 から順に並んでいません（2 番目の面要素）。");
        // The first area has the smallest DM class, 10.
        const std::vector<pdb::ElementHeader> dm{kFrame, area(10, 0), kDmLine, area(30, 0)};
        QTest::newRow("DM, k-th area") << dm << 2 << std::vector<int>{-1, 0, -1, 1} << QString();
        QTest::newRow("DM, a record missing")
            << dm << 1 << std::vector<int>{-1, -1, -1, -1}
            << u8("属性レコードが 1 件、面要素が 2 件で、数が合いません。");
    }
    void links() {
        QFETCH(std::vector<pdb::ElementHeader>, elements);
        QFETCH(int, records);
        QFETCH(std::vector<int>, recordOf);
        QFETCH(QString, problem);
        const pdb::AreaAttributeLinks links =
            pdb::LinkAreasToAttributes(elements, static_cast<std::size_t>(records));
        QCOMPARE(u8(links.problem), problem);
        std::vector<int> got;
        for (const auto& r : links.recordOfElement) got.push_back(r ? int(*r) : -1);
        QCOMPARE(got, recordOf);
    }

    // A click hits the inside of an area (not the rest of its box), a line within the
    // tolerance of a segment (not beyond its end), a label's box; hidden layers are not hit.
    void hitTest_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("tolerance");
        QTest::addColumn<bool>("areasShown");
        QTest::addColumn<int>("hit");
        QTest::newRow("inside the triangle") << 300.0 << 300.0 << 1.0 << true << 1;
        QTest::newRow("its box, outside it") << 800.0 << 800.0 << 1.0 << true << -1;
        QTest::newRow("areas hidden") << 300.0 << 300.0 << 1.0 << false << -1;
        QTest::newRow("28 units off the line") << 2500.0 << 540.0 << 30.0 << true << 2;
        QTest::newRow("beyond the tolerance") << 2500.0 << 540.0 << 20.0 << true << -1;
        QTest::newRow("past the line's end") << 3100.0 << 1000.0 << 50.0 << true << -1;
        QTest::newRow("in the label's box") << 5100.0 << 5050.0 << 0.0 << true << 3;
    }
    void hitTest() {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(double, tolerance);
        QFETCH(bool, areasShown);
        QFETCH(int, hit);
        pdb::GraphicMap map;
        map.points = {{100, 100}, {100, 1100}, {1100, 100}, {100, 100}, {2000, 0}, {3000, 1000}};
        map.elements.resize(4);
        map.elements[0].header = kFrame;
        map.elements[1].header = area(1, 1);
        map.elements[1].pointCount = 4;
        map.elements[2].header = kDmLine;
        map.elements[2].firstPoint = 4;
        map.elements[2].pointCount = 2;
        map.elements[3].header = kLabel;
        map.elements[3].box = {5000, 5000, 200, 100};
        const mapview::MapScene scene(std::move(map));
        QCOMPARE(scene.layers().size(), std::size_t(3));  // areas, lines, labels
        const std::optional<std::size_t> found =
            scene.hitTest(x, y, tolerance, {areasShown, true, true});
        QCOMPARE(found ? int(*found) : -1, hit);
    }

    // The building's interior is filled, the sheet around it white, the device range
    // outside the sheet its own shade; y grows downward (the railway climbs to the east).
    void pngPixels() {
        auto map = pdb::ReadGraphicMap(graphic_);
        QVERIFY2(map, map ? "" : map.error().c_str());
        const mapview::MapScene scene(std::move(*map));
        const QByteArray png =
            mapview::RenderPicture(scene, mapview::PictureKind::Png, 256, mapview::PaintOptions{});
        QImage image;
        QVERIFY(image.loadFromData(png, "PNG"));
        QCOMPARE(image.size(), QSize(256, 256));
        const mapview::MapView view = mapview::WholeView(256);
        auto at = [&](double x, double y) {
            return QColor(image.pixel(view.toPixel(x, y).toPoint())).name();
        };
        QCOMPARE(at(-12000, 6000), QStringLiteral("#d8d8d8"));    // inside the building
        QCOMPARE(at(20000, 12000), QStringLiteral("#ffffff"));    // sheet, outside it
        QCOMPARE(at(0, -28000), QStringLiteral("#f6f6f2"));       // above the sheet
        QCOMPARE(at(-28000, -21000), QStringLiteral("#ffffff"));  // railway's mirror image
        QVERIFY(QColor(image.pixel(view.toPixel(-28000, 21000).toPoint())).lightness() < 128);
    }

    // The menu opens the viewer; a file chosen there is drawn; a click on the building
    // shows its header and its attribute record; a hidden layer cannot be clicked; a file
    // that is not a graphic database is refused by name and the viewer keeps its map.
    void viewerWiring() {
        vornik::startForm menu(services());
        chooser_.answerNext(graphic_);
        QTest::mouseClick(menu.mapViewButton(), Qt::LeftButton);
        vornik::MapViewWindow* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* viewer = qobject_cast<vornik::MapViewWindow*>(w))
                window = viewer;
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::mouseClick(window->openButton(), Qt::LeftButton);
        QCOMPARE(window->path(), graphic_);
        const QString info = window->mapInfo()->text();
        for (const char* line : {"図枠左上 北緯 35°40′12.3″ 東経 139°45′00.6″",
                                 "図枠右下 北緯 35°39′30.1″ 東経 139°46′45.7″",
                                 "図郭 東西 400.0 m × 南北 300.0 m", "面 1 件と対応"})
            QVERIFY2(info.contains(u8(line)), qPrintable(info));

        vornik::MapCanvas* canvas = window->canvas();
        clickAt(canvas, -12000, 6000);
        const QString shown = window->elementInfo()->toPlainText();
        for (const char* line : {"面（種類 6）", "分類 30", "スタイルコード 32", "点数 5",
                                 "外接矩形 左 -16000・上 -8000・幅 32000・高さ 16000",
                                 "属性レコード 1 / 1", "名称 自動算出代表点"})
            QVERIFY2(shown.contains(u8(line)), qPrintable(shown));

        QCheckBox* buildings = window->layerBoxes().front();
        QVERIFY(buildings->text().startsWith(u8("建物")));
        buildings->setChecked(false);
        clickAt(canvas, -12000, 6000);
        QVERIFY(window->elementInfo()->toPlainText().isEmpty());

        // The wheel zooms about the pointer, the keys about the centre; a drag moves the map
        // with the pointer.
        const QPointF at(50, 50), centre(canvas->width() / 2.0, canvas->height() / 2.0);
        const double scale = canvas->view().scale;
        const QPointF under = canvas->view().toDevice(at);
        QWheelEvent wheel(at, canvas->mapToGlobal(at), {}, QPoint(0, 120), Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas, &wheel);
        QCOMPARE(canvas->view().scale, scale * vornik::MapCanvas::kZoomStep);
        QCOMPARE(canvas->view().toDevice(at), under);
        QTest::keyClick(canvas, Qt::Key_Minus);
        QCOMPARE(canvas->view().scale, scale);
        const QPointF middle = canvas->view().toDevice(centre);
        QTest::keyClick(canvas, Qt::Key_Plus);
        QCOMPARE(canvas->view().scale, scale * vornik::MapCanvas::kZoomStep);
        QCOMPARE(canvas->view().toDevice(centre), middle);
        const QPointF grabbed = canvas->view().toDevice(at), to(at.x() + 30, at.y() - 20);
        QTest::mousePress(canvas, Qt::LeftButton, {}, at.toPoint());
        QMouseEvent move(QEvent::MouseMove, to, canvas->mapToGlobal(to), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(canvas, &move);
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, to.toPoint());
        QCOMPARE(canvas->view().toDevice(to), grabbed);
        QVERIFY(!canvas->grab().isNull());

        prompter_.clear();
        QVERIFY(!window->openFile(attributes_));
        QCOMPARE(prompter_.calls().size(), std::size_t(1));
        QVERIFY(u8(prompter_.calls()[0].text)
                    .startsWith(u8("「" + attributes_ + "」は図形PDBではありません")));
        QCOMPARE(window->path(), graphic_);

        // A file dropped on the window opens too.
        const std::string other = dir_.file("other_G.pdb");
        testsupport::writeBytes(other, testsupport::readBytes(graphic_));
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(u8(other))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(window, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(window, &drop);
        QCOMPARE(window->path(), other);
        QVERIFY(window->mapInfo()->text().contains(u8("other_A.pdb はありません")));
        window->close();
    }

    // After a conversion the program asks whether to view the new database and opens it
    // on yes; without a viewer it asks nothing.
    void offerAfterConversion() {
        vornik::Services s = services();
        prompter_.clear();
        vornik::offerMapView(s, graphic_);
        QVERIFY(prompter_.calls().empty());
        std::string opened;
        s.openMapView = [&](const std::string& path) { opened = path; };
        prompter_.answerNext(platform::Answer::Yes);
        vornik::offerMapView(s, graphic_);
        QCOMPARE(prompter_.calls().size(), std::size_t(1));
        QCOMPARE(prompter_.calls()[0].buttons, platform::Buttons::YesNo);
        QCOMPARE(opened, graphic_);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    MapViewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "map_view_test.moc"
