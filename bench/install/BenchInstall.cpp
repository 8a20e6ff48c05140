// bench-install-driver MEDIUM_FOLDER NSIS_INSTALLER|- RUNS
// Times, under Wine, the whole installation of one product by our installer (with INSTALL.DLL's
// writer threads, then with the DLL one-threaded) and by an NSIS installer of the same files into
// the same destination, in turn, RUNS rounds. Ours is
// timed from the press of the install button to the success box, as a user waits for it, less the
// time its one question (the program group) waits for the answer: that is the user's time, and
// NSIS, silent, asks nothing. NSIS is timed from its start in silent mode to its end, since it has
// no button to wait for. The destination's
// content is removed before each run, so that both always write every file afresh; the folder
// itself stays, on the tmpfs the script puts it on. So are the record (the journal and the
// uninstaller in the user's local application data) and the product's entry with the logon's Run
// value: every run of ours is a first installation, where a record left by the one before would
// have each read and extend a longer journal.
//
// Ours also writes its log, whose time stamps give the extraction of the package table alone
// (from the end of the package before it to the end of its last). Each round ends with
// INSTALL.DLL alone extracting the same packages with a callback that does nothing: set beside
// it, the table's time tells what the installer adds per file, and the whole installation's what
// it adds in all (the AutoCAD wiring, the boxes, its start).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/install/TableExtraction.h"
#include "tests/wine/support/Driver.h"

namespace {

using namespace winetest;
using Clock = std::chrono::steady_clock;

const std::string kDestination = "C:\\Tolvek4";

void ClearRecord() {
  RemoveTree(UserRecordFolder());
  RegDeleteTreeA(HKEY_CURRENT_USER,
                 "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tolvek");
  HKEY run = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                    KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
    RegDeleteValueA(run, "Tolvek");
    RegCloseKey(run);
  }
}

