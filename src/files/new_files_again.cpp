// SPDX-License-Identifier: MIT
#include "files/files_in_flight.h"

namespace bmpresize {

void AllowNewFilesAgain() { RemovalLatch().store(0); }

}  // namespace bmpresize
