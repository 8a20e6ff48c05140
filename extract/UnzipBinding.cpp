#include "extract/UnzipBinding.h"

namespace extract {

// The library is loaded here once the binding exists; until then there is nothing to release.
void LoadUnzipLibrary() {}
void UnloadUnzipLibrary() {}

}  // namespace extract
