// The store of the encoder of a code that is not fixed: every code still consistent with the
// answers given so far, in structure-of-arrays chunks (one byte array per position and one of
// answer classes), so that an answer classifies and thins tens of millions of codes in
// a fraction of a second.
#pragma once

#include <cstdint>

#include "match/code.h"

constexpr int EncoderChunkCodes = 1 << 16;

struct EncoderChunk {
    uint8_t* Block = nullptr;  // positions 1..L, then the answer classes, each EncoderChunkCodes
    int32_t Used = 0;          // codes of this chunk still on the list
};

struct EncoderStoreRecord {
    int Length = 0;
    int64_t Count = 0;  // codes on the list
    EncoderChunk* Chunks = nullptr;
    int32_t ChunkCount = 0;  // chunks allocated
    int32_t ChunkCapacity = 0;
};
extern EncoderStoreRecord EncoderStore;

// The number of codes of length L over n signs: n^L, or n!/(n-L)! without repetitions.
int64_t CodeUniverse(int length, int n, bool repetitions);

// Enumerates every code of the conditions into the store. Per code the keyboard is tested (Esc
// or Ctrl-C break off), every 256 codes the clock ticks, and the progress stars of row 25 grow.
// Returns false when it was broken off or memory ran out; the store is then released.
bool BuildEncoderStore(int length, int n, bool repetitions);
void ReleaseEncoderStore();

// Classifies every code against the trial (sign indexes, 0 for the vacant sign) with the class
// pass of the computer's search: its class (M shl 4) or P goes to its answer byte, and the
// counts per class to classTable[M][P]. M counts the signs that may still occur (SignAlive),
// P every sign in place but the vacant one. While the signs are known, M is taken from the first
// code and the answer byte holds P alone.
void ClassifyEncoderStore(const uint8_t* trial, bool signsKnown, int32_t classTable[10][10],
                          int& knownM);
// Keeps the codes whose answer byte equals the class, in their order.
void KeepEncoderClass(uint8_t answerByte);
// The sign indexes of the first code on the list.
void FirstEncoderCode(uint8_t* signs);
