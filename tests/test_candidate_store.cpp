// The candidate store of the computer as codebreaker: its records, the shuffled trial chain,
// the candidate chain, and how a build ends when it is broken off or memory runs out.
#include <algorithm>
#include <numeric>
#include <set>
#include <vector>

#include "breaker/candidate_store.h"
#include "breaker/class_pass.h"
#include "breaker/opening_book.h"
#include "breaker/search_progress.h"
#include "breaker/shuffle.h"
#include "breaker/sign_tables.h"
#include "calendar/clock_text.h"
#include "match/board.h"
#include "match/encoder_store.h"
#include "shell/settings.h"
#include "support/virtual_session.h"

namespace {

using Signs = std::vector<uint8_t>;

// The bucket lists as the shuffle describes them, linked one record at a time: forward links
// from the first to the last entry, the last entry's forward link holding the middle entry,
// backward links to the predecessor, the first entry's backward link holding the last entry.
// Walks start from the first, middle or last entry by the thresholds of the insertion point.
class LinkedBuckets {
public:
    LinkedBuckets(int32_t records, uint32_t bucketCount)
        : Next(static_cast<size_t>(records)),
          Prev(static_cast<size_t>(records)),
          Head(bucketCount, -1),
          Fill(bucketCount, 0),
          Size(bucketCount, 0),
          Middle(bucketCount, 0),
          BucketCount(bucketCount) {}

    void Insert(int32_t r) {
        const uint32_t b = Random(BucketCount);
        if (Head[b] < 0) {
            Head[b] = r;
            Next[r] = r;
            Prev[r] = r;
            Fill[b] = 0;
            Size[b] = 1;
            Middle[b] = 0;
            return;
        }
        const int k = Fill[b] + 1;
        const int i = static_cast<int>(Random(static_cast<uint32_t>(k + 1)));
        const int32_t first = Head[b];
        const int32_t last = Prev[first];
        int32_t middle = Next[last];
        const int s = Size[b];
        int m = Middle[b];
        const int p = i == k ? s : i;  // the place the record takes: entry p
        if (p == 0) {
            Next[r] = first;
            Prev[r] = last;
            Prev[first] = r;
            Head[b] = r;
        } else if (p == s) {
            Next[last] = r;
            Prev[r] = last;
            Prev[first] = r;
        } else {
            const int32_t q = EntryBefore(b, i, k, p, m, middle);
            const int32_t succ = Next[q];
            Next[q] = r;
            Prev[r] = q;
            Next[r] = succ;
            Prev[succ] = r;
        }
        if (p <= m) ++m;
        const int size = s + 1;
        const int target = (size - 1) / 2;
        if (m > target) {
            middle = Prev[middle];
            --m;
        } else if (m < target) {
            middle = Next[middle];
            ++m;
        }
        Next[Prev[Head[b]]] = middle;
        Size[b] = size;
        Middle[b] = m;
        Fill[b] = Fill[b] < 255 ? static_cast<uint8_t>(Fill[b] + 1) : 254;
    }

    std::vector<uint32_t> Chain() const {
        std::vector<uint32_t> chain;
        for (uint32_t b = 0; b < BucketCount; ++b) {
            int32_t node = Head[b];
            for (int j = 0; j < Size[b]; ++j) {
                chain.push_back(static_cast<uint32_t>(node));
                node = Next[node];
            }
        }
        return chain;
    }

private:
    // Entry p - 1 of the bucket, reached from the nearest of first, middle and last entry.
    int32_t EntryBefore(uint32_t b, int i, int k, int p, int m, int32_t middle) const {
        const int s = Size[b];
        const int h = k / 2;
        const int want = p - 1;
        int32_t node = -1;
        if (i > h) {
            if (i < k - (k - 1) / 4) {
                if (want >= m) node = Walk(middle, want - m, true);
            } else {
                node = Walk(Prev[Head[b]], s - 1 - want, false);
            }
        } else if (i > k / 4 && i > 2) {
            if (m >= want) node = Walk(middle, m - want, false);
        }
        // A bucket beyond 256 entries has its middle elsewhere than the believed count says.
        if (node < 0) node = Walk(Head[b], want, true);
        return node;
    }
    int32_t Walk(int32_t node, int steps, bool forward) const {
        for (int j = 0; j < steps; ++j) node = forward ? Next[node] : Prev[node];
        return node;
    }

