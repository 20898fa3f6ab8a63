#pragma once
// Lorvex's manual (HTML in the program's resources) in the shared help window.
class QWidget;

namespace lorvex {

// Shows the manual at the section anchor ("editor", "database-file", ...) in the help
// window of from's window.
void showLorvexHelp(QWidget* from, const char* anchor);

}  // namespace lorvex
