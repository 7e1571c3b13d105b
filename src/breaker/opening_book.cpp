// The opening patterns per code length, number of usable signs and repetition rule, the book's
// trial laid out over the drawn orders, and the next opening after a 0/0 answer.
#include "breaker/opening_book.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "breaker/candidate_store.h"
#include "breaker/engine_state.h"
#include "breaker/sign_tables.h"
#include "match/board.h"
#include "shell/console/console.h"
#include "shell/settings.h"

uint8_t PosOrder[MaxCodeLength + 1] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
uint8_t SignOrder[RingSize + 1];

namespace {

constexpr int kFirstN = 2;
constexpr int kLastN = RingSize;

// The book as it is written down: for each code length from 3 and each repetition rule, the
// patterns with the sign counts n for which they are played ("a-b" a run of counts), and in
// brackets the variant with a filler for n = 2. Code length 2 always plays ab.
struct BookRow {
    int Length;
    bool Repetitions;
    const char* Entries;
};

// clang-format off
const BookRow kBook[] = {
    {3, false, "aab: 2-4, 7-9, 11; abc: 5-6, 10, 12-36"},
    {3, true, "aab: 2-3, 6-8; abc: 4-5, 9-36"},
    {4, false, "aabb [aaa_]: 2; aaab: 3; aabb: 4-5; aabc: 7-8, 13-17, 19; abcd: 6, 9-12, 18, 20-36"},
    {4, true, "aabb [aaa_]: 2; aaab: 3; aabc: 4-5, 12-16; aabb: 6-9; abcd: 10-11, 17-36"},
    {5, false, "aaaab [aaab_]: 2; aaabc: 3-4, 6; aaabb: 7; aabcd: 8, 11-12, 21-29; aabbc: 9; abcde: 5, 10, 13-20, 30-36"},
    {5, true, "aaaab [aaab_]: 2; aaabc: 3-4; aabbc: 5, 7, 16-17; aabcd: 6, 8, 21-26; aaabb: 9-11; abcde: 12-15, 18-20, 27-36"},
    {6, false, "aaaaab [aaaab_]: 2; aaaabc: 3; aaabbc: 4; aabbcc: 5, 7, 25-26, 28-29; aaabbb: 8; aaabcd: 9; aabcde: 11-12, 14, 16-18, 31, 35-36; aabbcd: 30, 32-34; abcdef: 6, 10, 13, 15, 19-24, 27"},
    {6, true, "aaaaab [aaaab_]: 2; aaaabc: 3; aaabbc: 4, 6; aabbcc: 5, 7-9, 21-22; aabbcd: 10-12, 25-26, 28-30, 32-33; aabcde: 13-15, 31, 34-36; abcdef: 16-20, 23-24, 27"},
    {7, false, "aaaaaab [aaaaab_]: 2; aaaabbc: 3, 12; aaabbcc: 4-5; aaabbcd: 6, 8; aabcdef: 9, 15-16, 22-24; aaabcde: 10, 13; aaaabcd: 11; abcdefg: 7, 14, 17-21, 25-36"},
    {7, true, "aaaaaab [aaaaab_]: 2; aaaabbc: 3; aaabbcc: 4-5, 8; aaabbcd: 6; aaabbbc: 7; aabbccd: 9, 11-13; aabbcde: 10, 16-17, 34-35; aabcdef: 18-21; abcdefg: 14-15, 22-33, 36"},
    {8, false, "aaaaaabb [aaaaaab_]: 2; aaaaabbc: 3; aaaabbcd: 4, 12; aaaabbbb: 5; aaabbbcc: 6; aaabbbcd: 7; aabbccdd: 9; aaaabbbc: 10; aaabbcde: 11; aaabcdef: 13, 27; aabcdefg: 15-16, 20-21, 29-32; abcdefgh: 8, 14, 17-19, 22-26, 28, 33-36"},
    {8, true, "aaaaaabb [aaaaaab_]: 2; aaaaabbc: 3; aaaabbcd: 4; aaaabbbb: 5; aaabbbcc: 6; aaabbbcd: 7; aabbccdd: 8-11, 13-15; aabbccde: 12, 18; aabbcdef: 22-24; aabcdefg: 16-17, 25-28; abcdefgh: 19-21, 29-36"},
    {9, false, "aaaaaaabb [aaaaaaab_]: 2; aaaaaabbc: 3; aaaaabbcd: 4; aaaabbbbc: 5; aaabbbccc: 6-7; aaabbccde: 8; aaaabbcde: 10, 12; aaabcdefg: 11, 14, 17, 23, 35; aaaaabcde: 13, 16; aaaabcdef: 15; aabcdefgh: 19-20, 25-27; abcdefghi: 9, 18, 21-22, 24, 28-34, 36"},
    {9, true, "aaaaaaabb [aaaaaaab_]: 2; aaaaaabbc: 3; aaaaabbcd: 4; aaaabbbbc: 5; aaabbbccc: 6-7; aaabbccde: 8; aaabbbccd: 9; aaabbccdd: 10-12; aabbccdde: 13-15; aabbccdef: 16-17; aabbcdefg: 19-20, 29-31; aabcdefgh: 21-23, 32-36; abcdefghi: 18, 24-28"},
};
// clang-format on

// The book laid out for lookup: [L][repetitions][n], each a pattern of L letters.
struct BookTable {
    char Plain[MaxCodeLength + 1][2][kLastN + 1][MaxCodeLength + 1] = {};
    char Filler[MaxCodeLength + 1][2][MaxCodeLength + 1] = {};  // the variant for n = 2, if any
    uint8_t Listed[MaxCodeLength + 1][2][kLastN + 1] = {};      // how often the row names n

