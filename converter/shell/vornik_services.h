#pragma once
// What the forms of the conversion program need from outside: where messages and file
// choices go, the date of the Palm day stamp, the program's folder and how the program
// ends. The program passes the Qt implementations; tests pass scripted ones.
#include <QPointer>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_chooser.h"
#include "platform/local_date.h"
#include "platform/prompter.h"

class QApplication;
class QWidget;

namespace vornik {

// The title of the program's own boxes ("PDB file conversion system").
inline constexpr const char* kAppTitle = "ZUVovizezodev";
// Face name every form asks for; mapped to an installed metric-compatible font.
inline constexpr const char* kFormFontFace = "ＭＳ Ｐゴシック";

struct Services {
    platform::Prompter* prompter = nullptr;
    platform::FileChooser* chooser = nullptr;
    std::function<platform::LocalDate()> today;
    std::string programFolder;
    std::function<void()> quit;
    // Opens a graphic database in the program's map viewer; unset where there is none
    // (then nothing offers to open one after a conversion).
    std::function<void(const std::string&)> openMapView;
};

// Maps the forms' face name to IPAPGothic and makes it the application font.
void installFormFont(QApplication& app);

// The folder file dialogs start in: the program's own folder, or the user's home
// folder where the program's folder cannot be written to (an installed program).
std::string startFolder(const QString& programDir);

// Every open form, oldest first, so the program can close them newest first.
class OpenForms {
  public:
    static void opened(QWidget* form);
    static void closed(QWidget* form);
    static std::vector<QWidget*> list();
    // Closes every open form, the most recently opened first.
    static void closeAll();
};

// Puts a form on the OpenForms list while it is shown.
void trackForm(QWidget* form);

// Runs one button operation. An exception that escapes it (which the operations do not
// mean to throw) ends the operation with an error box instead of ending the program.
bool runGuarded(platform::Prompter& prompter, const std::function<bool()>& operation);

// Message boxes owned by the form that is in front when a box appears, so a box
// always stays above the form that raised it.
class FormPrompter : public platform::Prompter {
  public:
    platform::Answer show(std::string_view text, std::string_view title, platform::Icon icon,
                          platform::Buttons buttons) override;
};

// The program's file dialogs: open style ("開く") for a file to read, save style (a new
// name may be typed) for one to write; the request's filter and an all-files filter, the
// default extension added to a bare name. A request with a place opens where the file last
// chosen for it was, also in a later run (remembered in the program's settings).
class FormFileChooser : public platform::FileChooser {
  public:
    std::optional<std::string> choose(const platform::FileRequest& request) override;
};

// A typed name whose letter case differs from an existing file in the same folder
// ("LIST.CSV" for "list.csv", as Windows-made names often are) becomes that file's name;
// any other path comes back unchanged.
std::string matchExistingCase(const std::string& path);

// The full name filter of a request: "CSV (*.csv)" and the all-files entry.
QStringList nameFiltersFor(const platform::FileRequest& request);

}  // namespace vornik
