// The computer's code stores: one heap record per code of the codebreaker's universe, and one per
// possible secret for the encoder of a code that is not fixed.
#pragma once

// Frees the stores (when freeAll is set) and recomputes the capacity table of the memory level
// when the budget has changed since it was last computed. Safe to call at any time, repeatedly.
void ReleaseCandidateStore(bool freeAll);
