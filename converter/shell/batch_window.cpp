#include "converter/shell/batch_window.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>

#include "converter/shell/dir_picker_form.h"
#include "platform/files.h"

namespace vornik {
namespace {

QString tr8(const char* s) {
    return QString::fromUtf8(s);
}
QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

QString statusText(batch::Status s) {
    switch (s) {
        case batch::Status::Clean:
            return tr8("完了");
        case batch::Status::Messages:
            return tr8("メッセージあり");
        case batch::Status::Failed:
            return tr8("失敗");
        case batch::Status::Skipped:
            return tr8("既存のため省略");
        case batch::Status::Cancelled:
            return tr8("中止");
        case batch::Status::Pending:
            break;
    }
    return tr8("未処理");
}

}  // namespace

// ---- BatchInputs -------------------------------------------------------------------------

BatchInputs::BatchInputs(batch::Kind kind, const Services& services, QWidget* parent)
    : QGroupBox(tr8("一括変換（複数の入力）："), parent), kind_(kind), services_(services) {
    setObjectName(QStringLiteral("一括変換"));
    auto* layout = new QHBoxLayout(this);
    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setMinimumHeight(72);
    layout->addWidget(list_, 1);
    auto* buttons = new QVBoxLayout;
    add_ = new QPushButton(tr8("追加..."), this);
    search_ = new QPushButton(tr8("フォルダーから探す..."), this);
    remove_ = new QPushButton(tr8("削除"), this);
    for (QPushButton* b : {add_, search_, remove_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(add_, &QPushButton::clicked, this, &BatchInputs::addOne);
    connect(search_, &QPushButton::clicked, this, &BatchInputs::searchFolder);
    connect(remove_, &QPushButton::clicked, this, &BatchInputs::removeSelected);
}

std::vector<std::string> BatchInputs::inputs(const QString& formInput) const {
    std::vector<std::string> all;
    if (!formInput.trimmed().isEmpty())
        all.push_back(formInput.toStdString());
    for (int i = 0; i < list_->count(); ++i) {
        std::string path = list_->item(i)->text().toStdString();
        if (std::find(all.begin(), all.end(), path) == all.end())
            all.push_back(std::move(path));
    }
    return all;
}

void BatchInputs::addInputs(const std::vector<std::string>& paths) {
    for (const std::string& p : paths)
        if (list_->findItems(qs(p), Qt::MatchExactly).isEmpty())
            list_->addItem(qs(p));
}

void BatchInputs::addOne() {
    if (kind_ == batch::Kind::Sheet) {
        nsdiDialogForm picker(QString(), this);
        if (picker.exec() == QDialog::Accepted)
            addInputs({picker.chosenPath().toStdString()});
        return;
    }
    platform::FileRequest request;
    request.title = "DMファイルを選択";
    request.filterName = "DAT";
    request.filterPattern = "*.dat";
    request.defaultExtension = "DAT";
    request.initialFolder = services_.programFolder;
    if (auto path = services_.chooser->choose(request))
        addInputs({*path});
}

void BatchInputs::searchFolder() {
    DirPickerForm picker(tr8("変換する入力を探すフォルダーを指定"), tr8("検索フォルダー"),
                         QString(), this);
    if (picker.exec() != QDialog::Accepted)
        return;
    auto found = batch::findInputs(kind_, {picker.chosenPath().toStdString()}, true);
    if (!found) {
        services_.prompter->show(found.error(), "", platform::Icon::Critical,
                                 platform::Buttons::Ok);
        return;
    }
    addInputs(*found);
}

void BatchInputs::removeSelected() {
    qDeleteAll(list_->selectedItems());
}

// ---- BatchProgressWindow -----------------------------------------------------------------

BatchProgressWindow::BatchProgressWindow(std::unique_ptr<batch::Batch> b, unsigned jobs,
                                         QWidget* parent)
    : QDialog(parent), batch_(std::move(b)), jobs_(jobs) {
    setWindowTitle(tr8("一括変換"));
    setModal(true);
    resize(640, 480);
    auto* layout = new QVBoxLayout(this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, int(batch_->results().size()));
    bar_->setValue(int(batch_->count(batch::Status::Skipped)));
    bar_->setFormat(tr8("%v / %m"));
    current_ = new QLabel(this);
    log_ = new QPlainTextEdit(this);
    log_->setReadOnly(true);
    log_->setLineWrapMode(QPlainTextEdit::NoWrap);
    summary_ = new QTableWidget(this);
    summary_->hide();
    folder_ = new QLabel(this);
    folder_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folder_->hide();
    layout->addWidget(bar_);
    layout->addWidget(current_);
    layout->addWidget(log_, 1);
    layout->addWidget(summary_, 1);
    layout->addWidget(folder_);

    auto* row = new QHBoxLayout;
    openFolder_ = new QPushButton(tr8("出力フォルダーを開く"), this);
    openFolder_->hide();
    cancel_ = new QPushButton(tr8("中止"), this);
    close_ = new QPushButton(tr8("閉じる"), this);
    close_->hide();
    for (QPushButton* button : {openFolder_, cancel_, close_}) button->setAutoDefault(false);
    row->addWidget(openFolder_);
    row->addStretch();
    row->addWidget(cancel_);
    row->addWidget(close_);
    layout->addLayout(row);

    connect(cancel_, &QPushButton::clicked, this, &BatchProgressWindow::cancel);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    connect(openFolder_, &QPushButton::clicked, this,
            [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(qs(batch_->outDir()))); });
}

BatchProgressWindow::~BatchProgressWindow() {
    batch_->cancel();
    if (worker_.joinable())
        worker_.join();
}

void BatchProgressWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    start();
}

void BatchProgressWindow::start() {
    if (started_)
        return;
    started_ = true;
    current_->setText(tr8("変換を始めます..."));
    // The observer runs on the converting threads: it hands everything to this window's
    // thread, and keeps nothing of its own.
    worker_ = std::jthread([this] {
        batch::Observer observer;
        observer.started = [this](std::size_t i) {
            QMetaObject::invokeMethod(
                this, [this, i] { onStarted(i); }, Qt::QueuedConnection);
        };
        observer.message = [this](std::size_t i, const batch::Message& m) {
            QMetaObject::invokeMethod(
                this, [this, i, m] { onMessage(i, m); }, Qt::QueuedConnection);
        };
        observer.finished = [this](std::size_t i, const batch::InputResult&) {
            QMetaObject::invokeMethod(
                this, [this, i] { onFinished(i); }, Qt::QueuedConnection);
        };
        batch_->run(jobs_, observer);
        QMetaObject::invokeMethod(
            this, [this] { onAllDone(); }, Qt::QueuedConnection);
    });
}

void BatchProgressWindow::cancel() {
    batch_->cancel();
    cancel_->setEnabled(false);
    current_->setText(tr8("中止します。変換中のファイルを終えてから止まります..."));
}

void BatchProgressWindow::reject() {
    if (finished_)
        QDialog::reject();
    else
        cancel();
}

void BatchProgressWindow::onStarted(std::size_t index) {
    running_.push_back(index);
    if (!batch_->cancelled())
        current_->setText(tr8("変換中：") + qs(batch_->results()[index].input));
}

void BatchProgressWindow::onMessage(std::size_t index, const batch::Message& m) {
    const QString prefix = qs(batch_->results()[index].input) + QStringLiteral(": ");
    const QString kind =
        m.buttons == platform::Buttons::Ok ? platform::iconName(m.icon) : "question";
    const QString text = QStringLiteral("[") + kind + QStringLiteral("] ") + qs(m.title) +
                         QStringLiteral(": ") + qs(m.text);
    for (const QString& line : text.split(QLatin1Char('\n'))) log_->appendPlainText(prefix + line);
}

void BatchProgressWindow::onFinished(std::size_t index) {
    running_.erase(std::remove(running_.begin(), running_.end(), index), running_.end());
    bar_->setValue(bar_->value() + 1);
    if (!running_.empty() && !batch_->cancelled())
        current_->setText(tr8("変換中：") + qs(batch_->results()[running_.front()].input));
}

void BatchProgressWindow::onAllDone() {
    if (worker_.joinable())
        worker_.join();
    finished_ = true;
    auto logPath = batch::writeLog(*batch_, std::time(nullptr));
    if (!logPath)
        log_->appendPlainText(qs(logPath.error()));
    const std::size_t total = batch_->results().size();
    current_->setText(tr8("%1 件：完了 %2、メッセージあり %3、失敗 %4、中止 %5")
                          .arg(total)
                          .arg(batch_->count(batch::Status::Clean))
                          .arg(batch_->count(batch::Status::Messages))
                          .arg(batch_->count(batch::Status::Failed))
                          .arg(batch_->count(batch::Status::Cancelled)));

    const QStringList head = {tr8("入力"),         tr8("出力"),       tr8("要素"), tr8("面"),
                              tr8("属性レコード"), tr8("メッセージ"), tr8("状態")};
    summary_->setColumnCount(int(head.size()));
    summary_->setHorizontalHeaderLabels(head);
    summary_->setRowCount(int(total));
    summary_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (std::size_t r = 0; r < total; ++r) {
        const batch::InputResult& res = batch_->results()[r];
        const QStringList cells = {qs(res.input),
                                   QString::number(res.outputs.size()),
                                   QString::number(res.elements),
                                   QString::number(res.areas),
                                   QString::number(res.attributeRecords),
                                   QString::number(res.counted),
                                   statusText(res.status)};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 6 && !res.reason.empty())
                item->setToolTip(qs(res.reason));
            summary_->setItem(int(r), c, item);
        }
    }
    summary_->resizeColumnsToContents();
    summary_->resizeRowsToContents();
    // The first input that failed or warned is in view, for the eye to start with.
    const auto& results = batch_->results();
    const auto problem = std::find_if(results.begin(), results.end(), [](const auto& r) {
        return r.status == batch::Status::Failed || r.status == batch::Status::Messages;
    });
    if (problem != results.end()) {
        const int row = int(problem - results.begin());
        summary_->selectRow(row);
        summary_->scrollToItem(summary_->item(row, 0), QAbstractItemView::PositionAtCenter);
    }
    summary_->horizontalHeader()->setStretchLastSection(true);
    summary_->show();
    log_->setMaximumHeight(140);
    folder_->setText(
        tr8("出力フォルダー：") + qs(batch_->outDir()) +
        (logPath ? tr8("\n記録：") + qs(std::string(platform::fileNameOf(*logPath))) : QString()));
    folder_->show();
    openFolder_->show();
    cancel_->hide();
    close_->show();
    close_->setFocus();
}

