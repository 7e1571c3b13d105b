// The computer's trial: the choice by minimax over the trial codes, and the whole turn
// (ChooseTrial); the answer and the thinning after it are in trial_answer.cpp.
#include "breaker/trial_choice.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "breaker/answer_order.h"
#include "breaker/candidate_groups.h"
#include "breaker/candidate_store.h"
#include "breaker/chosen_trial.h"
#include "breaker/class_pass.h"
#include "breaker/engine_state.h"
#include "breaker/few_candidates.h"
#include "breaker/long_work.h"
#include "breaker/opening_book.h"
#include "breaker/record_ranks.h"
#include "breaker/search_driver.h"
#include "breaker/search_progress.h"
#include "breaker/shared_signs.h"
#include "breaker/sign_tables.h"
#include "breaker/trial_answer.h"
#include "breaker/trial_chain.h"
#include "breaker/twin_trials.h"
#include "calendar/clock_text.h"
#include "match/board.h"
#include "match/human_answer.h"
#include "shell/console/console.h"
#include "shell/keywait.h"
#include "shell/settings.h"

namespace {

std::string TextOf(const Code& code, int length) {
    return std::string(code.begin(), code.begin() + length);
}

// Shows a code at the trial's place and leaves the cursor there.
void ShowAt(const uint8_t* signs, int x, int y) {
    WriteAt(x, y, TextOf(CodeOf(signs, Length()), Length()));
    GotoXY(x, y);
}

// Esc or Ctrl-C: the match is broken off and the store released.
void BreakOff(uint8_t& keyOut) {
    keyOut = KeyEsc;
    SearchProgress.SearchDisplayOn = 0;
    ClockState.GuessRunning = false;
    ReleaseCandidateStore(true);
}

// How a trial code's scores stand against the best so far: below 0 better (a smaller largest
// class; equal, fewer squares; equal in both, the code may itself be the secret and the best
// may not), 0 equal in all three, above 0 worse.
int Against(int32_t maxClass, int64_t squares, bool isCandidate, const BestTrial& best) {
    const int32_t bestMax = best.Found ? best.Counts.MaxClass : INT32_MAX;
    const int64_t bestSquares = best.Found ? best.Counts.Squares : INT64_MAX;
    const bool bestIsCandidate = best.Found && best.Counts.IsCandidate;
    if (maxClass != bestMax) return maxClass < bestMax ? -1 : 1;
    if (squares != bestSquares) return squares < bestSquares ? -1 : 1;
    if (isCandidate != bestIsCandidate) return isCandidate ? -1 : 1;
    return 0;
}

// Lets a trial code with complete counts take the best's place when it splits the candidates
// better; equal codes are drawn for so that the k-th of k wins with chance 1/k. True when the
// code is strictly worse than the best.
bool JudgeCounts(const uint8_t* signs, int32_t index, BestTrial& best, const ClassCounts& counts) {
    const int length = Length();
    const int standing = Against(counts.MaxClass, counts.Squares, counts.IsCandidate, best);
    if (standing > 0) return true;
    const bool tie = standing == 0;
    if (tie) {
        const bool wins = Random(best.TieCount) == 0;
        ++best.TieCount;
        if (!wins) return false;
    }
    best.Found = true;
    best.Counts = counts;
    std::memcpy(best.Signs, signs, static_cast<size_t>(length));
    best.Index = index;
    if (!tie) best.TieCount = 2;
    SearchProgress.BestCode = CodeOf(signs, length);
    ClockState.RedrawCodeRequested = true;
    return false;
}

// Whether a twin examined before already shows the code strictly worse than the best.
bool TwinLoses(const TwinVerdict& twin, const BestTrial& best) {
    if (!twin.Known) return false;
    if (!twin.Lost && Against(twin.MaxClass, twin.Squares, twin.IsCandidate, best) <= 0)
        return false;
    ++TrialCodesTwinned;
    return true;
}

// The count over the groups of a code that its bounds did not give up: a twin's verdict is
// looked up first, and the code's own is remembered for its twins. Only codes that get this
// far are named: the bounds give up the others as quickly as a twin could.
bool CountGroupedWithTwins(const uint8_t* signs, const TrialPattern& pattern, int32_t index,
                           BestTrial& best, ClassCounts& counts) {
    const int32_t bestMax = best.Found ? best.Counts.MaxClass : INT32_MAX;
    const int64_t bestSquares = best.Found ? best.Counts.Squares : INT64_MAX;
    const uint64_t key = TwinKey(signs);
    const TwinVerdict twin = LookUpTwin(key);
    if (TwinLoses(twin, best)) return true;
    const bool lost = !CountPlannedGrouped(pattern, bestMax, bestSquares, counts) ||
                      JudgeCounts(signs, index, best, counts);
    if (!twin.Known) RememberTwin(key, lost, counts);
    return lost;
}

// Classifies the candidates against one trial code and judges it. True when the code lost:
// given up or counted strictly worse than the best; otherwise its counts are in `counts`. With
// the groups, rank is the code's multiset's (GroupedRank).
bool Evaluate(const uint8_t* signs, uint32_t rank, int32_t index, BestTrial& best,
              ClassCounts& counts) {
    const int length = Length();
    const int32_t bestMax = best.Found ? best.Counts.MaxClass : INT32_MAX;
    const int64_t bestSquares = best.Found ? best.Counts.Squares : INT64_MAX;
    // Where the candidates share their signs, what is kept of a code may show it strictly worse.
    const bool shared = SharedSignsOn();
    if (shared && SharedSignsLoses(CandidateStore.TrialChain[index], bestMax, bestSquares))
        return true;
    if (FewCandidatesOn())
        return !CountFewCandidates(signs, bestMax, bestSquares, counts) ||
               JudgeCounts(signs, index, best, counts);
    TrialPattern pattern;
    if (CandidateGroups.Ready && !shared) {
        if (GroupedMultisetLoses(rank, bestMax, bestSquares) ||
            GroupedRangesLose(signs, rank, bestMax, bestSquares))
            return true;
        MakeTrialPattern(signs, length, pattern);
        if (!PlanGroupedCount(pattern, rank, bestMax, bestSquares)) return true;
        if (TwinsSought() && !TwinsNamedEarly() && !TwinsMarked())
            return CountGroupedWithTwins(signs, pattern, index, best, counts);
        return !CountPlannedGrouped(pattern, bestMax, bestSquares, counts) ||
               JudgeCounts(signs, index, best, counts);
    }
    MakeTrialPattern(signs, length, pattern);
    const int knownM = SignsKnown || shared ? FirstCandidateM(pattern) : -1;
    return !ClassifyCandidates(pattern, knownM, bestMax, bestSquares, counts) ||
           JudgeCounts(signs, index, best, counts);
}

// Evaluates a trial code. When every code is named (key: its name, 0 when its multiset was
// already lost as it was read), a code whose multiset is known to lose goes at once, and a twin
// examined before gives its verdict when it is a loss (otherwise Evaluate asks the twins once
// the bounds have not given it up).
void Examine(const uint8_t* signs, uint32_t rank, int32_t index, BestTrial& best, uint64_t key) {
    ClassCounts counts;
    if (TwinsMarked()) {
        if (CandidateGroups.Ready &&
            GroupedMultisetLoses(rank, best.Found ? best.Counts.MaxClass : INT32_MAX,
                                 best.Found ? best.Counts.Squares : INT64_MAX))
            return;
        // Only a code that was costly to give up, or that has many twins, marks them.
        const int64_t passes = CandidateGroups.Passes;
        const bool lost = Evaluate(signs, rank, index, best, counts);
        const bool costly = !CandidateGroups.Ready || CandidateGroups.Passes != passes;
        if (lost && (costly || ManyTwins())) MarkTwins(signs);
        return;
    }
    if (!TwinsNamedEarly()) {
        (void)Evaluate(signs, rank, index, best, counts);
        return;
    }
    if (CandidateGroups.Ready &&
        GroupedMultisetLoses(rank, best.Found ? best.Counts.MaxClass : INT32_MAX,
                             best.Found ? best.Counts.Squares : INT64_MAX))
        return;
    if (key == 0) key = TwinKey(signs);
    const TwinVerdict twin = LookUpTwin(key);
    if (TwinLoses(twin, best)) return;
    const bool lost = Evaluate(signs, rank, index, best, counts);
    if (!twin.Known) RememberTwin(key, lost, counts);
}

// The symmetry filter: the untried signs in a random order; of them only the last L may
// appear, in that order of first occurrence. Marks the eligible codes and sets the start of
// the scan: the code of the L usable untried signs moves to the front when it is on the chain
// and is then shown, else the first eligible code is shown. False when the filter is off.
bool SetUpSymmetry(SymmetryRule& rule, int32_t& itemsTotal, int x, int y) {
    const CandidateStoreRecord& s = CandidateStore;
    const int length = Length();
    uint8_t untried[RingSize];
    int u = 0;
    for (int sign = 1; sign <= s.Signs && sign <= RingSize; ++sign)
        if (!SignTried[sign]) untried[u++] = static_cast<uint8_t>(sign);
    if (u < 2) return false;
    uint8_t order[RingSize];
    DrawPermutation(untried, u, order);
    const int usable = u < length ? u : length;
    const int excluded = u - usable;
    rule = SymmetryRule{};
    for (int j = 0; j < excluded; ++j) rule.Rank[order[j]] = SymmetryRule::Excluded;
    for (int j = 0; j < usable; ++j) rule.Rank[order[excluded + j]] = static_cast<uint8_t>(2 + j);
    const int32_t eligible = MarkEligible(rule);
    // Should no code on the chain pass, the scan takes them all rather than none.
    if (eligible == 0) return false;
    itemsTotal = eligible;
    if (u >= length) {
        const int64_t record = FindRecord(order + excluded);
        const int32_t index = record >= 0 ? TrialIndexOf(static_cast<uint32_t>(record)) : -1;
        if (index >= 0) {
            MoveToFront(index);
            ShowAt(order + excluded, x, y);
        }
    } else {
        for (int32_t i = 0; i < s.TrialCount; ++i) {
            if (!EligibleAt(i, rule)) continue;
            uint8_t signs[MaxCodeLength];
            RecordSigns(s.TrialChain[i], signs);
            ShowAt(signs, x, y);
            break;
        }
    }
    return true;
}

TrialPlace PlaceOfTrial() {
    TrialPlace place;
    place.X = CodeStartX(MatchBoard.Column);
    place.Y = TrialY(MatchBoard.Row);
    place.PX = PColumn(MatchBoard.Column);
    place.ZX = ZColumn(MatchBoard.Column);
    return place;
}

// The secret is known (one candidate, or one trial code left): it is played and solves the
// match; the human is not asked.
void PlayKnownSecret(const TrialPlace& at, Code& codeOut, uint8_t& pOut, uint8_t& zOut) {
    const CandidateStoreRecord& s = CandidateStore;
    const int length = Length();
    OpeningPhase = 0;
    uint8_t signs[MaxCodeLength];
    for (int k = 0; k < length; ++k) signs[k] = s.CandidatePositions[k][0];
    const Code secret = CodeOf(signs, length);
    SecretCode = secret;
    codeOut = secret;
    WriteAt(at.X, at.Y, TextOf(secret, length));
    pOut = static_cast<uint8_t>(length);
    zOut = 0;
    WriteDigit(at.PX, at.Y, length);
    WriteDigit(at.ZX, at.Y, 0);
    GotoXY(at.ZX, at.Y);
    ClockState.GuessRunning = false;
    Beep();
    ReleaseCandidateStore(true);
}

// What the search examines: the opening book's trial, or the trial chain (all of it, or the
// codes the symmetry filter lets through).
struct ScanPlan {
    bool RealSearch = false;
    bool Symmetry = false;
    SymmetryRule Rule;
    int32_t ItemsTotal = 1;
};

// Sets the scan up and shows the code it starts with; a large search prepares the grouped
// count and the twins.
ScanPlan PlanScan(const TrialPlace& at) {
    const CandidateStoreRecord& s = CandidateStore;
    bool symmetryAllowed = true;
    if (s.TrialCount == 2 || s.CandidateCount == 2) {
        OpeningPhase = 0;
        symmetryAllowed = false;
    }
    ScanPlan plan;
    plan.RealSearch = OpeningPhase == 0;
    if (!plan.RealSearch) {
        ShowAt(FixedTrialRecord.Signs, at.X, at.Y);
    } else {
        plan.ItemsTotal = s.TrialCount;
        if (symmetryAllowed && PossibleSignCount > 2)
            plan.Symmetry = SetUpSymmetry(plan.Rule, plan.ItemsTotal, at.X, at.Y);
        if (!plan.Symmetry && s.TrialCount > 0) {
            uint8_t signs[MaxCodeLength];
            RecordSigns(s.TrialChain[0], signs);
            ShowAt(signs, at.X, at.Y);
        }
    }
    BeginScan(plan.ItemsTotal, plan.RealSearch);
    // A search over few candidates counts them one by one from records of their own, unless the
    // groups are made: their verdicts per multiset pass most codes at once, which is cheaper still.
    // One over candidates that share their signs counts every code's classes beforehand (and needs
    // the groups no more: the candidates go on sharing them). A large search counts the candidates
    // group by group, with bounds that give up losing trial codes early, and examines one of every
    // set of twin trial codes.
    const bool few = !CandidateGroups.Ready && BeginFewCandidates(plan.RealSearch);
    const bool shared = BeginSharedSigns(plan.RealSearch);
    if (shared) ReleaseCandidateGroups();
    const bool large = plan.RealSearch && !few && !shared;
    if (large) (void)PrepareCandidateGroups();
    BeginGroupedSearch();
    if (large && CandidateGroups.Ready) (void)BeginRecordRanks(CandidateGroups.TableSize);
    if (large)
        BeginTwinSearch(plan.ItemsTotal, CandidateGroups.Ready);
    else
        EndTwinSearch();
    return plan;
}

// How far a code is read ahead of its turn.
enum class AheadRead : uint8_t {
    Passed,    // a twin lost: not read
    Multiset,  // only its multiset, from its number
    Record,    // only its record: what is kept of it where the candidates share their signs
    Signs,     // its signs, its rank with the groups, and its name when every code is named
};

// The codes a scan examines next, read a few places ahead of the one at hand, with their
// multisets' ranks when the candidates are grouped. Where twins are marked, a code whose twin
// lost is passed over unread. Where the rank comes from the record's number, only the number's
// multiset is read ahead (and its rank asked for from memory): the rank and, unless the multiset
// is already lost, the signs are read when the code's turn comes. Where the candidates share
// their signs, the signs wait likewise until what is kept of the code has not given it up. When
// every code is named for its twins, a code's name is made and its slot asked for from memory
// while the codes before it are examined (not for a code whose multiset is already lost: nothing
// needs its name); the records themselves (where the store must be read) and the marks are asked
// for further ahead still. What a search reads of its codes is settled once, at its start.
struct ScanAhead {
    static constexpr int Depth = 8;
    bool Named = false;
    bool Marked = false;
    bool Grouped = false;      // the multisets' ranks are asked for
    bool Ranked = false;       // only the multisets, from the numbers
    bool Shared = false;       // the candidates share their signs
    bool ReadRecords = false;  // the store is read for the signs: its records asked for ahead
    int32_t Index[Depth] = {};
    AheadRead Read[Depth] = {};
    uint32_t Record[Depth] = {};
    uint64_t Multiset[Depth] = {};
    uint8_t Signs[Depth][MaxCodeLength] = {};
    uint64_t Key[Depth] = {};
    uint32_t Rank[Depth] = {};
    int Head = 0;
    int Count = 0;
    int32_t Next = 0;  // the place of the next code to read
    // The marks are asked for this many codes further ahead (the places the filter passes over
    // are not asked for): MarkNext is the next place to ask for, MarksAhead the codes asked for
    // from Next on.
    static constexpr int MarksDepth = 8;
    int32_t MarkNext = 0;
    int MarksAhead = 0;
};

ScanAhead BeginAhead(const ScanPlan& plan) {
    ScanAhead ahead;
    ahead.Named = TwinsNamedEarly();
    ahead.Marked = TwinsMarked();
    ahead.Grouped = CandidateGroups.Ready && !FewCandidatesOn();
    ahead.Ranked = ahead.Grouped && RecordRanksOn() && !ahead.Named;
    ahead.Shared = SharedSignsOn();
    ahead.ReadRecords = !CandidateStore.Numbered;
    ahead.Next = plan.Symmetry ? NextEligible(0, plan.Rule) : 0;
    return ahead;
}

void ReadCode(ScanAhead& ahead, int at, uint32_t record) {
    ahead.Key[at] = 0;
    if (ahead.Ranked) {
        ahead.Read[at] = AheadRead::Multiset;
        ahead.Multiset[at] = RecordMultiset(record);
        return;
    }
    if (ahead.Shared && !ahead.Grouped && !ahead.Named) {
        ahead.Read[at] = AheadRead::Record;
        return;
    }
    ahead.Read[at] = AheadRead::Signs;
    RecordSigns(record, ahead.Signs[at]);
    ahead.Rank[at] = ahead.Grouped ? GroupedRank(ahead.Signs[at], Length()) : 0;
    if (ahead.Named && !(ahead.Grouped && GroupedRankLost(ahead.Rank[at]))) {
        ahead.Key[at] = TwinKey(ahead.Signs[at]);
        PrefetchTwin(ahead.Key[at]);
    }
}

// The code at place i was read: the marks are asked for up to MarksDepth codes beyond the next.
void AskMarksAhead(const ScanPlan& plan, ScanAhead& ahead, int32_t i) {
    const CandidateStoreRecord& s = CandidateStore;
    if (ahead.MarkNext > i) {
        --ahead.MarksAhead;
    } else {
        ahead.MarkNext = ahead.Next;
        ahead.MarksAhead = 0;
    }
    for (; ahead.MarksAhead < ScanAhead::MarksDepth && ahead.MarkNext < s.TrialCount;
         ++ahead.MarksAhead) {
        PrefetchTwinMark(s.TrialChain[ahead.MarkNext]);
        ahead.MarkNext =
            plan.Symmetry ? NextEligible(ahead.MarkNext + 1, plan.Rule) : ahead.MarkNext + 1;
    }
}

void ReadAhead(const ScanPlan& plan, ScanAhead& ahead) {
    const CandidateStoreRecord& s = CandidateStore;
    const int32_t count = s.TrialCount;
    const uint32_t* chain = s.TrialChain;
    while (ahead.Count < ScanAhead::Depth && ahead.Next < count) {
        const int at = (ahead.Head + ahead.Count) % ScanAhead::Depth;
        const int32_t i = ahead.Next;
        const uint32_t record = chain[i];
        ahead.Index[at] = i;
        ahead.Record[at] = record;
        if (ahead.Marked && TwinMarked(record))
            ahead.Read[at] = AheadRead::Passed;
        else
            ReadCode(ahead, at, record);
        ++ahead.Count;
        ahead.Next = plan.Symmetry ? NextEligible(i + 1, plan.Rule) : i + 1;
        if (ahead.ReadRecords) {
            const int32_t further = plan.Symmetry ? ahead.Next : i + 8;
            if (further < count) PrefetchRecord(chain[further]);
        }
        // What is kept of the codes where the candidates share their signs: further still.
        if (ahead.Shared && i + 32 < count) PrefetchSharedSigns(chain[i + 32]);
        // The marks further still.
        if (ahead.Marked) AskMarksAhead(plan, ahead, i);
    }
}

// A code of which only the multiset was read ahead: passed over when that is known to lose,
// else read and examined.
void ExamineRanked(ScanAhead& ahead, int at, int32_t index, BestTrial& best) {
    const uint32_t rank = RankOfMultiset(ahead.Multiset[at]);
    if (GroupedRankLost(rank)) {
        ++TrialCodesAbandoned;
        return;
    }
    RecordSigns(ahead.Record[at], ahead.Signs[at]);
    Examine(ahead.Signs[at], rank, index, best, 0);
}

// A code of which only the record was read ahead, where the candidates share their signs:
// passed over when what is kept of it shows it strictly worse than the best (as Evaluate would
// pass it), else read and examined.
void ExamineShared(ScanAhead& ahead, int at, int32_t index, BestTrial& best) {
    if (SharedSignsLoses(ahead.Record[at], best.Found ? best.Counts.MaxClass : INT32_MAX,
                         best.Found ? best.Counts.Squares : INT64_MAX))
        return;
    RecordSigns(ahead.Record[at], ahead.Signs[at]);
    Examine(ahead.Signs[at], 0, index, best, 0);
}

// Examines the trial codes of the plan, with the keyboard and the clock after each. The best
// is left in `best`; false when Esc or Ctrl-C broke the search off. An early stop (F4, the time
// limit) rotates the chain so that the next search begins with the codes not reached.
bool ScanTrials(const ScanPlan& plan, BestTrial& best) {
    if (!plan.RealSearch) {
        ClassCounts counts;
        const uint32_t rank =
            CandidateGroups.Ready ? GroupedRank(FixedTrialRecord.Signs, Length()) : 0;
        (void)Evaluate(FixedTrialRecord.Signs, rank, -1, best, counts);
        return SearchItemDone(false) != ItemVerdict::BreakOff;
    }
    bool stopped = false;
    int32_t examined = 0;
    ScanAhead ahead = BeginAhead(plan);
    ReadAhead(plan, ahead);
    while (ahead.Count > 0) {
        const int at = ahead.Head;
        const int32_t i = ahead.Index[at];
        switch (ahead.Read[at]) {
            case AheadRead::Passed:
                ++TrialCodesTwinned;
                break;
            case AheadRead::Multiset:
                ExamineRanked(ahead, at, i, best);
                break;
            case AheadRead::Record:
                ExamineShared(ahead, at, i, best);
                break;
            case AheadRead::Signs:
                Examine(ahead.Signs[at], ahead.Rank[at], i, best, ahead.Key[at]);
                break;
        }
        ahead.Head = (ahead.Head + 1) % ScanAhead::Depth;
        --ahead.Count;
        ReadAhead(plan, ahead);
        examined = i + 1;
        const ItemVerdict verdict = SearchItemDone(true);
        if (verdict == ItemVerdict::BreakOff) return false;
        if (verdict == ItemVerdict::Stop) {
            stopped = true;
            break;
        }
    }
    if (stopped && best.Found) RotateAfterStop(examined, best.Index);
    return true;
}

}  // namespace

