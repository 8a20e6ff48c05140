// What one run of the installer learns and changes as it goes, apart from the configuration
// block, which describes the product and its texts: whether an installation completed, which disk
// is asked for next, the folder being worked on, and a stop the user asked for. It lives as long
// as the run, and reaches the engine through the front end (config::FrontEnd::State).
#pragma once

#include <cstdint>
#include <string>

namespace config {

struct RunState {
  // An installation of this run completed: the readme is shown as the dialog closes.
  bool installDone = false;
  // The disk asked for: 1 at each press of the install button, raised for each package missing.
  std::int32_t diskNumber = 0;
  // The folder being worked on: first the AutoCAD folder, then the destination.
  std::string workDir;
  // The user asked the extraction to stop; the library is told at its next call back.
  bool cancelRequested = false;
};

}  // namespace config
