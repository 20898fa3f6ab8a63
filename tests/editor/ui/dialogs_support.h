#pragma once
// Shared by the dialog tests: driving a modal dialog the way a user does, and small
// databases written as the editor lays them out.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "editor/model/kinds.h"
#include "editor/ui/database_file_dialog.h"
#include "pdbformat/pdb_image.h"
#include "platform/cp932.h"
#include "platform/scripted_prompter.h"
#include "support/test_support.h"

namespace dialogtest {

// Runs act on the modal dialog of type D as soon as it is shown (the caller then starts
// the command that opens it). A dialog that never shows up, or that act leaves open,
// fails the test.
template <class D>
void whenShown(std::function<void(D*)> act, bool* seen = nullptr) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, seen, tries] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!dialog && ++*tries < 200)
            return;
        timer->stop();
        timer->deleteLater();
        if (!dialog) {
            ADD_FAILURE() << "the dialog was not shown";
            return;
        }
        if (seen)
            *seen = true;
        // A dialog that act leaves open would hang the test: closed with a failure.
        QTimer::singleShot(5000, [open = QPointer<QDialog>(dialog)] {
            if (open && open->isVisible()) {
                ADD_FAILURE() << "the dialog stayed open";
                open->reject();
            }
        });
        act(dialog);
    });
    timer->start(10);
}

// Clicks an enabled push button; a disabled one is not clicked and fails the test.
inline void click(QPushButton* button) {
    ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
}

// Picks a list entry as a user does: open the drop-down and click the entry.
inline void pick(QComboBox* box, int index) {
    ASSERT_TRUE(box->isEnabled());
    ASSERT_LT(index, box->count());
    box->showPopup();
    QAbstractItemView* view = box->view();
    QRect rect = view->visualRect(view->model()->index(index, box->modelColumn()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    if (view->isVisible())
        box->hidePopup();
}

// Types text at the cursor: ASCII key by key, other characters as the input method
// commits them (one character at a time).
inline void type(QLineEdit* edit, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(edit, c.toLatin1());
        } else {
            QInputMethodEvent event;
            event.setCommitString(QString(c));
            QApplication::sendEvent(edit, &event);
        }
    }
}

// Types text into a field after emptying it.
inline void retype(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    type(edit, text);
}

// Answers the next database-file dialog as a user: chooses path, types the name when it is
// not the one selected, picks the code when listed or types it, and presses OK.
inline void answerDesignDialog(platform::ScriptedFileChooser& chooser, const std::string& path,
                               const QString& name, const QString& code,
                               const char* caption = nullptr) {
    whenShown<lorvex::DatabaseFileDialog>([=, &chooser](lorvex::DatabaseFileDialog* d) {
        if (caption) {
            EXPECT_EQ(d->windowTitle(), QString::fromUtf8(caption));
        }
        chooser.answerNext(path);
        click(d->chooseButton());
        if (d->nameBox()->currentText() != name)
            retype(d->nameBox()->lineEdit(), name);
        int listed = code.isEmpty() ? -1 : d->codeBox()->findText(code);
        if (listed >= 0)
            pick(d->codeBox(), listed);
        else if (!code.isEmpty())
            retype(d->codeBox()->lineEdit(), code);
        click(d->okButton());
    });
}

inline std::vector<QString> itemsOf(const QComboBox* box) {
    std::vector<QString> items;
    for (int i = 0; i < box->count(); ++i) items.push_back(box->itemText(i));
    return items;
}

// A design recognisable by its code and first page title.
inline editor::DispRec design(const std::string& code) {
    editor::DispRec d = editor::freshWorkingDesign();
    editor::setFieldText(d.code, code);
    editor::setFieldText(d.titles[0], "title " + code);
    return d;
}

// Writes a database of the editor's layout: designs (a master holds all of them, any
// other kind one) under the given database name.
inline void writeDesignDatabase(const std::string& path, const std::string& name,
                                const std::vector<editor::DispRec>& designs) {
    pdb::PdbImage image;
    pdb::MakeNewImage(image);
    pdb::setDatabaseName(image.header, name);
    image.designs.assign(designs.begin(), designs.end());
    image.designs.emplace_back();
    image.listHeader.iRecNum = static_cast<std::uint16_t>(designs.size());
    platform::Status written = pdb::WriteDatabase(image, path);
    ASSERT_TRUE(written) << written.error();
}

inline void writeMaster(const std::string& path, const std::vector<std::string>& codes) {
    std::vector<editor::DispRec> designs;
    for (const std::string& code : codes) designs.push_back(design(code));
    writeDesignDatabase(path, "Master", designs);
}

// Record i's offset, read from the record list (72-byte header, 6-byte list header,
// then 8 bytes per entry starting with the 4-byte offset).
inline std::uint32_t recordPos(const testsupport::Bytes& file, std::size_t i) {
    return testsupport::be32(file, 78 + 8 * i);
}

inline std::uint16_t recordCount(const testsupport::Bytes& file) {
    return testsupport::be16(file, 76);
}

// The identification codes of the design records: each record's first 32 bytes, up to NUL.
inline std::vector<std::string> codesOf(const std::string& path) {
    testsupport::Bytes file = testsupport::readBytes(path);
    std::vector<std::string> codes;
    for (std::size_t i = 0; i < recordCount(file); ++i) {
        std::string code;
        for (std::uint32_t at = recordPos(file, i); file.at(at) != 0 && code.size() < 32; ++at)
            code.push_back(char(file.at(at)));
        codes.push_back(code);
    }
    return codes;
}

// Palm::PDB reads the file with the given record lengths.
inline void expectPalm(const std::string& path, const std::vector<std::size_t>& lengths) {
    testsupport::PalmView view = testsupport::palmRead(path);
    ASSERT_TRUE(view.loaded) << path << ": " << view.error;
    EXPECT_EQ(view.recordLengths, lengths) << path;
}

inline std::string sj(const char* utf8) {
    return platform::toCp932(utf8);
}

}  // namespace dialogtest
