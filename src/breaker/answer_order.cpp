// The answer order per code length, read from its P/Z table once per match, and the encoder's
// choice along it.
#include "breaker/answer_order.h"

uint8_t AnswerOrderP[55];
uint8_t AnswerOrderM[55];
int AnswerOrderCount = 0;

namespace {

// P/Z pairs per code length; the impossible answer P = L - 1, Z = 1 has no place.
const char* const kOrder[10] = {
    "",
    "",
    "0/1 1/0 0/0 0/2 2/0",
    "1/1 0/1 0/2 1/0 2/0 0/0 0/3 1/2 3/0",
    "1/1 1/2 2/1 0/2 0/1 0/3 1/0 2/0 3/0 0/0 0/4 1/3 2/2 4/0",
    "1/1 1/2 1/3 2/1 2/2 3/1 0/2 0/3 0/1 0/4 1/0 2/0 3/0 4/0 0/0 0/5 1/4 2/3 3/2 5/0",
    "1/2 1/1 1/3 2/1 1/4 2/2 2/3 3/1 3/2 4/1 0/3 0/2 0/4 0/1 0/5 1/0 2/0 3/0 4/0 5/0 0/0 0/6 "
    "1/5 2/4 3/3 4/2 6/0",
    "1/2 1/3 1/1 1/4 2/1 2/2 2/3 3/1 1/5 2/4 3/2 3/3 4/1 4/2 5/1 0/3 0/4 0/2 0/5 0/1 0/6 1/0 "
    "2/0 3/0 4/0 5/0 6/0 0/0 0/7 1/6 2/5 3/4 4/3 5/2 7/0",
    "1/3 1/2 1/4 2/2 2/1 2/3 3/1 1/1 1/5 2/4 3/2 1/6 3/3 4/1 2/5 3/4 4/2 4/3 5/1 5/2 6/1 0/4 "
    "0/3 0/5 0/2 0/6 0/1 0/7 1/0 2/0 3/0 4/0 5/0 6/0 7/0 0/0 0/8 1/7 2/6 3/5 4/4 5/3 6/2 8/0",
    "1/3 1/4 2/2 1/2 2/3 1/5 2/1 1/1 1/6 2/4 3/1 3/2 1/7 2/5 3/3 2/6 4/1 3/4 4/2 3/5 4/3 5/1 "
    "4/4 5/2 5/3 6/1 6/2 7/1 0/4 0/5 0/3 0/6 0/2 0/7 0/1 0/8 1/0 2/0 3/0 4/0 5/0 6/0 7/0 8/0 "
    "0/0 0/9 1/8 2/7 3/6 4/5 5/4 6/3 7/2 9/0",
};

}  // namespace

void SetupAnswerOrder(int length) {
    if (length < 2 || length > 9) length = 4;
    AnswerOrderCount = 0;
    for (const char* p = kOrder[length]; *p != '\0';) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        int answerP = p[0] - '0';
        int answerZ = p[2] - '0';
        ++AnswerOrderCount;
        AnswerOrderP[AnswerOrderCount] = static_cast<uint8_t>(answerP);
        AnswerOrderM[AnswerOrderCount] = static_cast<uint8_t>(answerP + answerZ);
        p += 3;
    }
}

void EncoderAnswer(const int32_t classTable[10][10], int& p, int& m) {
    int32_t most = -1;
    for (int e = 1; e <= AnswerOrderCount; ++e) {
        const int32_t count = classTable[AnswerOrderM[e]][AnswerOrderP[e]];
        if (count > most) {
            most = count;
            p = AnswerOrderP[e];
            m = AnswerOrderM[e];
        }
    }
}
