// The readme viewer: shown once, when the user leaves after a completed installation.
#pragma once

#include <memory>

#include "toolkit/Controls.h"
#include "toolkit/Forms.h"

namespace app {

class TLister : public toolkit::Form {
 public:
  TLister();
  toolkit::RichEdit RichEdit1{this, "RichEdit1"};
};

extern std::unique_ptr<TLister> Lister;

// After a completed installation (and when configured), shows the installed readme file in the
// viewer, modally, with its path in upper case as the caption.
void ShowReadmeIfInstalled();

// Upper-cases the letters a to z only, leaving every other character as it is.
std::string UpperCaseAscii(std::string text);

}  // namespace app
