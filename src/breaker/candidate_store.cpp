// The computer's code stores.
#include "breaker/candidate_store.h"

#include "setup/capacity.h"

void ReleaseCandidateStore(bool freeAll) {
    // No store is built yet: there is nothing to free.
    (void)freeAll;
    UpdateMaxSigns();
}