    std::vector<int32_t> Next, Prev, Head;
    std::vector<uint8_t> Fill;
    std::vector<int> Size, Middle;
    uint32_t BucketCount;
};

std::vector<uint32_t> LinkedOrder(int32_t records, uint32_t bucketCount) {
    LinkedBuckets buckets(records, bucketCount);
    for (int32_t r = 0; r < records; ++r) buckets.Insert(r);
    return buckets.Chain();
}

std::vector<uint32_t> ReplayedOrder(int32_t records, uint32_t bucketCount) {
    std::vector<uint32_t> draws(static_cast<size_t>(records));
    std::vector<uint8_t> points(static_cast<size_t>(records));
    std::vector<uint32_t> order(static_cast<size_t>(records));
    ShuffleOrder(records, bucketCount, draws.data(), points.data(), order.data());
    return order;
}

// The random draws a build makes before its first record: the first trial's orders (and its
// coin for two signs of length two with repetitions), then PosMap and SignMap.
void DrawLikeTheBuildsStart(int length, int n, bool repetitions) {
    uint8_t list[RingSize];
    uint8_t order[RingSize];
    for (int i = 0; i < RingSize; ++i) list[i] = static_cast<uint8_t>(i + 1);
    DrawPermutation(list, length, order);
    DrawPermutation(list, n, order);
    if (length == 2 && n == 2 && repetitions) (void)Random(2);
    DrawPermutation(list, length, order);
    DrawPermutation(list, n, order);
}

Signs RecordCode(int32_t record) {
    const CandidateStoreRecord& s = CandidateStore;
    Signs code(static_cast<size_t>(s.Length));
    for (int k = 0; k < s.Length; ++k) code[static_cast<size_t>(k)] = s.Positions[k][record];
    return code;
}

Signs CandidateCode(int32_t index) {
    const CandidateStoreRecord& s = CandidateStore;
    Signs code(static_cast<size_t>(s.Length));
    for (int k = 0; k < s.Length; ++k)
        code[static_cast<size_t>(k)] = s.CandidatePositions[k][index];
    return code;
}

bool HasVacant(const Signs& code) {
    return std::find(code.begin(), code.end(), 0) != code.end();
}
bool AllDifferent(const Signs& code) {
    return std::set<uint8_t>(code.begin(), code.end()).size() == code.size();
}

class CandidateStoreTest : public VirtualSession {
protected:
    void SetUp() override {
        VirtualSession::SetUp();
        OpenInput();
        MatchBoard = MatchBoardRecord{};
    }
    void TearDown() override {
        ReleaseCandidateStore(true);
        VirtualSession::TearDown();
    }
    // A key far in the future: the input stays open and no key waits.
    static void OpenInput() { VirtualQueueKeyAfter('x', int64_t(1) << 40); }
    static void Conditions(char first, char last, int length, bool repetitions, bool vacant) {
        Settings.FirstSign = first;
        Settings.LastSign = last;
        Settings.CodeLength = static_cast<uint8_t>(length);
        Settings.RepetitionsAllowed = repetitions;
        Settings.VacantAllowed = vacant;
        BuildSignTablesFromSettings();
    }
    // Every record's code as the odometer gives it, d[1] fastest, mapped through PosMap and
    // SignMap; the all-vacant code left out when the vacant sign is in play.
    static void ExpectOdometerRecords() {
        const CandidateStoreRecord& s = CandidateStore;
        const int base = s.Signs + 1 - s.LowDigit;
        for (int32_t r = 0; r < s.Records; ++r) {
            int64_t value = s.LowDigit == 0 ? r + 1 : r;
            Signs expected(static_cast<size_t>(s.Length));
            for (int k = 0; k < s.Length; ++k) {
                const int digit = static_cast<int>(value % base) + s.LowDigit;
                value /= base;
                expected[static_cast<size_t>(PosMap[k + 1] - 1)] = SignMap[digit];
            }
            ASSERT_EQ(RecordCode(r), expected) << "record " << r;
        }
    }
    static void ExpectTrialChainIsEveryRecordOnce() {
        const CandidateStoreRecord& s = CandidateStore;
        ASSERT_EQ(s.TrialCount, s.Records);
        std::vector<uint32_t> chain(s.TrialChain, s.TrialChain + s.TrialCount);
        std::sort(chain.begin(), chain.end());
        for (int32_t r = 0; r < s.Records; ++r) ASSERT_EQ(chain[static_cast<size_t>(r)], r);
    }
    // The candidates are the records that pass the rule, newest first.
    static void ExpectCandidatesInAllocationOrder(bool vacantOut, bool distinct) {
        const CandidateStoreRecord& s = CandidateStore;
        int32_t index = 0;
        for (int32_t r = s.Records - 1; r >= 0; --r) {
            const Signs code = RecordCode(r);
            if ((vacantOut && HasVacant(code)) || (distinct && !AllDifferent(code))) continue;
            ASSERT_LT(index, s.CandidateCount);
            ASSERT_EQ(CandidateCode(index), code) << "candidate " << index;
            ++index;
        }
        EXPECT_EQ(index, s.CandidateCount);
        EXPECT_GE(s.CandidateCapacity, s.CandidateCount);
        EXPECT_EQ(s.CandidateCapacity % CandidateBlock, 0);
        for (int k = 0; k < s.Length; ++k)
            for (int32_t i = s.CandidateCount; i < s.CandidateCapacity; ++i)
                ASSERT_EQ(s.CandidatePositions[k][i], 0);
    }
};

TEST_F(CandidateStoreTest, TwoSignsWithTheVacantSignInPlay) {
    Conditions('a', 'b', 4, true, true);
    ASSERT_TRUE(BuildCandidateStore());
    const CandidateStoreRecord& s = CandidateStore;
    EXPECT_TRUE(s.Ready);
    EXPECT_TRUE(s.VacantInPlay);
    EXPECT_EQ(s.LowDigit, 0);
    EXPECT_EQ(s.Records, 80);
    EXPECT_EQ(s.CandidateCount, 16);
    ExpectOdometerRecords();
    ExpectTrialChainIsEveryRecordOnce();
    ExpectCandidatesInAllocationOrder(true, false);
    std::set<Signs> all;
    for (int32_t r = 0; r < s.Records; ++r) all.insert(RecordCode(r));
    EXPECT_EQ(all.size(), 80u);
    EXPECT_EQ(all.count(Signs{0, 0, 0, 0}), 0u);
    EXPECT_EQ(SignAlive[0], 0);
    EXPECT_EQ(SignAlive[1], 1);
    EXPECT_EQ(SignAlive[2], 1);
    EXPECT_EQ(SignAlive[3], 0);
}

TEST_F(CandidateStoreTest, SixSignsWithoutRepetitions) {
    Conditions('a', 'f', 4, false, true);  // the vacant setting does not count over six signs
    ASSERT_TRUE(BuildCandidateStore());
    const CandidateStoreRecord& s = CandidateStore;
    EXPECT_FALSE(s.VacantInPlay);
    EXPECT_EQ(s.Records, 1296);
    EXPECT_EQ(s.CandidateCount, 360);
    ExpectOdometerRecords();
    // Codes with repeated signs stay on the trial chain.
    ExpectTrialChainIsEveryRecordOnce();
    ExpectCandidatesInAllocationOrder(false, true);
    for (int s2 = 1; s2 <= 6; ++s2) EXPECT_EQ(SignAlive[s2], 1);
    EXPECT_EQ(SignAlive[7], 0);
}

TEST_F(CandidateStoreTest, WithRepetitionsEveryRecordIsACandidateNewestFirst) {
    Conditions('k', 'q', 5, true, false);
    ASSERT_TRUE(BuildCandidateStore());
    const CandidateStoreRecord& s = CandidateStore;
    EXPECT_EQ(s.Records, 16807);
    EXPECT_EQ(s.CandidateCount, 16807);
    ExpectOdometerRecords();
    ExpectTrialChainIsEveryRecordOnce();
    ExpectCandidatesInAllocationOrder(false, false);
}

TEST_F(CandidateStoreTest, AfterTheBuildTheStatusLineAndTheFirstTrialStand) {
    Conditions('a', 'f', 4, false, false);
    SearchProgress.TimeLimit = 3000;
    ClockState.RedrawCodeRequested = true;
    ASSERT_TRUE(BuildCandidateStore());
    const SearchProgressRecord& p = SearchProgress;
    EXPECT_EQ(p.ItemsDone, 1296);
    EXPECT_EQ(p.ItemsTotal, 1296);
    EXPECT_EQ(p.MinItems, 1296);
    EXPECT_EQ(p.TenthsShown, 10);
    EXPECT_EQ(p.TimeLimitActive, 1);
    EXPECT_FALSE(ClockState.RedrawCodeRequested);
    EXPECT_TRUE(ScreenHas(44, 25, "**********"));
    // The first trial: four different signs at trial 1's place, the cursor at its start.
    std::string shown = RowText(9, CodeStartX(1), 4);
    EXPECT_EQ(std::set<char>(shown.begin(), shown.end()).size(), 4u) << shown;
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(shown[static_cast<size_t>(k)], IndexSign[FixedTrialRecord.Signs[k]]);
    EXPECT_EQ(WhereX(), CodeStartX(1));
    EXPECT_EQ(WhereY(), 9);

    SearchProgress.TimeLimit = 0;
    ASSERT_TRUE(BuildCandidateStore());
    EXPECT_EQ(SearchProgress.TimeLimitActive, 0);
}

TEST_F(CandidateStoreTest, TheReplayedShuffleGivesTheOrderOfTheLinkedBuckets) {
    struct Case {
        int32_t Records;
        uint32_t Buckets;
    };
    // One bucket: every record in one list, far beyond 256 entries (believed counts 255/256);
    // a few buckets: long lists; the real table: mostly short lists.
    // One partition beyond the scratch array takes the one-pass way: {140000, 100}; three
    // partitions, the last one short: {300000, 5000}. Few records in many buckets are sorted
    // by bucket instead: {20000, 1310720}, {2, 16}, and {40000, 400000} with its crowded runs.
    const Case cases[] = {{3000, 1},      {1000, 2},      {20000, 7},        {60000, 300},
                          {5, 1},         {100000, 1000}, {300000, 1310720}, {1, 3},
                          {140000, 100},  {300000, 5000}, {20000, 1310720},  {2, 16},
                          {40000, 400000}};
    for (const Case& c : cases) {
        for (uint64_t seed : {1u, 77u, 4242u}) {
            SeedRandom(seed);
            std::vector<uint32_t> linked = LinkedOrder(c.Records, c.Buckets);
            SeedRandom(seed);
            std::vector<uint32_t> replayed = ReplayedOrder(c.Records, c.Buckets);
            ASSERT_EQ(replayed, linked)
                << c.Records << " records in " << c.Buckets << " buckets, seed " << seed;
            // Both used the same number of draws.
            const uint32_t after = Random(1000000);
            SeedRandom(seed);
            (void)LinkedOrder(c.Records, c.Buckets);
            ASSERT_EQ(Random(1000000), after);
        }
    }
    // Nothing is left in the buckets.
    EXPECT_EQ(std::accumulate(ShuffleBuckets, ShuffleBuckets + ShuffleBucketCount, uint64_t(0)),
              0u);
}

TEST_F(CandidateStoreTest, TheBuildDrawsExactlyAsTheLinkedProcedure) {
    struct Case {
        char First, Last;
        int Length;
        bool Repetitions, Vacant;
    };
    const Case cases[] = {{'a', 'q', 5, true, false},  // 1,419,857 records
                          {'a', 'b', 2, true, false},
                          {'a', 'b', 6, true, true},
                          {'0', '7', 4, false, false}};
    for (const Case& c : cases) {
        Conditions(c.First, c.Last, c.Length, c.Repetitions, c.Vacant);
        SeedRandom(99);
        ASSERT_TRUE(BuildCandidateStore());
        const CandidateStoreRecord& s = CandidateStore;
        std::vector<uint32_t> built(s.TrialChain, s.TrialChain + s.TrialCount);
        const uint32_t next = Random(1000000);

        SeedRandom(99);
        DrawLikeTheBuildsStart(c.Length, SignCount, c.Repetitions);
        std::vector<uint32_t> linked = LinkedOrder(s.Records, ShuffleBucketCount);
        ASSERT_EQ(built, linked) << c.First << c.Last << " length " << c.Length;
        EXPECT_EQ(Random(1000000), next);
    }
    EXPECT_EQ(std::accumulate(ShuffleBuckets, ShuffleBuckets + ShuffleBucketCount, uint64_t(0)),
              0u);
}

TEST_F(CandidateStoreTest, TwoBuildsGiveDifferentOrders) {
    Conditions('a', 'f', 4, true, false);
    ASSERT_TRUE(BuildCandidateStore());
    std::vector<uint32_t> trials1(CandidateStore.TrialChain,
                                  CandidateStore.TrialChain + CandidateStore.TrialCount);
    std::vector<Signs> candidates1;
    for (int32_t i = 0; i < CandidateStore.CandidateCount; ++i)
        candidates1.push_back(CandidateCode(i));
    ASSERT_TRUE(BuildCandidateStore());
    std::vector<uint32_t> trials2(CandidateStore.TrialChain,
                                  CandidateStore.TrialChain + CandidateStore.TrialCount);
    std::vector<Signs> candidates2;
    for (int32_t i = 0; i < CandidateStore.CandidateCount; ++i)
        candidates2.push_back(CandidateCode(i));
    EXPECT_NE(trials1, trials2);
    EXPECT_NE(candidates1, candidates2);
    // The same codes all the same.
    EXPECT_EQ(std::set<Signs>(candidates1.begin(), candidates1.end()),
              std::set<Signs>(candidates2.begin(), candidates2.end()));
}

TEST_F(CandidateStoreTest, EscOrCtrlCBreakTheBuildOffAndEverythingIsFreed) {
    Conditions('a', 'b', 4, true, true);
    // Keys are looked at once per record: other keys and extended keys are read and dropped.
    for (uint8_t breakKey : {KeyEsc, KeyCtrlC}) {
        StartVirtualConsole();
        VirtualQueueKeys("ab");
        VirtualQueueExtended(ExtF4);
        VirtualQueueKey(breakKey);
        OpenInput();
        EXPECT_FALSE(BuildCandidateStore());
        EXPECT_EQ(VirtualKeysLeft(), 1u);
        EXPECT_EQ(VirtualHeapInUse(), 0u);
        EXPECT_FALSE(CandidateStore.Ready);
        EXPECT_EQ(CandidateStore.Records, 0);
        EXPECT_EQ(CandidateStore.TrialChain, nullptr);
        EXPECT_EQ(CandidateStore.TrialCount, 0);
        EXPECT_EQ(CandidateStore.CandidateCount, 0);
        EXPECT_EQ(SearchProgress.SearchDisplayOn, 0);
        // A second release finds nothing to free.
        ReleaseCandidateStore(true);
        EXPECT_EQ(VirtualHeapInUse(), 0u);
    }
    // Esc after the last record, while the trial chain is made.
    StartVirtualConsole();
    VirtualQueueKeys(std::string(80, 'x'));
    VirtualQueueKey(KeyEsc);
    OpenInput();
    EXPECT_FALSE(BuildCandidateStore());
    EXPECT_EQ(VirtualKeysLeft(), 1u);
    EXPECT_EQ(VirtualHeapInUse(), 0u);
    EXPECT_EQ(std::accumulate(ShuffleBuckets, ShuffleBuckets + ShuffleBucketCount, uint64_t(0)),
              0u);
    // The store builds again afterwards.
    ASSERT_TRUE(BuildCandidateStore());
    EXPECT_EQ(CandidateStore.Records, 80);
}

TEST_F(CandidateStoreTest, LongPassesLookAtTheKeyboardOftenAndLeaveItsKeys) {
    // 32^4 = 1,048,576 records. After the last one the shuffle is sorted and replayed and the
    // candidates are chained a piece at a time, with a look at the keyboard after each piece:
    // at least one for every 16,384 of the 1,310,720 buckets and every 262,144 records.
    Conditions('a', '5', 4, true, false);
    const int32_t records = 1 << 20;
    int64_t looks = 0;
    VirtualSetPollObserver([&] { looks += CandidateStore.Records == records ? 1 : 0; });
    ASSERT_TRUE(BuildCandidateStore());
    EXPECT_GE(looks, 1310720 / 16384 + records / 262144);

    // A pass of the search over the million candidates glances at the keyboard every 65,536 of
    // them, and a key typed meanwhile stays for whoever reads next.
    VirtualClearKeys();
    VirtualQueueKey('y');
    looks = 0;
    VirtualSetPollObserver([&] { ++looks; });
    TrialPattern pattern;
    const uint8_t trial[] = {1, 2, 3, 4};
    MakeTrialPattern(trial, 4, pattern);
    KeepCandidates(pattern, -1, 0, 0);
    VirtualSetPollObserver(nullptr);
    EXPECT_EQ(CandidateStore.CandidateCount, 28 * 28 * 28 * 28);
    EXPECT_GE(looks, records / 65536 - 1);
    ASSERT_EQ(VirtualKeysLeft(), 1u);
    EXPECT_EQ(ReadKey(), 'y');
}

TEST_F(CandidateStoreTest, AReleaseFreesBothStoresAndIsHarmlessTwice) {
    Conditions('a', 'f', 4, false, false);
    ASSERT_TRUE(BuildEncoderStore(4, 6, false));
    ASSERT_TRUE(BuildCandidateStore());
    EXPECT_GT(VirtualHeapInUse(), 0u);
    ReleaseCandidateStore(false);  // only the capacity table
    EXPECT_TRUE(CandidateStore.Ready);
    ReleaseCandidateStore(true);
    EXPECT_EQ(VirtualHeapInUse(), 0u);
    EXPECT_FALSE(CandidateStore.Ready);
    EXPECT_EQ(EncoderStore.Count, 0);
    ReleaseCandidateStore(true);
    EXPECT_EQ(VirtualHeapInUse(), 0u);
}

TEST_F(CandidateStoreTest, AFailedAllocationEndsTheBuildWithNothingLeft) {
    Conditions('a', 'f', 5, false, false);
    // L position arrays, the mark bytes, the trial chain, the candidate arrays' block and the
    // draws, which only fit into that block with repetitions (there as many candidates as
    // records, at L >= 4 bytes each).
    for (const bool repetitions : {false, true}) {
        Conditions('a', 'f', 5, repetitions, false);
        const int allocations = 5 + 3 + (repetitions ? 0 : 1);
        for (int failing = 1; failing <= allocations; ++failing) {
            VirtualFailAllocation(failing);
            EXPECT_FALSE(BuildCandidateStore()) << failing;
            EXPECT_EQ(VirtualHeapInUse(), 0u) << failing;
            EXPECT_FALSE(CandidateStore.Ready);
            EXPECT_EQ(Settings.RepetitionsAllowed, repetitions ? 1 : 0);
        }
        VirtualFailAllocation(allocations + 1);
        EXPECT_TRUE(BuildCandidateStore()) << repetitions;
        ReleaseCandidateStore(true);
        EXPECT_EQ(VirtualHeapInUse(), 0u);
    }
    VirtualFailAllocation(0);
    Conditions('a', 'f', 5, false, false);
    // A store the machine could not back is refused before anything is allocated.
    VirtualSetHeapLimit(10000);
    const int64_t before = VirtualAllocations();
    EXPECT_FALSE(BuildCandidateStore());
    EXPECT_EQ(VirtualAllocations(), before);
    EXPECT_EQ(VirtualHeapInUse(), 0u);
    VirtualSetHeapLimit(0);
    ASSERT_TRUE(BuildCandidateStore());
    EXPECT_EQ(CandidateStore.Records, 7776);
    EXPECT_EQ(CandidateStore.CandidateCount, 720);
}

TEST_F(CandidateStoreTest, TheStoreStaysWithinTheRecordBudget) {
    struct Case {
        char First, Last;
        int Length;
        bool Repetitions, Vacant;
        int RecordSize;
    };
    // Record sizes as the capacity check computes them: L + N + 12 (+1 with the vacant sign)
    // rounded up to 16.
    const Case cases[] = {{'a', 'b', 9, true, true, 32},  {'a', 'b', 2, true, false, 16},
                          {'a', 'f', 6, true, false, 32}, {'a', 'b', 8, true, false, 32},
                          {'a', 'c', 9, true, false, 32}, {'a', 'z', 3, false, false, 48}};
    for (const Case& c : cases) {
        Conditions(c.First, c.Last, c.Length, c.Repetitions, c.Vacant);
        VirtualSetHeapLimit(0);
        ASSERT_TRUE(BuildCandidateStore());
        const size_t records = static_cast<size_t>(CandidateStore.Records);
        ReleaseCandidateStore(true);
        // The whole build, its working space included, fits the budget the capacity check
        // reserves for the store (with a fixed allowance for the padding of the last block).
        VirtualSetHeapLimit(records * static_cast<size_t>(c.RecordSize) +
                            static_cast<size_t>(CandidateBlock * c.Length));
        EXPECT_TRUE(BuildCandidateStore()) << c.First << c.Last << " length " << c.Length;
    }
    VirtualSetHeapLimit(0);
}

TEST_F(CandidateStoreTest, SixOfSixBuiltWithoutRepetitionsKeepsTheSetting) {
    // A not-fixed riddle of the computer, L = 6 over six signs: the candidates have no
    // repetition, the first trial follows the match's own rule, and the setting stays.
    Conditions('a', 'f', 6, true, false);
    ASSERT_TRUE(BuildCandidateStore(false));
    EXPECT_EQ(Settings.RepetitionsAllowed, 1);
    EXPECT_EQ(CandidateStore.Records, 46656);
    EXPECT_EQ(CandidateStore.CandidateCount, 720);
    EXPECT_FALSE(CandidateStore.CandidateRepetitions);
    ExpectCandidatesInAllocationOrder(false, true);
    // With repetitions the book opens six of six with aaabbc: three distinct signs.
    std::set<uint8_t> trialSigns(FixedTrialRecord.Signs, FixedTrialRecord.Signs + 6);
    EXPECT_EQ(trialSigns.size(), 3u);

    // Broken off or out of memory, the setting is back as well.
    ReleaseCandidateStore(true);
    StartVirtualConsole();
    VirtualQueueKey(KeyEsc);
    OpenInput();
    EXPECT_FALSE(BuildCandidateStore(false));
    EXPECT_EQ(Settings.RepetitionsAllowed, 1);
    VirtualFailAllocation(3);
    EXPECT_FALSE(BuildCandidateStore(false));
    EXPECT_EQ(Settings.RepetitionsAllowed, 1);
    EXPECT_EQ(VirtualHeapInUse(), 0u);
}

}  // namespace
