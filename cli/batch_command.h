// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "cli/options.h"
#include "engine/participant.h"

namespace jabbery {

class RunCanceller;
class StopAwareOutput;

// jabbery-cli --batch: checks what the whole batch needs (the shard, from
// --shard or Slurm's job array; the seeds; the folder DIR; the steering
// options on `bots`, read from the folders given), then runs it with
// RunBatch, a progress line on `err` when `progress` (a terminal), and the
// summary on `out`. Problems go to `err` as one line each. Returns the
// exit status: 0 when every conversation is done, 1 when one failed or
// was interrupted or the summary could not be written, 2 when the batch
// could not start.
int RunBatchCommand(const CliOptions& options, const std::vector<Participant>& bots,
                    const RunCanceller& canceller, StopAwareOutput& out, StopAwareOutput& err,
                    bool progress);

}  // namespace jabbery
