// The engine's questions as a person meets them, each in a typed box with the buttons it needs.
#pragma once

#include <string>

#include "config/FrontEnd.h"

namespace app {

// Shows the question in a typed box: true for OK (any way of closing a disk prompt but Cancel),
// Yes or Retry.
bool AskInABox(config::Question question, const std::string& text);

}  // namespace app
