// The headless Program Manager: a test starts it (or leaves it stopped, as when no shell serves
// DDE), may let it refuse transactions, and reads the commands it received. Conversations record
// the program starts they attempted when no server answered.
#pragma once

#include <string>
#include <vector>

namespace toolkit::headless {

struct FakeProgramManager {
  bool running = false;
  bool refuseTransactions = false;
  // Whether starting the service's program brings the server up, and what the start returns.
  bool startBringsServerUp = false;
  unsigned startResult = 2;
  std::vector<std::string> commands;
  std::vector<std::string> startedPrograms;
  int connections = 0;
  int disconnections = 0;
};

FakeProgramManager& ProgramManager();

}  // namespace toolkit::headless
