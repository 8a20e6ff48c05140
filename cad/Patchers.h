// Everything the install sequence calls to wire the product into AutoCAD.
#pragma once

#include "cad/LispPatcher.h"    // IWYU pragma: export
#include "cad/MenuPatcher.h"    // IWYU pragma: export
#include "cad/PgpPatcher.h"     // IWYU pragma: export
#include "cad/StartupLoad.h"    // IWYU pragma: export
#include "cad/SupportFolder.h"  // IWYU pragma: export
