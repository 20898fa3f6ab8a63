// vornik_progress_timing [BUILDINGS]: runs the Digital Map 2500 and DM conversions through
// their settings forms, as the create button does, and prints how long the window stays
// busy between one message box and the next. A figure, not a test: the boxes are answered
// at once, so each gap is the time the program computes without showing anything.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "converter/shell/frame_boxes.h"
#include "converter/shell/select_dir_form.h"
#include "converter/shell/select_dir_form2.h"
#include "platform/file_chooser.h"
#include "sheet_generator.h"

namespace {

using Clock = std::chrono::steady_clock;

class TimingPrompter : public platform::Prompter {
  public:
    platform::Answer show(std::string_view text, std::string_view title, platform::Icon,
                          platform::Buttons buttons) override {
        const auto now = Clock::now();
        const double gap = std::chrono::duration<double, std::milli>(now - last_).count();
        worst_ = std::max(worst_, gap);
        std::printf("  %8.1f ms  [%.*s] %.*s\n", gap, int(title.size()), title.data(),
                    int(text.size()), text.data());
        last_ = Clock::now();
        return buttons == platform::Buttons::YesNo ? platform::Answer::Yes : platform::Answer::Ok;
    }
    void start() {
        last_ = Clock::now();
        worst_ = 0;
    }
    double worst() const { return worst_; }

  private:
    Clock::time_point last_ = Clock::now();
    double worst_ = 0;
};

template <class Form>
double runForm(Form& form, TimingPrompter& prompter, const char* what) {
    std::printf("%s\n", what);
    prompter.start();
    QTest::mouseClick(form.createButton(), Qt::LeftButton);
    std::printf("  form %s; longest gap %.1f ms\n", form.isVisible() ? "still open" : "closed",
                prompter.worst());
    return prompter.worst();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::size_t buildings = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 20000;
    TimingPrompter prompter;
    platform::ScriptedFileChooser chooser;
    vornik::Services services;
    services.prompter = &prompter;
    services.chooser = &chooser;
    services.today = [] { return platform::LocalDate{2026, 12, 6}; };
    services.quit = [] {};

    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    const std::string sheet = folder + "/53394525";
    const auto counts = sheetgen::writeSheet(sheet, sheetgen::optionsForBuildings(buildings));
    double worst = 0;

    struct Run {
        std::string input;
        std::string label;
    };
    const Run nsdiRuns[] = {
        {KWIB_SOURCE_DIR "/samples/dm2500/53394525", "Digital Map 2500, bundled sample sheet"},
        {sheet, "Digital Map 2500, generated sheet of " + std::to_string(counts.buildings) +
                    " buildings"}};
    for (const Run& run : nsdiRuns) {
        vornik::selectDirForm form(services, nullptr);
        form.show();
        form.sheetFolderBox()->setText(QString::fromStdString(run.input));
        form.pdbFolderBox()->setText(QString::fromStdString(folder));
        worst = std::max(worst, runForm(form, prompter, run.label.c_str()));
    }
    {
        vornik::selectDirForm2 form(services, nullptr);
        form.show();
        form.dmFileBox()->setText(KWIB_SOURCE_DIR "/samples/dm/sample.dm");
        form.pdbFolderBox()->setText(QString::fromStdString(folder));
        worst = std::max(worst, runForm(form, prompter, "DM, bundled sample"));
    }
    std::printf("longest time without a box: %.1f ms\n", worst);
    return 0;
}
