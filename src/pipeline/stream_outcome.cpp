// SPDX-License-Identifier: MIT
#include "pipeline/stream_outcome.h"

#include "pipeline/cancel_flag.h"

namespace bmpresize {

namespace {

// Where the data ended, as the bands found it: every band that meets the end
// finds it at the same row, and a band that does not tells the rest.
void MergeShortfall(const DataShortfall& band, bool first, DataShortfall& merged) {
  if (band.cutShort && (!merged.cutShort || band.rowsRead < merged.rowsRead)) merged = band;
  if (first && !merged.cutShort) merged = band;
}

}  // namespace

StreamOutcome MergeBands(const std::unique_ptr<Band>* bands, unsigned count) {
  StreamOutcome outcome;
  outcome.streamed = true;
  for (unsigned b = 0; b < count; ++b) {
    const Band& band = *bands[b];
    const RowsIn& rows = band.Rows();
    if (rows.ReadFailure() && !outcome.readFailure) outcome.readFailure = rows.ReadFailure();
    if (!band.WriteFailure().Ok() && !outcome.writeFailure) outcome.writeFailure = band.WriteFailure().Why();
    outcome.streamed = outcome.streamed && band.Done();
    MergeShortfall(rows.Shortfall(), b == 0, outcome.shortfall);
  }
  if (!outcome.writeFailure) outcome.writeFailure = Because(BMPRESIZE_CAUSE_WRITE_FAILED);
  return outcome;
}

Cause WhyNotFinished(const StreamOutcome& outcome, const RunRules& run) {
  const DataShortfall& shortfall = outcome.shortfall;
  if (Cancelled(run)) return Because(BMPRESIZE_CAUSE_CANCELLED);
  if (outcome.readFailure) return outcome.readFailure;
  if (run.strict && shortfall.cutShort) return Because(BMPRESIZE_CAUSE_CUT_SHORT, shortfall.rowsRead, shortfall.height);
  if (!outcome.streamed) return outcome.writeFailure;
  return Cause();
}

void CopyShortfall(const DataShortfall& from, bmpresize_shortfall& to) {
  to.cut_short = from.cutShort;
  to.top_down = from.topDown;
  to.repeats_last_pixel = from.repeatsLastPixel;
  to.rows_read = from.rowsRead;
  to.rows = from.height;
}

}  // namespace bmpresize
