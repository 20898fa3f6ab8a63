#pragma once
// Vornik's manual (HTML in the program's resources) in the shared help window, and the F1
// key that opens it at a window's own section.
class QWidget;

namespace vornik {

// Shows the manual at the section anchor ("menu", "nsdi", "dm", "frame", "picker", "files", "run",
// "keys") in the help window of from's window.
void showVornikHelp(QWidget* from, const char* anchor);

// F1 in window opens the manual at anchor.
void addHelpKey(QWidget* window, const char* anchor);

}  // namespace vornik
