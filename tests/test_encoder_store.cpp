// The store of the encoder of a code that is not fixed: its codes, their classes against a
// trial, the thinning by an answer, and how a build ends when it is broken off.
#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "breaker/search_progress.h"
#include "breaker/sign_tables.h"
#include "match/encoder_store.h"
#include "support/virtual_session.h"

namespace {

using Signs = std::vector<uint8_t>;

std::vector<Signs> StoredCodes() {
    std::vector<Signs> codes;
    const EncoderStoreRecord& s = EncoderStore;
    for (int32_t c = 0; c < s.ChunkCount; ++c) {
        const EncoderChunk& chunk = s.Chunks[c];
        for (int32_t i = 0; i < chunk.Used; ++i) {
            Signs code(static_cast<size_t>(s.Length));
            for (int k = 0; k < s.Length; ++k)
                code[static_cast<size_t>(k)] =
                    chunk.Block[size_t(k) * EncoderChunkCodes + size_t(i)];
            codes.push_back(code);
        }
    }
    return codes;
}

// The class of a code against a trial, counted the slow way.
std::pair<int, int> SlowClass(const Signs& code, const uint8_t* trial, const uint8_t* live) {
    int p = 0, m = 0;
    for (size_t k = 0; k < code.size(); ++k) p += trial[k] != 0 && code[k] == trial[k];
    for (int s = 1; s <= 36; ++s) {
        if (!live[s]) continue;
        int a = 0, b = 0;
        for (size_t k = 0; k < code.size(); ++k) {
            a += code[k] == s;
            b += trial[k] == s;
        }
        m += std::min(a, b);
    }
    return {m, p};
}

class EncoderStoreTest : public VirtualSession {
protected:
    void SetUp() override {
        VirtualSession::SetUp();
        VirtualQueueKeyAfter('x', int64_t(1) << 40);  // the input stays open, no key waits
    }
    void TearDown() override {
        ReleaseEncoderStore();
        VirtualSession::TearDown();
    }
};

TEST_F(EncoderStoreTest, TheUniverseOfCodes) {
    EXPECT_EQ(CodeUniverse(4, 6, true), 1296);
    EXPECT_EQ(CodeUniverse(4, 6, false), 360);
    EXPECT_EQ(CodeUniverse(6, 21, true), 85766121);
    EXPECT_EQ(CodeUniverse(9, 9, false), 362880);
    EXPECT_EQ(CodeUniverse(5, 4, false), 0);
}

TEST_F(EncoderStoreTest, EveryCodeOnceWithOrWithoutRepetitions) {
    for (bool repetitions : {true, false}) {
        ASSERT_TRUE(BuildEncoderStore(4, 6, repetitions));
        std::vector<Signs> codes = StoredCodes();
        EXPECT_EQ(static_cast<int64_t>(codes.size()), CodeUniverse(4, 6, repetitions));
        EXPECT_EQ(EncoderStore.Count, static_cast<int64_t>(codes.size()));
        std::set<Signs> distinct(codes.begin(), codes.end());
        EXPECT_EQ(distinct.size(), codes.size());
        for (const Signs& code : codes) {
            for (uint8_t sign : code) ASSERT_TRUE(sign >= 1 && sign <= 6);
            if (!repetitions) {
                ASSERT_EQ(std::set<uint8_t>(code.begin(), code.end()).size(), 4u);
            }
        }
    }
}

TEST_F(EncoderStoreTest, ClassesAndThinningAgreeWithCountingAcrossChunks) {
    // 17^4 = 83,521 codes: more than one chunk, and a partly filled last one.
    ASSERT_TRUE(BuildEncoderStore(4, 17, true));
    ASSERT_GT(EncoderStore.ChunkCount, 1);
    ResetSignAlive(17);
    SignAlive[5] = 0;  // a dead sign never counts
    SeedRandom(5);
    std::vector<Signs> before = StoredCodes();
    for (int round = 0; round < 4; ++round) {
        uint8_t trial[9] = {};
        for (int k = 0; k < 4; ++k) trial[k] = static_cast<uint8_t>(Random(18));  // 0: vacant
        trial[round % 4] = 5;
        int32_t table[10][10];
        int knownM = 0;
        ClassifyEncoderStore(trial, false, table, knownM);
        EXPECT_EQ(knownM, -1);
        std::map<std::pair<int, int>, int32_t> slow;
        for (const Signs& code : before) ++slow[SlowClass(code, trial, SignAlive)];
        for (int m = 0; m <= 9; ++m)
            for (int p = 0; p <= 9; ++p) {
                auto it = slow.find({m, p});
                ASSERT_EQ(table[m][p], it == slow.end() ? 0 : it->second) << m << "/" << p;
            }
        // Keep the largest class; what remains are exactly its codes, in their order.
        auto largest = std::max_element(slow.begin(), slow.end(),
                                        [](auto& a, auto& b) { return a.second < b.second; });
        KeepEncoderClass(static_cast<uint8_t>(largest->first.first << 4 | largest->first.second));
        std::vector<Signs> expected;
        for (const Signs& code : before)
            if (SlowClass(code, trial, SignAlive) == largest->first) expected.push_back(code);
        std::vector<Signs> after = StoredCodes();
        ASSERT_EQ(after, expected);
        EXPECT_EQ(EncoderStore.Count, static_cast<int64_t>(after.size()));
        before = after;
    }
}

TEST_F(EncoderStoreTest, KnownSignsGiveThePlacesAlone) {
    ASSERT_TRUE(BuildEncoderStore(4, 4, false));
    ResetSignAlive(4);
    const uint8_t trial[9] = {2, 1, 4, 3};
    int32_t table[10][10];
    int knownM = -1;
    ClassifyEncoderStore(trial, true, table, knownM);
    EXPECT_EQ(knownM, 4);
    // Of the 24 orders of four signs: 1 in place everywhere, 6 with two, 8 with one, 9 with none.
    EXPECT_EQ(table[4][4], 1);
    EXPECT_EQ(table[4][2], 6);
    EXPECT_EQ(table[4][1], 8);
    EXPECT_EQ(table[4][0], 9);
    KeepEncoderClass(4);  // the answer byte holds P alone
    ASSERT_EQ(EncoderStore.Count, 1);
    uint8_t first[9] = {};
    FirstEncoderCode(first);
    EXPECT_EQ(Signs(first, first + 4), Signs({2, 1, 4, 3}));
}

TEST_F(EncoderStoreTest, ProgressStarsGrowToTen) {
    GotoXY(12, 9);
    ASSERT_TRUE(BuildEncoderStore(5, 6, true));
    EXPECT_TRUE(ScreenHas(44, 25, "**********"));
    EXPECT_EQ(SearchProgress.TenthsShown, 10);
    EXPECT_EQ(SearchProgress.ItemsDone, 7776);
    EXPECT_EQ(WhereX(), 12);
    EXPECT_EQ(WhereY(), 9);
}

TEST_F(EncoderStoreTest, EscBreaksTheBuildOffAndEverythingIsFreed) {
    StartVirtualConsole();
    VirtualQueueKeys("ab");
    VirtualQueueExtended(ExtF4);
    VirtualQueueKey(KeyEsc);
    VirtualQueueKeyAfter('x', int64_t(1) << 40);
    EXPECT_FALSE(BuildEncoderStore(6, 10, true));
    EXPECT_EQ(EncoderStore.Count, 0);
    EXPECT_EQ(EncoderStore.ChunkCount, 0);
    EXPECT_EQ(VirtualHeapInUse(), 0u);
    EXPECT_EQ(VirtualKeysLeft(), 1u);
    // Ctrl-C too.
    VirtualQueueKey(KeyCtrlC);
    StartVirtualConsole();
    VirtualQueueKey(KeyCtrlC);
    EXPECT_FALSE(BuildEncoderStore(3, 10, true));
}

TEST_F(EncoderStoreTest, AnAllocationThatFailsEndsTheBuildAndFreesWhatWasBuilt) {
    for (int failing = 1; failing <= 4; ++failing) {
        VirtualFailAllocation(failing);
        EXPECT_FALSE(BuildEncoderStore(5, 14, true)) << failing;  // 537,824 codes, 9 chunks
        EXPECT_EQ(VirtualHeapInUse(), 0u);
        EXPECT_EQ(EncoderStore.Count, 0);
    }
    // A store the memory could not back is refused before anything is built.
    VirtualSetHeapLimit(1000000);
    int64_t allocations = VirtualAllocations();
    EXPECT_FALSE(BuildEncoderStore(5, 14, true));
    EXPECT_EQ(VirtualAllocations(), allocations);
    VirtualSetHeapLimit(0);
    EXPECT_TRUE(BuildEncoderStore(5, 14, true));
    EXPECT_EQ(EncoderStore.Count, 537824);
}

}  // namespace
