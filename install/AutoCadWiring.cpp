#include "install/AutoCadWiring.h"

#include "cad/SupportFolder.h"
#include "config/FrontEnd.h"
#include "config/Vars.h"

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
  return "AutoCAD " + year + "(" + product.release + " " + product.product + ")";
}

}  // namespace

std::string MainSupportFolder(const std::string& acadFolder) {
  return ChosenProductSupport(acadFolder).value_or(cad::GetAcadSupportDir());
}

std::optional<std::string> FindMainSupportFolder(const std::string& acadFolder) {
  if (std::optional<std::string> chosen = ChosenProductSupport(acadFolder)) return chosen;
  return cad::FindAcadSupportDir();
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
        how = v.LogWayOlder;
        break;
      case Way::kNotOpened:
        how = v.LogWayNotOpened;
        break;
      case Way::kAtLogon:
        how = v.LogWayAtLogon;
        break;
    }
    frontEnd.Note(Named(*wired.product) + ": " + how);
    for (const std::string& file : wired.shadowedBy) {
      frontEnd.Note(Named(*wired.product) + ": " + config::FormatMessage(v.LogShadowed, {file}));
      report +=
          "\r\n\r\n" + config::FormatMessage(v.MsgAcadDocShadowed, {Named(*wired.product), file});
    }
    if (wired.projectAware) {
      frontEnd.Note(Named(*wired.product) + ": " +
                    config::FormatMessage(v.LogProjectAware, {wired.where}));
    }
  }
  return report;
}

}  // namespace install
