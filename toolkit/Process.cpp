#include "toolkit/Process.h"

namespace toolkit {

void ReleaseClaimedMutex(MutexId mutex) { Proc().ReleaseMutex(mutex); }

}  // namespace toolkit
