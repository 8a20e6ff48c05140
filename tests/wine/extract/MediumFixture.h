// The scene of an installation from a real medium under Wine: a demo product written onto the
// C: drive, a medium built from it beside INSTALL.EXE and INSTALL.DLL as built, an AutoCAD folder
// of release 14 whose menu and start-up files the installer can patch, and the check that every
// product file was installed where it belongs, byte for byte.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/medium/Medium.h"

namespace extractwine {

namespace fs = std::filesystem;

inline const std::string kDestination = "C:\\Tolvek4";
inline const std::string kCadFolder = "C:\\Programmi\\Autocad 2006";
inline const std::string kMedium = "C:\\medium";
inline const std::string kScratch = "C:\\tolvek-extract-test";

// Removes everything the scene and an installation leave on the drive, and the product's entry
// in Add or Remove Programs.
void ClearScene();

// Removes the destination folder and the product's entry, as if nothing were installed.
void RemoveInstallation();

// Writes the demo product (small, with members of several progress steps) and returns its folder.
fs::path WriteProduct();

// The folder holding the INSTALL.EXE and INSTALL.DLL under test: the build's, or the one the
// environment's TOLVEK_INSTALLER_DIR names (the signing tests run installations from signed
// copies).
fs::path InstallerDir();

// A release-14 AutoCAD folder: support\acad.mns with both menu sections, support\acadr14.lsp
// with the section the start-up line goes into.
void WriteAutoCadFolder();

// Every product file where the installer puts it; the messages name each difference.
std::vector<std::string> DifferencesFromProduct(const fs::path& product);
// The same for AutoCAD 2004 or later: the AutoCAD files go into `cadSupportFolder` (the profile's
// support folder the registry names), none beside AutoCAD itself, and a copy of them into the
// destination's AutoCAD folder.
std::vector<std::string> DifferencesFromProduct(const fs::path& product,
                                                const std::string& cadSupportFolder);

// Copies every file of `from` into `to`, as a user copies a disk's files.
void CopyFiles(const fs::path& from, const fs::path& to);

}  // namespace extractwine
