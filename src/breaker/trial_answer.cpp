// The answer to the computer's trial and the thinning that follows it: the answer from the fixed
// secret, the not-fixed encoder or the human; the candidates of its class kept; the signs that
// can no longer occur killed (one kept as a blank); the trial codes that hold them removed.
#include "breaker/trial_answer.h"

#include <cstring>

#include "breaker/answer_order.h"
#include "breaker/candidate_groups.h"
#include "breaker/candidate_store.h"
#include "breaker/class_pass.h"
#include "breaker/engine_state.h"
#include "breaker/long_work.h"
#include "breaker/sign_tables.h"
#include "breaker/trial_chain.h"
#include "match/human_answer.h"
#include "shell/console/console.h"
#include "shell/settings.h"

namespace {

int LiveSigns() {
    int live = 0;
    for (int sign = 1; sign <= RingSize; ++sign) live += SignAlive[sign] != 0;
    return live;
}

bool Holds(const uint8_t* signs, int length, int sign) {
    for (int k = 0; k < length; ++k)
        if (signs[k] == sign) return true;
    return false;
}

// Signs that can no longer occur in the secret, after an answer that is not 0/0 (a 0/0
// answer has already killed the trial's signs).
void DeadSigns(bool signsKnownOnEntry, int p, int z, const uint8_t* trial) {
    const int length = Length();
    if (signsKnownOnEntry) {
        KillCount = 0;
        return;
    }
    if (p + z == 0) return;
    KillCount = 0;
    std::memset(SignSeen, 0, sizeof SignSeen);
    if (p + z == length) {
        // The trial holds exactly the signs of the secret; only their order is open.
        SignsKnown = 1;
        for (int k = 0; k < length; ++k) SignSeen[trial[k]] = 1;
    } else {
        SignsOfCandidates(SignSeen);
    }
    SignSeen[0] = 0;
    int possible = 0;
    for (int sign = 1; sign <= RingSize; ++sign) possible += SignSeen[sign] != 0;
    PossibleSignCount = static_cast<uint8_t>(possible);
    if (possible >= LiveSigns()) return;
    for (int sign = RingSize; sign >= 1; --sign) {
        if (!SignAlive[sign] || SignSeen[sign]) continue;
        SignAlive[sign] = 0;
        KillList[KillCount++] = static_cast<uint8_t>(sign);
    }
}

// Once per match a dead sign stays in the trial codes, to serve as a blank.
void KeepBlank() {
    if (KillCount == 0) return;
    if (LiveSigns() < 3 && Length() > 3 && !DeadBlankKept) {
        DeadBlankKept = 1;
        --KillCount;
    }
    // The vacant sign is in play only over two signs, where any kill leaves a single candidate
    // and the thinning never gets here; the rule stands for completeness: the dead sign then
    // takes over the blank's role and the codes with the vacant sign go instead.
    if (KillCount > 0 && VacantInTrials) {
        KillList[KillCount - 1] = 0;
        VacantInTrials = 0;
    }
}

}  // namespace

// The answer to the chosen trial: from the computer's fixed secret, from its encoder of a code
// that is not fixed (the class that keeps the most codes open), or from the human. False when
// the human broke the match off.
bool AnswerTrial(const Code& trial, const BestTrial& best, int& p, int& z, uint8_t& keyOut) {
    const int length = Length();
    p = 0;
    z = 0;
    if (Settings.ComputerEncodes && Settings.AnswerFixed) {
        const Score score = ScoreTrial(trial, SecretCode, length);
        p = score.P;
        z = score.Z;
    } else if (Settings.ComputerEncodes) {
        int m = 0;
        if (CandidateStore.CandidateCount > 1) {
            EncoderAnswer(best.Counts.Table, p, m);
        } else {
            TrialPattern pattern;
            MakeTrialPattern(best.Signs, length, pattern);
            CandidateClass(pattern, 0, m, p);
        }
        z = m - p;
    }
    if (!Settings.ComputerEncodes) {
        Beep();
        return ReadHumanAnswer(best.Counts.Table, p, z, keyOut);
    }
    return true;
}

// Shows the computer's own answer.
void ShowAnswer(const TrialPlace& at, int p, int z) {
    WriteDigit(at.PX, at.Y, p);
    WriteDigit(at.ZX, at.Y, z);
    GotoXY(at.ZX, at.Y);
    if (p == Length()) Beep();
}

// The candidates that would have given this answer stay, in their order; a 0/0 answer kills
// every live sign of the trial. False when no candidate is left (answers that contradict each
// other).
bool KeepAnswerClass(const uint8_t* trial, int p, int z, bool signsKnownOnEntry) {
    const int length = Length();
    KillCount = 0;
    TrialPattern pattern;
    MakeTrialPattern(trial, length, pattern);
    const int knownM = signsKnownOnEntry ? FirstCandidateM(pattern) : -1;
    KeepCandidates(pattern, knownM, p + z, p);
    KeepGroupedCandidates(pattern, knownM >= 0 ? knownM : p + z, p);
    if (p + z == 0) {
        for (int sign = RingSize; sign >= 1; --sign) {
            if (!SignAlive[sign] || !Holds(trial, length, sign)) continue;
            SignAlive[sign] = 0;
            KillList[KillCount++] = static_cast<uint8_t>(sign);
        }
        PossibleSignCount = static_cast<uint8_t>(LiveSigns());
        if (KillCount > 0) FillerSign = KillList[KillCount - 1];
    }
    const CandidateStoreRecord& s = CandidateStore;
    if (s.CandidateCount == 0) return false;
    if (s.CandidateCount == 1 && Settings.ComputerEncodes && !Settings.AnswerFixed) {
        // The computer's code that is not fixed is decided: shown at the end however it ends.
        uint8_t signs[MaxCodeLength];
        for (int k = 0; k < length; ++k) signs[k] = s.CandidatePositions[k][0];
        SecretCode = CodeOf(signs, length);
    }
    return true;
}

// The trial codes after the answer: with one or two candidates left they are the candidates
// themselves; otherwise the trial goes, and so does every code holding a sign that can no
// longer occur. False when Esc or Ctrl-C broke the match off in between.
bool ThinTrialCodes(const BestTrial& best, bool realSearch, int p, int z, bool signsKnownOnEntry) {
    if (CandidateStore.CandidateCount <= 2) {
        OpeningPhase = 0;
        TrialChainFromCandidates();
        return true;
    }
    if (realSearch) UnlinkTrial(best.Index);
    if (WorkTick() == WorkKey::BreakOff) return false;
    DeadSigns(signsKnownOnEntry, p, z, best.Signs);
    KeepBlank();
    if (KillCount > 0) {
        uint8_t flags[RingSize + 1] = {};
        for (int i = 0; i < KillCount; ++i) flags[KillList[i]] = 1;
        RemoveTrialsHolding(flags);
    }
    return true;
}
