// AutoCAD 2012 and later load per-user application bundles from the user's
// %APPDATA%\Autodesk\ApplicationPlugins folder: a folder named *.bundle whose PackageContents.xml
// says what to load and when. The product's bundle loads its AutoLISP file with every drawing,
// from a copy of its own in the bundle's Contents folder, so nothing of Autodesk's is changed.
// From 2014 on the bundle's folder is also added to the profiles' trusted paths (AcadReleases.h).
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit/ChangeRecorder.h"

namespace cad {

// Below the application-data folder, one folder a line, each created when missing.
inline constexpr std::array<std::string_view, 4> kBundleFolders{"Autodesk", "ApplicationPlugins",
                                                                "Tolvek.bundle", "Contents"};
inline constexpr std::string_view kPackageContentsName = "PackageContents.xml";
inline constexpr std::string_view kPackageContentsTempName = "PackageContents.new";

// PackageContents.xml, a line each. The ProductCode never changes: AutoCAD knows the product by
// it, and a later version of the bundle is the same product. SeriesMin R18.2 is 2012, the first
// release with the Autoloader; PerDocument loads the file in every drawing, as the start-up files
// of the earlier releases do. The platforms are every AutoCAD and AutoCAD LT ("ACLT"), which
// loads bundles from LT 2024 on (its own release keys, R30 and later, lie above R18.2). The
// second component is the partial customization file (cad/Cuix.h): the Autoloader loads it as a
// partial menu of the main one, with nothing written into any profile.
inline constexpr std::array<std::string_view, 17> kPackageContents{
    R"(<?xml version="1.0" encoding="utf-8"?>)",
    R"(<ApplicationPackage SchemaVersion="1.0")",
    R"(                    AutodeskProduct="AutoCAD")",
    R"(                    ProductType="Application")",
    R"(                    AppVersion="4.0.0")",
    R"(                    ProductCode="{98F342D9-89B0-4BAE-A695-379A0CF14568}")",
    R"(                    Name="Tolvek")",
    R"(                    Description="Libreria parametrica Tolvek">)",
    R"(  <Components>)",
    R"(    <RuntimeRequirements OS="Win32|Win64" Platform="AutoCAD*|ACLT" SeriesMin="R18.2" />)",
    R"(    <ComponentEntry AppName="Tolvek" ModuleName="./Contents/tolvek.lsp")",
    R"(                    AppDescription="Libreria parametrica Tolvek")",
    R"(                    LoadOnAutoCADStartup="True" PerDocument="True" />)",
    R"(    <ComponentEntry AppName="TolvekMenu" ModuleName="./Contents/Tolvek.cuix")",
    R"(                    AppDescription="Tolvek: barra degli strumenti e pannello" />)",
    R"(  </Components>)",
    R"(</ApplicationPackage>)",
};

// The AutoCAD system variable, kept per profile in the registry, that lists the trusted folders.
inline constexpr std::string_view kTrustedPathsName = "TRUSTEDPATHS";

// Puts the product's AutoLISP file and toolbar bitmaps into a folder (ending with a backslash).
using PlaceProductFiles = std::function<void(const std::string& folder)>;

// Lays the bundle below `appData`: its folders, the product's files in Contents (placed first),
// the partial customization file made from the placed bitmaps (cad/Cuix.h), then
// PackageContents.xml. Each of the last two is written only when it differs from the one there,
// through a temporary file, so that AutoCAD never finds half of it. Returns the Contents folder,
// without a trailing backslash; nothing, with nothing made, when `appData` is empty or does not
// exist. File failures raise EInOutError.
std::optional<std::string> LayBundle(const std::string& appData, const PlaceProductFiles& place,
                                     toolkit::ChangeRecorder& recorder);

// Whether LayBundle would make a file below `appData`: one of the bundle's is missing (a file
// there that differs is not counted). Not when `appData` is empty or does not exist, as LayBundle
// then makes nothing. Nothing is changed.
bool BundleLacksAFile(const std::string& appData);

// The ;-separated folder list `list` with `folder` added at its end, unless an entry already
// names it (letters a-z in either case, with or without a final backslash).
std::string WithTrustedPath(std::string_view list, std::string_view folder);

// The list without the entries that name `folder`, in the same sense; the others stay as they are.
std::string WithoutTrustedPath(std::string_view list, std::string_view folder);

// Adds `folder` to TRUSTEDPATHS under Profiles\<each profile>\Variables of the product key
// `productKey` ("\Software\Autodesk\AutoCAD\R25.1\ACAD-9101:409"), keeping what each holds,
// and returns how many profiles trust it now. Without a Profiles key (AutoCAD never started)
// nothing is made: AutoCAD's first start makes the profiles. Registry failures raise
// ERegistryException.
int TrustInEveryProfile(const std::string& productKey, const std::string& folder,
                        toolkit::ChangeRecorder& recorder);
// Whether TrustInEveryProfile would add `folder` to a profile: one whose TRUSTEDPATHS does not
// name it, or one without the Variables key. A value that is not text, which TrustInEveryProfile
// cannot extend, is not counted. Nothing is changed.
bool AnyProfileUntrusting(const std::string& productKey, const std::string& folder);

}  // namespace cad
