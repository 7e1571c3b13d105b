// The grouped count: P of every candidate of a trial code, class by class, over the candidate
// groups ordered within each M-class, given up as soon as the bounds of class_bounds.h show the
// trial code strictly worse than the best so far. The count loops are made once per code
// length, packed (two places to a byte, by sign or by the group's own signs) or not, and per
// height of P.
#pragma once

#include <cstdint>

#include "breaker/class_bounds.h"
#include "breaker/class_pass.h"

// Counts P class by class into plan.Counts, the largest classes first (there the trial code most
// likely loses); false as soon as it has lost.
bool CountClasses(const TrialPattern& pattern, ClassPlan& plan, int32_t bestMax,
                  int64_t bestSquares);
