// The bucket table of the candidate store. (The store itself arrives with the code-breaker.)
#include "breaker/shuffle.h"

void ClearShuffleBuckets() {}