void ChooseTrial(Code& codeOut, uint8_t& pOut, uint8_t& zOut, uint8_t& keyOut) {
    keyOut = 0;
    const CandidateStoreRecord& s = CandidateStore;
    const TrialPlace at = PlaceOfTrial();
    GotoXY(at.X, at.Y);
    StartSearch(MatchBoard.TrialCount);
    // With validated answers the candidates never run out; should they, the match cannot go
    // on and ends as broken off.
    if (s.CandidateCount <= 0) return BreakOff(keyOut);
    if (s.TrialCount == 1 || s.CandidateCount == 1) return PlayKnownSecret(at, codeOut, pOut, zOut);

    // Choose.
    const ScanPlan plan = PlanScan(at);
    BestTrial best;
    // A chain without codes leaves nothing to play (it cannot happen while candidates remain).
    if (!ScanTrials(plan, best) || !best.Found) return BreakOff(keyOut);
    EndScan();
    EndTwinSearch();
    EndRecordRanks();
    EndFewCandidates();
    EndSharedSigns();
    const Code trial = CodeOf(best.Signs, Length());
    codeOut = trial;
    WriteAt(at.X, at.Y, TextOf(trial, Length()));
    GotoXY(at.PX, at.Y);

    // Answer.
    int p = 0;
    int z = 0;
    if (!AnswerTrial(trial, best, p, z, keyOut)) return BreakOff(keyOut);
    if (Settings.ComputerEncodes) ShowAnswer(at, p, z);
    pOut = static_cast<uint8_t>(p);
    zOut = static_cast<uint8_t>(z);
    if (p > 0 || z > 0) {
        OpeningPhase = 0;
        NoteAnsweredTrial(best.Signs, Length());
    }
    if (p == Length()) {
        SecretCode = trial;
        ReleaseCandidateStore(true);
        return;
    }
    ClockState.GuessRunning = true;

    // Thin the candidates and the trial codes.
    const bool signsKnownOnEntry = SignsKnown != 0;
    if (!KeepAnswerClass(best.Signs, p, z, signsKnownOnEntry)) return BreakOff(keyOut);
    if (!ThinTrialCodes(best, plan.RealSearch, p, z, signsKnownOnEntry)) return BreakOff(keyOut);
    TrimCandidateStore();
    if (OpeningPhase) PrepareNextOpening();
    if (PossibleSignCount == Length() && !Settings.RepetitionsAllowed) SignsKnown = 1;
    for (int k = 0; k < Length(); ++k) SignTried[best.Signs[k]] = 1;
}