// ---- runBatch ------------------------------------------------------------------------------

bool runBatch(batch::Kind kind, const std::vector<std::string>& inputs, const std::string& outDir,
              batch::Convert convert, const Services& services, QWidget* parent) {
    platform::Prompter& prompter = *services.prompter;
    auto error = [&](const std::string& text) {
        prompter.show(text, "", platform::Icon::Critical, platform::Buttons::Ok);
        return false;
    };
    if (outDir.empty())
        return error("PDBファイルのディレクトリを指定して下さい！");
    auto found = batch::findInputs(kind, inputs, false);
    if (!found)
        return error(found.error());
    auto b = std::make_unique<batch::Batch>(kind, *found, outDir, std::move(convert));
    if (auto clashes = b->clashes(); !clashes.empty()) {
        std::string text;
        for (const std::string& c : clashes) text += c + "\n";
        return error(text + "同じ名前になる入力があるため、変換を始めませんでした。");
    }
    if (auto existing = b->existing(); !existing.empty()) {
        const platform::Answer a = prompter.show(
            std::to_string(existing.size()) + " 件の入力の出力ファイルが既にあります（「" +
                b->results()[existing.front()].input +
                "」など）。\nすべて上書きしますか？\n（「いいえ」：それらの入力は変換せず、"
                "既にあるファイルを残します）",
            "", platform::Icon::Question, platform::Buttons::YesNo);
        if (!platform::isAffirmative(a))
            for (std::size_t i : existing) b->skip(i);
    }
    BatchProgressWindow window(std::move(b), std::max(1u, std::thread::hardware_concurrency()),
                               parent);
    window.exec();
    const batch::Batch& done = window.batch();
    return done.count(batch::Status::Failed) == 0 && done.count(batch::Status::Cancelled) == 0;
}

}  // namespace vornik