    BookTable() {
        for (int r = 0; r < 2; ++r) {
            for (int n = kFirstN; n <= kLastN; ++n) {
                std::strcpy(Plain[2][r][n], "ab");
                Listed[2][r][n] = 1;
            }
        }
        for (const BookRow& row : kBook) Read(row);
    }

    // "pattern [filler]: n, a-b, ...; pattern: ..." into the table.
    void Read(const BookRow& row) {
        const int r = row.Repetitions ? 1 : 0;
        std::string text = row.Entries;
        size_t at = 0;
        while (at < text.size()) {
            size_t end = text.find(';', at);
            if (end == std::string::npos) end = text.size();
            std::string entry = text.substr(at, end - at);
            at = end + 1;
            size_t colon = entry.find(':');
            std::string head = entry.substr(0, colon);
            std::string pattern;
            std::string filler;
            for (size_t i = 0; i < head.size(); ++i) {
                char c = head[i];
                if (c == '[') {
                    size_t close = head.find(']', i);
                    filler = head.substr(i + 1, close - i - 1);
                    i = close;
                } else if (c != ' ') {
                    pattern.push_back(c);
                }
            }
            if (!filler.empty()) std::strcpy(Filler[row.Length][r], filler.c_str());
            // The counts: numbers and runs separated by commas.
            std::string counts = entry.substr(colon + 1);
            size_t p = 0;
            while (p < counts.size()) {
                while (p < counts.size() && (counts[p] == ' ' || counts[p] == ',')) ++p;
                if (p >= counts.size()) break;
                int from = 0;
                while (p < counts.size() && counts[p] >= '0' && counts[p] <= '9')
                    from = from * 10 + (counts[p++] - '0');
                int to = from;
                if (p < counts.size() && counts[p] == '-') {
                    ++p;
                    to = 0;
                    while (p < counts.size() && counts[p] >= '0' && counts[p] <= '9')
                        to = to * 10 + (counts[p++] - '0');
                }
                for (int n = std::max(from, kFirstN); n <= std::min(to, kLastN); ++n) {
                    std::strcpy(Plain[row.Length][r][n], pattern.c_str());
                    ++Listed[row.Length][r][n];
                }
            }
        }
    }
};

const BookTable& Book() {
    static const BookTable book;
    return book;
}

}  // namespace

void DrawPermutation(const uint8_t* list, int m, uint8_t* order) {
    uint8_t left[RingSize + 1];
    std::memcpy(left, list, static_cast<size_t>(m));
    for (int f = 1; f <= m; ++f) {
        const int remaining = m + 1 - f;
        const int r = static_cast<int>(Random(static_cast<uint32_t>(remaining)));
        order[f - 1] = left[r];
        std::memmove(left + r, left + r + 1, static_cast<size_t>(remaining - r - 1));
    }
}

const char* OpeningPattern(int length, int n, bool repetitions, bool fillerAllowed) {
    length = std::clamp(length, 2, MaxCodeLength);
    n = std::clamp(n, kFirstN, kLastN);
    const int r = repetitions ? 1 : 0;
    if (length == 2 && n == 2 && repetitions) return nullptr;
    const BookTable& book = Book();
    // Where the book gives no variant with a filler, the plain pattern is played.
    if (n == 2 && fillerAllowed && book.Filler[length][r][0] != '\0') return book.Filler[length][r];
    return book.Plain[length][r][n];
}

int OpeningBookListings(int length, bool repetitions, int n) {
    if (length < 2 || length > MaxCodeLength || n < kFirstN || n > kLastN) return 0;
    return Book().Listed[length][repetitions ? 1 : 0][n];
}

void BuildOpeningTrial(int length, int n, bool repetitions, bool show, bool fillerAllowed) {
    const char* pattern = OpeningPattern(length, n, repetitions, fillerAllowed);
    if (pattern == nullptr) pattern = Random(2) == 0 ? "aa" : "ab";
    FixedTrial& trial = FixedTrialRecord;
    for (uint8_t& sign : trial.Signs) sign = 0;
    for (int k = 0; k < length; ++k) {
        const char letter = pattern[k];
        int slot = letter == '_' ? 0 : letter - 'a' + 1;
        // Fewer usable signs than the pattern has letters cannot arise in a match; the letters
        // beyond them then repeat the last sign rather than read an undrawn one.
        if (slot > n) slot = std::max(n, 0);
        trial.Signs[PosOrder[k + 1] - 1] = SignOrder[slot];
    }
    for (uint8_t& count : trial.Counts) count = 0;
    for (int k = 0; k < length; ++k) ++trial.Counts[trial.Signs[k]];
    if (show) {
        const int x = CodeStartX(MatchBoard.Column);
        const int y = TrialY(MatchBoard.Row);
        std::string text;
        for (int k = 0; k < length; ++k) text.push_back(IndexSign[trial.Signs[k]]);
        WriteAt(x, y, text);
        GotoXY(x, y);
    }
}

void PrepareNextOpening() {
    const int length = Settings.CodeLength;
    uint8_t live[RingSize];
    int n = 0;
    for (int s = 1; s <= SignCount; ++s)
        if (SignAlive[s]) live[n++] = static_cast<uint8_t>(s);
    uint8_t positions[MaxCodeLength];
    for (int k = 0; k < length; ++k) positions[k] = static_cast<uint8_t>(k + 1);
    DrawPermutation(positions, length, PosOrder + 1);
    SignOrder[0] = FillerSign;
    DrawPermutation(live, n, SignOrder + 1);
    BuildOpeningTrial(length, n, Settings.RepetitionsAllowed != 0, false, true);
}
