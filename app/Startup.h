// The program's entry and exit: the application title, the three windows in their order, the
// start-up values of the configuration block, and the main dialog shown modally over the
// background window until it closes.
#pragma once

#include <string>

namespace app {

class TMainDlg;

// Runs the whole installer as its command line asks, with the dialog or without any window, and
// returns the process's exit code once it has ended.
int RunInstaller();

// The start-up values of the configuration block: the language, the product, the Windows choice
// and the installer's own folder.
void SetStartupValues();

// The folder of the running program: everything before the last backslash of its path
// ("c:\setup\install.exe" gives "c:\setup", "a:\install.exe" gives "a:").
std::string SourceDirOf(const std::string& programPath);

// The application's title, as the task bar and the message boxes show it.
void SetApplicationTitle();

// The main dialog's creation and destruction handlers.
void StartupFormCreate(TMainDlg& dialog);
void StartupFormDestroy(TMainDlg& dialog);

// The background window's activation handler: fills the configuration once more, takes its colour
// and title from it, shows the main dialog modally and closes when that has closed.
void BackgroundFormActivate();

}  // namespace app
