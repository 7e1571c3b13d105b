// The search's counters and its time limit in hundredths.
#include "breaker/search_progress.h"

SearchProgressRecord SearchProgress;

void SetTimeLimits(int timeLimitTens) {
    SearchProgress.TimeLimit = timeLimitTens * 1000;
    SearchProgress.TimeLimitSlack = SearchProgress.TimeLimit + 99;
    SearchProgress.TimeLimitTenth = timeLimitTens * 100;
}
