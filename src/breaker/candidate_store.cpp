#include "breaker/candidate_store.h"

#include "match/encoder_store.h"

void ReleaseCandidateStore(bool freeAll) {
    if (freeAll) ReleaseEncoderStore();
}
