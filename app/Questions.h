// The engine's questions as a person meets them, each in a typed box with the buttons it needs,
// and the one line every front end writes to the log for a question and its answer.
#pragma once

#include <string>

#include "app/InstallLog.h"
#include "config/FrontEnd.h"

namespace app {

// Shows the question in a typed box: true for OK (any way of closing a disk prompt but Cancel),
// Yes or Retry.
bool AskInABox(config::Question question, const std::string& text);

void LogAnswer(InstallLog& log, const std::string& text, bool yes);

}  // namespace app
