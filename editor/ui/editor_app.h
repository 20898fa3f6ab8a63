#pragma once
// EditorApp: the Lorvex program. Runs EditorDialog modally for the whole run and ends
// when it ends.
#include <QApplication>
#include <QTranslator>

namespace lorvex {

class EditorApp {
  public:
    EditorApp(int& argc, char** argv);
    // Runs the editor dialog; the exit status of the program.
    int run();

  private:
    QApplication app_;
    QTranslator qtTexts_;
};

}  // namespace lorvex
