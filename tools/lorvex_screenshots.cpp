// Writes the editor's screenshots for the documentation: a fresh editor, and a page
// holding one object of every kind. Usage: lorvex-screenshots OUTPUT_DIR
#include <QApplication>
#include <QDir>
#include <QTest>
#include <cstdio>

#include "editor/ui/editor_dialog.h"
#include "platform/cp932.h"
#include "platform/scripted_prompter.h"

namespace {

struct Placement {
    editor::ObjectKind kind;
    int number;
    const char* label;
    const char* x;
    const char* y;
    const char* labelWidth;
    const char* width;
    const char* items;
};

void place(lorvex::EditorDialog& dialog, const Placement& p) {
    editor::EditingModel& model = dialog.model();
    model.selectKind(p.kind);
    model.selectNumber(p.number);
    model.setShown(true);
    editor::FieldValues f = model.view().fields;
    f.labelText = platform::toCp932(p.label);
    f.labelX = p.x;
    f.labelY = p.y;
    f.labelWidth = p.labelWidth;
    f.width = p.width;
    if (p.items)
        f.items = platform::toCp932(p.items);
    model.applyFields(f);
}

bool save(QWidget& w, const QString& path) {
    QApplication::processEvents();
    if (!w.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: lorvex-screenshots OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    platform::ScriptedPrompter prompter;
    lorvex::EditorDialog dialog(&prompter);
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        return 1;
    if (!save(dialog, out.filePath(QStringLiteral("lorvex-fresh.png"))))
        return 1;

    using editor::ObjectKind;
    editor::EditingModel& model = dialog.model();
    model.selectPage(1);
    editor::FieldValues title = model.view().fields;
    title.pageTitle = platform::toCp932("建物調査");
    model.applyFields(title);
    const Placement objects[] = {
        {ObjectKind::Label, 0, "現地で確認した内容", "10", "62", "0", "200", nullptr},
        {ObjectKind::Cmb, 0, "用途", "10", "100", "75", "120", "住宅\r\n店舗\r\n工場"},
        {ObjectKind::Int, 0, "階数", "10", "130", "75", "75", nullptr},
        {ObjectKind::Real, 0, "面積", "10", "160", "75", "100", nullptr},
        {ObjectKind::Btn, 2, "次頁へ", "10", "240", "0", "100", nullptr},
        {ObjectKind::Str, 0, "名称", "10", "190", "75", "200", nullptr},
    };
    for (const Placement& p : objects) place(dialog, p);
    dialog.designReplaced();
    return save(dialog, out.filePath(QStringLiteral("lorvex-all-kinds.png"))) ? 0 : 1;
}
