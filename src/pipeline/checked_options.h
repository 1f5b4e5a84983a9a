// SPDX-License-Identifier: MIT
// The options' values checked before a resize reads anything: one list of
// checks, each refusing a value out of its range with OPTION and the value.
#pragma once

#include "bmpresize.h"
#include "result/status.h"

namespace bmpresize {

Status CheckOptions(const bmpresize_options& options);

}  // namespace bmpresize
