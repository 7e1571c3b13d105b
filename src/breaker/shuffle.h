// The bucket table with which the candidate store is shuffled.
#pragma once

// Empties every bucket; done at start-up and after every store build.
void ClearShuffleBuckets();
