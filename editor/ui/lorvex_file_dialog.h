#pragma once
// CLorvexFileDialog: the editor's file chooser, Qt's file dialog with the accept button
// captioned "選 択" and one filter (PDB or CSV files) with its default extension.
// LorvexFileChooser offers it behind platform::FileChooser, so the dialogs that choose
// files run the same with a scripted chooser in tests.
#include <QFileDialog>

#include "platform/file_chooser.h"

namespace lorvex {

enum class FileKind { Pdb, Csv, Json };

// The request for a PDB ("PDBﾌｧｲﾙ", *.pdb, "pdb"), CSV ("CSVﾌｧｲﾙ", *.csv, "csv") or
// JSON ("JSONﾌｧｲﾙ", *.json, "json") file, in open or save style; place names where the
// chooser remembers its last file (platform::FileRequest::place).
platform::FileRequest fileRequest(FileKind kind, bool save, std::string title = {},
                                  std::string place = {});

class CLorvexFileDialog : public QFileDialog {
    Q_OBJECT
  public:
    // Opens at the request's initial folder, else at the last file chosen for its place
    // (selected), else in the home folder.
    CLorvexFileDialog(const platform::FileRequest& request, QWidget* parent = nullptr);
    // The chosen path with the default extension added where the name has none.
    QString chosenPath() const;
};

// Keeps the path chosen through a request with a place, for the next chooser there.
class LorvexFileChooser : public platform::FileChooser {
  public:
    explicit LorvexFileChooser(QWidget* parent) : parent_(parent) {}
    std::optional<std::string> choose(const platform::FileRequest& request) override;

  private:
    QWidget* parent_;
};

}  // namespace lorvex
