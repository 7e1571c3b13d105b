// The computer's code stores.
#include "breaker/candidate_store.h"

#include "match/encoder_store.h"
#include "setup/capacity.h"

void ReleaseCandidateStore(bool freeAll) {
    if (freeAll) ReleaseEncoderStore();
    UpdateMaxSigns();
}
