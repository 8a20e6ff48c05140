#include "install/AutoCadWiring.h"

#include "cad/SupportFolder.h"
#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "toolkit/FileSystem.h"

namespace install {
namespace {

using Way = cad::ProductWiring::Way;

std::optional<std::string> ChosenProductSupport(const std::string& acadFolder) {
  const std::vector<cad::AcadProduct> products = cad::FindAcadProducts();
  const cad::AcadProduct* chosen = cad::ProductInstalledIn(products, acadFolder);
  if (chosen == nullptr) return std::nullopt;
  return chosen->supportFolder;
}

std::string Named(const cad::AcadProduct& product) {
  const std::string year = product.row != nullptr ? std::to_string(product.row->year) + " " : "";
  return std::string(product.lt ? "AutoCAD LT " : "AutoCAD ") + year + "(" + product.release + " " +
         product.product + ")";
}

// What the closing box says of a product the user never started: nothing where it loads the
// product at its first start anyway (the bundle of 2012 to 2015, trusted by default there).
std::string NotStartedReport(const cad::ProductWiring& wired) {
  const config::ConfigurationBlock& v = config::Vars;
  const cad::AcadRelease& row = *wired.product->row;
  if (wired.where.empty()) return config::FormatMessage(v.MsgNotStarted, {Named(*wired.product)});
  if (row.load == cad::AcadLoad::kTrustedBundle && (row.year >= 2016 || wired.product->lt)) {
    return config::FormatMessage(v.MsgNotStartedUntrusted, {Named(*wired.product), wired.where});
  }
  return {};
}

}  // namespace

std::string MainSupportFolder(const std::string& acadFolder) {
  return ChosenProductSupport(acadFolder).value_or(cad::GetAcadSupportDir());
}

std::optional<std::string> FindMainSupportFolder(const std::string& acadFolder) {
  if (std::optional<std::string> chosen = ChosenProductSupport(acadFolder)) return chosen;
  return cad::FindAcadSupportDir();
}

bool ToolbarThroughBundle(const cad::LispWiring& wiring, const std::string& mainSupport) {
  const auto folded = [](const std::string& folder) {
    return toolkit::fs::FoldCase(toolkit::fs::StripTrailingBackslash(folder));
  };
  for (const cad::ProductWiring& wired : wiring.products) {
    if (wired.product == nullptr || !wired.product->supportFolder ||
        folded(*wired.product->supportFolder) != folded(mainSupport)) {
      continue;
    }
    if (wired.way == Way::kBundle || wired.way == Way::kTrustedBundle) return true;
  }
  return false;
}

std::string NoteWiring(config::FrontEnd& frontEnd, const cad::LispWiring& wiring) {
  const config::ConfigurationBlock& v = config::Vars;
  std::string report;
  for (const cad::ProductWiring& wired : wiring.products) {
    if (wired.product == nullptr) continue;
    std::string how;
    switch (wired.way) {
      case Way::kAcadDoc:
        how = v.LogWayAcadDoc + " " + wired.where;
        break;
      case Way::kBundle:
        how = v.LogWayBundle + " " + wired.where;
        break;
      case Way::kTrustedBundle:
        how = v.LogWayBundle + " " + wired.where + ", " + v.LogWayTrusted + " " +
              std::to_string(wired.trustedProfiles);
        break;
      case Way::kNotStarted:
        how = v.LogWayNotStarted;
        break;
      case Way::kOlder:
        how = wired.product->lt ? v.LogWayLtOlder : v.LogWayOlder;
        break;
      case Way::kNotOpened:
        how = v.LogWayNotOpened;
        break;
      case Way::kAtLogon:
        how = v.LogWayAtLogon;
        break;
    }
    frontEnd.Note(Named(*wired.product) + ": " + how);
    if (wired.way == Way::kNotStarted) {
      const std::string line = NotStartedReport(wired);
      if (!line.empty()) report += "\r\n\r\n" + line;
    }
    for (const std::string& file : wired.shadowedBy) {
      frontEnd.Note(Named(*wired.product) + ": " + config::FormatMessage(v.LogShadowed, {file}));
      report +=
          "\r\n\r\n" + config::FormatMessage(v.MsgAcadDocShadowed, {Named(*wired.product), file});
    }
    if (wired.projectAware) {
      frontEnd.Note(Named(*wired.product) + ": " +
                    config::FormatMessage(v.LogProjectAware, {wired.where}));
      report += "\r\n\r\n" +
                config::FormatMessage(v.MsgProjectAware, {Named(*wired.product), wired.where});
    }
  }
  return report;
}

}  // namespace install
