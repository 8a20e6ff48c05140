// The registry names an AutoCAD release only by its R number; the installer's choice between
// acaddoc.lsp and a bundle, and whether to trust the bundle's folder, hangs on reading it right.
// The names below are written out again from Autodesk's list, not taken from the table, so that a
// wrong row shows.
#include "cad/AcadReleases.h"

#include <gtest/gtest.h>

namespace cad {
namespace {

struct Named {
  const char* curVer;
  int year;  // 0: not a release of 2006 or later
};

TEST(AcadReleasesTest, EveryReleaseKeyNamesItsYear) {
  const Named names[] = {
      {"R16.2", 2006},
      {"R17.0", 2007},
      {"R17.1", 2008},
      {"R17.2", 2009},
      {"R18.0", 2010},
      {"R18.1", 2011},
      {"R18.2", 2012},
      {"R19.0", 2013},
      {"R19.1", 2014},
      {"R20.0", 2015},
      {"R20.1", 2016},
      {"R21.0", 2017},
      {"R22.0", 2018},
      {"R23.0", 2019},
      {"R23.1", 2020},
      {"R24.0", 2021},
      {"R24.1", 2022},
      {"R24.2", 2023},
      {"R24.3", 2024},
      {"R25.0", 2025},
      {"R25.1", 2026},
      // Later than the newest known: the newest known. Between two: the earlier one.
      {"R25.2", 2026},
      {"R26.0", 2026},
      {"R100.0", 2026},
      {"R21.1", 2017},
      {"R18", 2010},
      {"r17.1", 2008},
      // 2005 and earlier have their start-up files; anything else is no release key.
      {"R16.1", 0},
      {"R16.0", 0},
      {"R15.0", 0},
      {"", 0},
      {"R", 0},
      {"17.1", 0},
      {"R17.1x", 0},
      {"R17..1", 0},
      {"R17.1.2", 0},
      {"ACAD-9101:409", 0},
      {"R99999.0", 0}};
  for (const Named& named : names) {
    const AcadRelease* release = FindAcadRelease(named.curVer);
    EXPECT_EQ(release == nullptr ? 0 : release->year, named.year) << named.curVer;
  }
}

TEST(AcadReleasesTest, EachReleaseLoadsTheWayItsYearAllows) {
  // acaddoc.lsp until the Autoloader comes (2012); its folder trusted once SECURELOAD exists.
  for (const AcadRelease& release : kAcadReleases) {
    const AcadLoad expected = release.year < 2012   ? AcadLoad::kAcadDoc
                              : release.year < 2014 ? AcadLoad::kBundle
                                                    : AcadLoad::kTrustedBundle;
    EXPECT_EQ(release.load, expected) << release.curVer;
  }
}

}  // namespace
}  // namespace cad
