// What the tests of the 64-bit prefix lay around each test and read back: a demo medium, an
// AutoCAD product registered where the machine registers it, AutoCAD's keys and the product's
// entry taken away in both registry views, and a profile's trusted paths and files.
#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <string>

#include "tests/wine/support/Wow64.h"

namespace winetest::wow64 {

// An AutoCAD product as the machine registers it: AutoCAD 2009 in the 32-bit view, 2020 and
// later in the 64-bit one.
struct AcadProduct {
  const char* release;  // "R25.1"
  const char* key;      // "ACAD-9101:409"
  const char* folder;   // below the Program Files of its view
  View view;
};

// Its key below HKLM or HKCU: "Software\Autodesk\AutoCAD\R25.1\ACAD-9101:409".
std::string ProductKey(const AcadProduct& product);
// Its first profile's variables below HKCU, where TRUSTEDPATHS is.
std::string VariablesKey(const AcadProduct& product);
// Makes the product's folder below its Program Files and registers it as the product's
// AcadLocation; the registry's error code, or ERROR_SUCCESS.
LONG RegisterInstalled(const AcadProduct& product);

// The demo product's medium in `folder`, with the installer just built.
void BuildDemoMedium(const std::string& folder);

// Deletes each key, with its sub-keys, below HKLM and HKCU in both views.
void DeleteEverywhere(std::initializer_list<std::string> keys);

// TRUSTEDPATHS of a profile's variables key (HKCU, 64-bit view), or "<none>".
std::string TrustedPaths(const std::string& variablesKey);

// Every file and folder below `folder`, by its name relative to it: a file's text, a folder's
// (name ending in '\') nothing; the .bak backups, which the installations leave, left out.
std::map<std::string, std::optional<std::string>> FilesBelow(const std::string& folder);

}  // namespace winetest::wow64
