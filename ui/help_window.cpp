#include "ui/help_window.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace kwibui {

HelpWindow::HelpWindow(const QString& title, const QUrl& home, QWidget* parent)
    : QDialog(parent), home_(home) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(title);
    // A window of its own, not modal: the manual stays open beside the work.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinMaxButtonsHint);
    setModal(false);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("helpBrowser"));
    browser_->setOpenExternalLinks(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("閉じる"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    layout->addWidget(buttons);
    resize(720, 640);
}

void HelpWindow::showPage(const QString& anchor) {
    QUrl url = home_;
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    browser_->setSource(url);
    show();
    raise();
    activateWindow();
}

HelpWindow* showHelp(QWidget* parent, const QString& title, const QUrl& home,
                     const QString& anchor) {
    QWidget* top = parent ? parent->window() : nullptr;
    auto* help = top ? top->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!help)
        help = new HelpWindow(title, home, top);
    help->showPage(anchor);
    return help;
}

}  // namespace kwibui
