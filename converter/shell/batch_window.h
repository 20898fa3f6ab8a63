#pragma once
// Batch conversion in the settings forms: a list of inputs beside the form's single path
// box, and the progress window that converts them (a bar, the file being converted, every
// message, a cancel button) and then shows the summary with the output folder.
//
// A form with one input (the path box, or a list of one) runs exactly as before, with its
// modal boxes; with two or more it runs runBatch().
#include <QDialog>
#include <QGroupBox>
#include <memory>
#include <thread>

#include "converter/batch/batch.h"
#include "converter/shell/vornik_services.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace vornik {

// "一括変換": the inputs of a batch, added one by one, found under a folder, or removed.
class BatchInputs : public QGroupBox {
    Q_OBJECT
  public:
    BatchInputs(batch::Kind kind, const Services& services, QWidget* parent);

    // The form's own input (when not empty) followed by the listed ones.
    std::vector<std::string> inputs(const QString& formInput) const;
    void addInputs(const std::vector<std::string>& paths);

    QListWidget* list() const { return list_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* searchButton() const { return search_; }
    QPushButton* removeButton() const { return remove_; }

  private:
    void addOne();
    void searchFolder();
    void removeSelected();

    batch::Kind kind_;
    Services services_;
    QListWidget* list_;
    QPushButton* add_;
    QPushButton* search_;
    QPushButton* remove_;
};

class BatchProgressWindow : public QDialog {
    Q_OBJECT
  public:
    BatchProgressWindow(std::unique_ptr<batch::Batch> batch, unsigned jobs, QWidget* parent);
    ~BatchProgressWindow() override;

    // Starts the conversions (exec() starts them itself).
    void start();
    bool finished() const { return finished_; }
    const batch::Batch& batch() const { return *batch_; }

    QProgressBar* bar() const { return bar_; }
    QLabel* currentFile() const { return current_; }
    QPlainTextEdit* log() const { return log_; }
    QPushButton* cancelButton() const { return cancel_; }
    QTableWidget* summary() const { return summary_; }
    QLabel* folderLabel() const { return folder_; }
    QPushButton* openFolderButton() const { return openFolder_; }
    QPushButton* closeButton() const { return close_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;  // Esc and the window's close: cancel while running

  private:
    void cancel();
    void onStarted(std::size_t index);
    void onMessage(std::size_t index, const batch::Message& message);
    void onFinished(std::size_t index);
    void onAllDone();

    std::unique_ptr<batch::Batch> batch_;
    unsigned jobs_;
    std::jthread worker_;
    bool started_ = false;
    bool finished_ = false;
    std::size_t done_ = 0;
    std::vector<std::size_t> running_;
    QProgressBar* bar_;
    QLabel* current_;
    QPlainTextEdit* log_;
    QPushButton* cancel_;
    QTableWidget* summary_;
    QLabel* folder_;
    QPushButton* openFolder_;
    QPushButton* close_;
};

// Runs a batch from a settings form: refuses an empty output folder and inputs whose
// outputs would share a name, asks once whether existing outputs are replaced (Yes: all,
// No: those inputs are skipped), then shows the progress window. True when every input
// was converted (or skipped).
bool runBatch(batch::Kind kind, const std::vector<std::string>& inputs, const std::string& outDir,
              batch::Convert convert, const Services& services, QWidget* parent);

}  // namespace vornik
