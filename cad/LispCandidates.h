// The AutoCAD start-up AutoLISP files that receive the product's load line, releases 12 to 2005,
// in the order they are tested and patched, and the texts of the two kinds of change: releases
// 12 to 14 get an autoload line in their "AutoLoad LISP Applications" section; the document
// start-up files of 2000 to 2005 get a load line after their ACADxxxxDOC lines.
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace cad {

enum class LispStep {
  kAutoload,  // AddAutoloadLine
  kLoad,      // AddLoadLine
};

struct LispCandidate {
  std::string_view tested;     // appended to the AutoCAD folder to test that the release is here
  std::string_view subFolder;  // appended to the AutoCAD folder: the folder of the patched file
  std::string_view base;       // the patched file is folder + base + ".lsp"
  LispStep step;
};

// In 2004 and 2005 the session file (acad2004.lsp) proves the release is installed, but the line
// goes into the document file beside it (acad2004doc.lsp), which AutoCAD loads for each drawing.
inline constexpr std::array<LispCandidate, 18> kLispCandidates{{
    {"\\acadr12.lsp", "", "\\acadr12", LispStep::kAutoload},
    {"\\support\\acadr12.lsp", "\\support", "\\acadr12", LispStep::kAutoload},
    {"\\acadr13.lsp", "", "\\acadr13", LispStep::kAutoload},
    {"\\support\\acadr13.lsp", "\\support", "\\acadr13", LispStep::kAutoload},
    {"\\win\\acadr13.lsp", "\\win", "\\acadr13", LispStep::kAutoload},
    {"\\win\\support\\acadr13.lsp", "\\win\\support", "\\acadr13", LispStep::kAutoload},
    {"\\com\\acadr13.lsp", "\\com", "\\acadr13", LispStep::kAutoload},
    {"\\com\\support\\acadr13.lsp", "\\com\\support", "\\acadr13", LispStep::kAutoload},
    {"\\acadr14.lsp", "", "\\acadr14", LispStep::kAutoload},
    {"\\support\\acadr14.lsp", "\\support", "\\acadr14", LispStep::kAutoload},
    {"\\acad2000.lsp", "", "\\acad2000", LispStep::kLoad},
    {"\\support\\acad2000.lsp", "\\support", "\\acad2000", LispStep::kLoad},
    {"\\acad2002.lsp", "", "\\acad2002", LispStep::kLoad},
    {"\\support\\acad2002.lsp", "\\support", "\\acad2002", LispStep::kLoad},
    {"\\acad2004.lsp", "", "\\acad2004doc", LispStep::kLoad},
    {"\\support\\acad2004doc.lsp", "\\support", "\\acad2004doc", LispStep::kLoad},
    {"\\acad2005.lsp", "", "\\acad2005doc", LispStep::kLoad},
    {"\\support\\acad2005doc.lsp", "\\support", "\\acad2005doc", LispStep::kLoad},
}};

inline constexpr std::string_view kLispExtension = ".lsp";
inline constexpr std::string_view kLispTempName = "\\lisp.new";
inline constexpr std::string_view kLispBackupExtension = ".bak";

// The texts of one kind of change. "LOAD "TOLVEK" is part of "AUTOLOAD "TOLVEK", so a document
// file that already autoloads the product counts as patched too.
struct LispEdit {
  std::string_view marker;                            // an earlier installation
  std::span<const std::string_view> insertionPoints;  // a line holding any of them gets the block
  std::array<std::string_view, 3> block;              // written after each such line
};

inline constexpr std::array<std::string_view, 1> kAutoloadInsertionPoints{
    "AUTOLOAD LISP APPLICATIONS"};
inline constexpr std::array<std::string_view, 3> kLoadInsertionPoints{"ACAD2000DOC", "ACAD2002DOC",
                                                                      "ACAD2004DOC"};

// The blank lines around the added line hold one space each, not nothing.
inline constexpr LispEdit kAutoloadEdit{
    "AUTOLOAD \"TOLVEK",
    kAutoloadInsertionPoints,
    {" ", "(autoload \"tolvek\" '(\"tolvek\"))", " "},
};

inline constexpr LispEdit kLoadEdit{
    "LOAD \"TOLVEK",
    kLoadInsertionPoints,
    {" ", "(load \"tolvek\" '(\"tolvek\"))", " "},
};

}  // namespace cad
