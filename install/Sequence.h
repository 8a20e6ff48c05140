// The whole installation, run by the main dialog's install button.
#pragma once

namespace install {

// Creates the destination tree, wires the product into AutoCAD, extracts the packages and ends
// with the completion step. Errors end it where they happen and reach the application's handler.
void RunInstall();

}  // namespace install
