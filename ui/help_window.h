#pragma once
// The programs' manual: HTML pages bundled in the program's resources, shown in a
// window of their own beside the program's windows (F1, or a "ヘルプ" button).
#include <QDialog>
#include <QUrl>

class QTextBrowser;

namespace kwibui {

class HelpWindow : public QDialog {
    Q_OBJECT
  public:
    // title: the window's title ("Lorvex ヘルプ"); home: the manual's first page, a
    // resource URL ("qrc:/lorvex/help/index.html").
    HelpWindow(const QString& title, const QUrl& home, QWidget* parent = nullptr);

    // Shows the page (and anchor) given, bringing the window to the front.
    void showPage(const QString& anchor = {});
    QTextBrowser* browser() const { return browser_; }

  private:
    QUrl home_;
    QTextBrowser* browser_ = nullptr;
};

// The help window of parent's top-level window, made on first use; shown at anchor.
HelpWindow* showHelp(QWidget* parent, const QString& title, const QUrl& home,
                     const QString& anchor = {});

}  // namespace kwibui
