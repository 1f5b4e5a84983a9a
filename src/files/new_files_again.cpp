// SPDX-License-Identifier: MIT
#include "files/files_in_flight.h"

namespace bmpresize {

void AllowNewFilesAgain() { removingFilesInFlight.store(0); }

}  // namespace bmpresize
