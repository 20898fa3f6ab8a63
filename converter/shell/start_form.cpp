#include "converter/shell/start_form.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "converter/attrconv/csv2pdb.h"
#include "converter/attrconv/pdb2csv.h"
#include "converter/shell/map_view_window.h"
#include "converter/shell/select_dir_form.h"
#include "converter/shell/select_dir_form2.h"
#include "converter/shell/select_gis_form.h"
#include "converter/shell/vornik_help.h"

namespace vornik {
namespace {

QString tr8(const char* s) {
    return QString::fromUtf8(s);
}

QPushButton* menuButton(QWidget* form, QVBoxLayout* layout, const char* caption, const char* name) {
    auto* button = new QPushButton(tr8(caption), form);
    button->setObjectName(tr8(name));
    button->setMinimumHeight(40);
    button->setAutoDefault(false);
    layout->addWidget(button);
    return button;
}

}  // namespace

startForm::startForm(const Services& services, QWidget* parent)
    : QWidget(parent), services_(services) {
    setWindowTitle(tr8("地図・属性データ変換 - Vornik"));
    trackForm(this);
    addHelpKey(this, "menu");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(10);
    nsdi2pdb_ = menuButton(this, layout, "数値地図2500 → 図形・属性PDB", "nsdi2pdb");
    dm2pdb_ = menuButton(this, layout, "DMﾌｫｰﾏｯﾄﾌｧｲﾙ → 図形・属性PDB", "dm2pdb");
    ogr2pdb_ = menuButton(this, layout, "GIS データ → PDB", "ogr2pdb");
    csv2pdb_ = menuButton(this, layout, "属性CSV → 属性PDB", "csv2pdb");
    pdb2csv_ = menuButton(this, layout, "属性PDB → 属性CSV", "pdb2csv");
    mapView_ = menuButton(this, layout, "地図表示", "mapView");
    layout->addSpacing(10);
    help_ = menuButton(this, layout, "ヘルプ", "helpButton");
    exit_ = menuButton(this, layout, "終　了", "終了ボタン");
    setMinimumWidth(320);

    connect(nsdi2pdb_, &QPushButton::clicked, this, &startForm::openNsdiSettings);
    connect(dm2pdb_, &QPushButton::clicked, this, &startForm::openDmSettings);
    connect(ogr2pdb_, &QPushButton::clicked, this, &startForm::openGisSettings);
    connect(csv2pdb_, &QPushButton::clicked, this, &startForm::runCsv2pdb);
    connect(pdb2csv_, &QPushButton::clicked, this, &startForm::runPdb2csv);
    connect(help_, &QPushButton::clicked, this, [this] { showVornikHelp(this, "menu"); });
    connect(mapView_, &QPushButton::clicked, this, &startForm::openMapView);
    connect(exit_, &QPushButton::clicked, this, &startForm::askExit);
}

// Each opening makes a new form, so it starts with empty paths and zero frame values.
void startForm::openNsdiSettings() {
    selectDirForm form(services_, this);
    form.exec();
}

void startForm::openDmSettings() {
    selectDirForm2 form(services_, this);
    form.exec();
}

void startForm::openGisSettings() {
    selectGisForm form(services_, this);
    form.exec();
}

void startForm::runCsv2pdb() {
    runGuarded(*services_.prompter, [this] {
        return converter::csv2pdb(*services_.chooser, services_.programFolder, services_.today(),
                                  *services_.prompter) == converter::Outcome::Done;
    });
}

void startForm::runPdb2csv() {
    runGuarded(*services_.prompter, [this] {
        return converter::pdb2csv(*services_.chooser, services_.programFolder,
                                  *services_.prompter) == converter::Outcome::Done;
    });
}

void startForm::openMapView() {
    showMapView(services_, {});
}

void startForm::askExit() {
    const platform::Answer answer = services_.prompter->show(
        "システムを終了しますか？", kAppTitle, platform::Icon::Question, platform::Buttons::YesNo);
    if (answer != platform::Answer::Yes)
        return;
    OpenForms::closeAll();
    if (services_.quit)
        services_.quit();
}

}  // namespace vornik