void ClearDestination() {
  ClearRecord();
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((kDestination + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> children;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..") children.push_back(kDestination + "\\" + name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  for (const std::string& child : children) {
    if (GetFileAttributesA(child.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveTree(child);
    } else {
      DeleteFileA(child.c_str());
    }
  }
}

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

// Waits for a visible message box of the process, looking every 5 ms with one class lookup in
// the Wine server. The tests' way of waiting (every top-level window asked about, every 50 ms)
// would take the box's time from the measurement; looking every millisecond woke the driver and
// the server a thousand times a second while the installer worked, beside it and not beside the
// library alone. A box is seen at most 5 ms late, which counts against the installer.
HWND NextBox(DWORD processId, Clock::duration timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  do {
    for (HWND box = FindWindowExA(nullptr, nullptr, "#32770", nullptr); box != nullptr;
         box = FindWindowExA(nullptr, box, "#32770", nullptr)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(box, &owner);
      if (owner == processId && IsWindowVisible(box)) return box;
    }
    Sleep(5);
  } while (Clock::now() < deadline);
  return nullptr;
}

// Milliseconds since midnight of the stamp that opens a log line ("2026-12-07 17:41:15.123  ").
std::optional<double> StampOf(const std::string& line) {
  int hour = 0, minute = 0, second = 0, milli = 0;
  if (line.size() < 23 ||
      std::sscanf(line.c_str() + 11, "%2d:%2d:%2d.%3d", &hour, &minute, &second, &milli) != 4) {
    return std::nullopt;
  }
  return ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + milli;
}

// The seconds the installation took for the package table, read from its log: from the line of
// the help package extracted just before the table to the line of the table's last package.
double TableSeconds(const std::string& logPath) {
  std::ifstream log(logPath);
  std::optional<double> start, end;
  for (std::string line; std::getline(log, line);) {
    if (line.find("Extracted:") == std::string::npos &&
        line.find("Estratto:") == std::string::npos) {
      continue;
    }
    const std::optional<double> stamp = StampOf(line);
    if (!stamp) continue;
    if (line.find("hlp-acad.pck") != std::string::npos) start = stamp;
    end = stamp;
  }
  if (!start || !end) throw std::runtime_error("no extraction lines in " + logPath);
  double milliseconds = *end - *start;
  if (milliseconds < 0) milliseconds += 24 * 3600 * 1000.0;  // over midnight
  return milliseconds / 1000;
}

struct OursTimes {
  double whole = 0;  // seconds from the press to the success box, less the user's answer
  double table = 0;  // seconds of the package table's extraction
};

// Presses the install button and waits for the success box, answering No to the question.
double WholeSeconds(const InstallerProcess& installer) {
  HWND dialog =
      WaitForWindow(installer.Id(), [](HWND window) { return ControlName(window) == "MainDlg"; });
  if (dialog == nullptr) throw std::runtime_error("no main dialog");
  HWND per14 = FindControl(dialog, "Per14");
  Press(per14);
  WaitUntil([&] { return Checked(per14); });
  HWND install = FindControl(dialog, "Installa");
  const Clock::time_point start = Clock::now();
  Clock::duration answering{};
  Press(install);
  for (;;) {
    if (NextBox(installer.Id(), std::chrono::minutes(10)) == nullptr) {
      throw std::runtime_error("no box");
    }
    const Clock::time_point shown = Clock::now();
    auto box = WaitForMessageBox(installer.Id());
    if (!box) throw std::runtime_error("the box went");
    if (box->title == "Information" && box->buttons.size() == 1) {
      return Seconds(shown - start - answering);
    }
    if (box->buttons.size() == 2 && box->buttons[1] == "&No") {
      Answer(*box, "&No");
      answering += Clock::now() - shown;
      while (IsWindow(box->window)) Sleep(1);
      continue;
    }
    throw std::runtime_error("unexpected box: " + box->text);
  }
}

OursTimes RunOurs(const std::string& medium) {
  const std::string logPath = medium + "\\..\\ours.log";
  OursTimes times;
  {
    // The process ends with the driver's handle, and its log is then complete.
    InstallerProcess installer(medium + "\\INSTALL.EXE", medium, "/LOG=\"" + logPath + "\"");
    times.whole = WholeSeconds(installer);
  }
  times.table = TableSeconds(logPath);
  return times;
}

double RunNsis(const std::string& installer) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string commandLine = "\"" + installer + "\" /S";
  const Clock::time_point start = Clock::now();
  if (!CreateProcessA(installer.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info)) {
    throw std::runtime_error("cannot start " + installer);
  }
  toolkit::win32::UniqueHandle process(info.hProcess);
  toolkit::win32::UniqueHandle thread(info.hThread);
  WaitForSingleObject(process.Get(), INFINITE);
  return Seconds(Clock::now() - start);
}

int32_t UNZIP_STDCALL Quiet(UnzipCallbackInfo*) { return 0; }

// INSTALL.DLL alone on the installer's package table, into a folder of the destination.
double RunDllAlone(bench::DllOfMedium& dll, const std::string& medium) {
  const std::string root = kDestination + "\\alone";
  bench::PrepareTableFolders(root);
  const Clock::time_point start = Clock::now();
  if (!dll.ExtractTable(medium, root, Quiet)) throw std::runtime_error("INSTALL.DLL alone failed");
  return Seconds(Clock::now() - start);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The median and spread of the ratios within each round.
void PrintRatios(const char* what, const std::vector<double>& ours,
                 const std::vector<double>& theirs, const char* goal) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < ours.size(); ++i) ratios.push_back(ours[i] / theirs[i]);
  std::sort(ratios.begin(), ratios.end());
  std::printf("ratio %s: median %.2f, range %.2f-%.2f over %zu rounds%s\n", what, Median(ratios),
              ratios.front(), ratios.back(), ratios.size(), goal);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: bench-install-driver MEDIUM_FOLDER NSIS_INSTALLER RUNS\n");
    return 2;
  }
  try {
    const int runs = std::max(1, std::atoi(argv[3]));
    // "-" for the NSIS installer times ours alone (with the DLL's own writer count), e.g. for a
    // quick look or under a tracer.
    const bool alone = std::string(argv[2]) == "-";
    bench::DllOfMedium dll(argv[1]);
    std::vector<double> ours, oursTable, oneThread, nsis, dllAlone;
    for (int i = 0; i < runs; ++i) {
      ClearDestination();
      const OursTimes times = RunOurs(argv[1]);
      ours.push_back(times.whole);
      oursTable.push_back(times.table);
      if (alone) {
        std::printf("run %d: ours %.3f s (package table %.3f s)\n", i + 1, ours.back(),
                    oursTable.back());
        continue;
      }
      // The same INSTALL.EXE and INSTALL.DLL, the DLL told to write on the installer's thread.
      ClearDestination();
      SetEnvironmentVariableA("TOLVEK_UNZIP_WRITERS", "0");
      oneThread.push_back(RunOurs(argv[1]).whole);
      SetEnvironmentVariableA("TOLVEK_UNZIP_WRITERS", nullptr);
      ClearDestination();
      nsis.push_back(RunNsis(argv[2]));
      ClearDestination();
      dllAlone.push_back(RunDllAlone(dll, argv[1]));
      std::printf(
          "run %d: ours %.3f s (package table %.3f s), ours one-threaded %.3f s, NSIS %.3f s, "
          "INSTALL.DLL alone %.3f s\n",
          i + 1, ours.back(), oursTable.back(), oneThread.back(), nsis.back(), dllAlone.back());
      std::fflush(stdout);
    }
    if (alone) {
      std::printf("median: ours %.3f s, package table %.3f s\n", Median(ours), Median(oursTable));
      return 0;
    }
    std::printf(
        "median: ours %.3f s, package table %.3f s, ours one-threaded %.3f s, NSIS %.3f s, "
        "INSTALL.DLL alone %.3f s\n",
        Median(ours), Median(oursTable), Median(oneThread), Median(nsis), Median(dllAlone));
    PrintRatios("ours / NSIS", ours, nsis, " (goal <= 0.45)");
    PrintRatios("ours one-threaded / NSIS", oneThread, nsis, "");
    PrintRatios("ours / ours one-threaded", ours, oneThread, "");
    PrintRatios("ours' package table / INSTALL.DLL alone", oursTable, dllAlone, " (goal <= 1.05)");
    PrintRatios("ours, whole installation / INSTALL.DLL alone", ours, dllAlone, "");
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench-install-driver: %s\n", error.what());
    return 1;
  }
}
