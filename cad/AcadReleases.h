// The AutoCAD releases sold since 2006, as the registry names them, and how each one loads the
// product's AutoLISP file in every drawing. Releases 12 to 2005 have the start-up files of
// cad/LispCandidates.h instead; a release after these only ever has an AutoLISP file of its own
// that Autodesk reserves ("do not modify", replaced by updates and repairs), which the installer
// never touches.
#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <utility>

namespace cad {

enum class AcadLoad {
  // acaddoc.lsp, the user's own file, which AutoCAD loads with every drawing from the first
  // folder of its support path that holds one: the load block at its end.
  kAcadDoc,
  // An Autoloader bundle in the user's ApplicationPlugins folder (2012 and later).
  kBundle,
  // The bundle, with its folder added to every profile's TRUSTEDPATHS: from 2014 SECURELOAD warns
  // about code from folders that are not trusted, and from 2016 the per-user bundle folders are
  // no longer trusted by default. Trusting the folder where the variable exists keeps the
  // product loading without a question whatever an administrator made of the defaults.
  kTrustedBundle,
};

struct AcadRelease {
  std::string_view curVer;  // the release key, as "CurVer" under Software\Autodesk\AutoCAD names it
  int year;
  AcadLoad load;
};

// In the order of their R numbers: a release key that lies between two rows belongs to the
// earlier one, and one beyond the last counts as the newest known.
// clang-format off
inline constexpr std::array<AcadRelease, 21> kAcadReleases{{
    {"R16.2", 2006, AcadLoad::kAcadDoc},
    {"R17.0", 2007, AcadLoad::kAcadDoc},
    {"R17.1", 2008, AcadLoad::kAcadDoc},
    {"R17.2", 2009, AcadLoad::kAcadDoc},
    {"R18.0", 2010, AcadLoad::kAcadDoc},
    {"R18.1", 2011, AcadLoad::kAcadDoc},
    {"R18.2", 2012, AcadLoad::kBundle},
    {"R19.0", 2013, AcadLoad::kBundle},
    {"R19.1", 2014, AcadLoad::kTrustedBundle},
    {"R20.0", 2015, AcadLoad::kTrustedBundle},
    {"R20.1", 2016, AcadLoad::kTrustedBundle},
    {"R21.0", 2017, AcadLoad::kTrustedBundle},
    {"R22.0", 2018, AcadLoad::kTrustedBundle},
    {"R23.0", 2019, AcadLoad::kTrustedBundle},
    {"R23.1", 2020, AcadLoad::kTrustedBundle},
    {"R24.0", 2021, AcadLoad::kTrustedBundle},
    {"R24.1", 2022, AcadLoad::kTrustedBundle},
    {"R24.2", 2023, AcadLoad::kTrustedBundle},
    {"R24.3", 2024, AcadLoad::kTrustedBundle},
    {"R25.0", 2025, AcadLoad::kTrustedBundle},
    {"R25.1", 2026, AcadLoad::kTrustedBundle},
}};
// clang-format on

// AutoCAD LT's releases that load the product: from LT 2024 on, LT runs AutoLISP and loads
// bundles. LT keeps release keys of its own under Software\Autodesk\AutoCAD LT (R30 is LT 2024,
// R32 LT 2026); an earlier key is an LT that runs no AutoLISP. Its per-user bundle folders are
// not trusted by default, as in AutoCAD since 2016.
// clang-format off
inline constexpr std::array<AcadRelease, 3> kAcadLtReleases{{
    {"R30", 2024, AcadLoad::kTrustedBundle},
    {"R31", 2025, AcadLoad::kTrustedBundle},
    {"R32", 2026, AcadLoad::kTrustedBundle},
}};
// clang-format on

// The row of the release key `curVer` ("R17.1"); nullptr for a release before 2006 and for a
// text that is no release key at all.
const AcadRelease* FindAcadRelease(std::string_view curVer);
// The same for AutoCAD LT's release keys: nullptr before LT 2024.
const AcadRelease* FindAcadLtRelease(std::string_view curVer);

// "R17.1" as (17, 1); "R18" as (18, 0). Nothing for any other text.
std::optional<std::pair<int, int>> ParseReleaseKey(std::string_view key);

}  // namespace cad
