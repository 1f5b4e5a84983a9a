// SPDX-License-Identifier: MIT
#include "pipeline/band_run.h"

#include <new>

#include "pipeline/resampled_rows.h"
#include "pipeline/worker_thread.h"

namespace bmpresize {

namespace {

void RunBand(void* band) { static_cast<Band*>(band)->Run(); }

// The bands, each with its buffer; NO_MEMORY where one could not be had.
Status MakeBands(RowsIn* const* rows, unsigned count, BandsShared& shared, std::unique_ptr<Band>* bands) {
  const std::int64_t height = shared.out.Array().height;
  for (unsigned b = 0; b < count; ++b) {
    const auto first = static_cast<std::int32_t>(height * b / count);
    const auto end = static_cast<std::int32_t>(height * (b + 1) / count);
    bands[b].reset(new (std::nothrow) Band(shared, *rows[b], first, end));
    if (!bands[b]) return Because(BMPRESIZE_CAUSE_NO_MEMORY);
    const Status prepared = bands[b]->Prepare();
    if (!prepared.Ok()) return prepared;
  }
  return {};
}

}  // namespace

StreamOutcome RunBands(RowsIn* const* rows, unsigned count, RowsOut& out, const RunRules& run) {
  BandsShared shared{out, run};
  std::unique_ptr<Band> bands[kMostBands];
  const Status made = MakeBands(rows, count, shared, bands);
  if (!made.Ok()) {
    StreamOutcome outcome;
    outcome.writeFailure = made.Why();
    return outcome;
  }
  WorkerThread threads[kMostBands];
  bool started[kMostBands] = {};
  for (unsigned b = 1; b < count; ++b) started[b] = threads[b].Start(&RunBand, bands[b].get());
  bands[0]->Run();
  for (unsigned b = 1; b < count; ++b) {
    if (started[b]) {
      threads[b].Join();
    } else {
      bands[b]->Run();
    }
  }
  return MergeBands(bands, count);
}

}  // namespace bmpresize
