// The human's trial: typed in place with the cursor keys, then answered by the fixed secret, by
// the encoder's store (the computer's answer or the human's, among those a remaining code
// gives), with the store thinned and the live signs updated after every answer.
#include "match/trial_editor.h"

#include <string>

#include "breaker/answer_order.h"
#include "breaker/candidate_store.h"
#include "breaker/long_work.h"
#include "breaker/sign_tables.h"
#include "calendar/clock_text.h"
#include "match/encoder_store.h"
#include "match/human_answer.h"
#include "shell/console/console.h"
#include "shell/keywait.h"
#include "shell/settings.h"

MatchRulesRecord MatchRules;

namespace {

enum class EditKey { None, Left, Right, Delete };

int Length() {
    return Settings.CodeLength;
}

void BreakOff(uint8_t& lastKey) {
    lastKey = KeyEsc;
    ClockState.GuessRunning = false;
    ReleaseCandidateStore(true);
    ClockState.ClockActive = false;
}

void WriteDigit(int x, int y, int value) {
    WriteAt(x, y, std::string(1, char('0' + value)));
}

// Types the trial; false when the match was broken off.
bool TypeTrial(Code& trial, uint8_t& lastKey) {
    const int length = Length();
    const int x0 = CodeStartX(MatchBoard.Column);
    const int y = TrialY(MatchBoard.Row);
    if (MatchBoard.TrialCount > 1) WriteAt(x0, y, std::string(static_cast<size_t>(length), '.'));
    GotoXY(x0, y);
    bool empty[MaxCodeLength];
    for (int k = 0; k < length; ++k) empty[k] = true;
    trial = BlankCode();
    int p = 1;
    ClockState.GuessRunning = true;
    for (;;) {
        uint8_t code = 0;
        uint8_t key = WaitKeyWithCode(code);
        EditKey action = EditKey::None;
        if (key == KeyExtended) {
            if (code == ExtLeft || code == ExtCtrlLeft || code == ExtAltLeft)
                action = EditKey::Left;
            if (code == ExtRight || code == ExtCtrlRight || code == ExtAltRight)
                action = EditKey::Right;
            if (code == ExtDel || code == ExtAltDel || code == 6 || code == 7)
                action = EditKey::Delete;
            if (action == EditKey::None) continue;
        }
        if (key == KeyEsc || key == KeyCtrlC) {
            BreakOff(lastKey);
            return false;
        }
        if (key >= 'A' && key <= 'Z') key = static_cast<uint8_t>(key - 'A' + 'a');
        if (action == EditKey::Left) {
            --p;
        } else if (action == EditKey::Right || key == KeyEnter) {
            ++p;
        } else if (key == KeyBackspace) {
            WriteAt(x0 - 1 + p, y, ".");
            empty[p - 1] = true;
            --p;
        } else if (action == EditKey::Delete || key == ',' || key == 127) {
            WriteAt(x0 - 1 + p, y, ".");
            empty[p - 1] = true;
            ++p;
        } else if (key == ' ' || key == '*' || key == '+' || key == '~') {
            if (!MatchRules.VacantInForce) continue;
            WriteAt(x0 - 1 + p, y, "*");
            trial[static_cast<size_t>(p - 1)] = VacantSign;
            empty[p - 1] = false;
            ++p;
        } else if (IsSignCharacter(static_cast<char>(key)) && SignIndex[key] <= SignCount) {
            WriteAt(x0 - 1 + p, y, std::string(1, static_cast<char>(key)));
            trial[static_cast<size_t>(p - 1)] = static_cast<char>(key);
            empty[p - 1] = false;
            ++p;
        } else {
            continue;
        }
        if (p == 0) p = length;
        if (p == length + 1) p = 1;
        GotoXY(x0 - 1 + p, y);
        bool complete = true;
        for (int k = 0; k < length; ++k) complete = complete && !empty[k];
        if (complete) break;
    }
    ClockState.GuessRunning = false;
    return true;
}

void WriteScore(TrialRow& row, int p, int z) {
    const int y = TrialY(MatchBoard.Row);
    row.P = static_cast<uint8_t>(p);
    row.Z = static_cast<uint8_t>(z);
    WriteDigit(PColumn(MatchBoard.Column), y, p);
    WriteDigit(ZColumn(MatchBoard.Column), y, z);
    GotoXY(ZColumn(MatchBoard.Column), y);
}

// The slot of an earlier trial with the same code among the last thirty, or 0. While the
// board scrolls, the current slot still holds the trial made thirty trials ago.
int RepeatedTrialSlot(const Code& trial) {
    const int32_t n = MatchBoard.TrialCount;
    const int slots = n <= RingTrials ? static_cast<int>(n - 1) : RingTrials;
    const int length = Length();
    for (int slot = 1; slot <= slots; ++slot) {
        const TrialRow& row = MatchBoard.Rows[slot];
        bool same = true;
        for (int k = 0; k < length; ++k)
            same = same && row.Signs[static_cast<size_t>(k)] == trial[static_cast<size_t>(k)];
        if (same) return slot;
    }
    return 0;
}

void AnswerNotFixed(const Code& trial, TrialRow& row, uint8_t& lastKey) {
    const int length = Length();
    uint8_t indexes[MaxCodeLength] = {};
    bool anyLive = false;
    for (int k = 0; k < length; ++k) {
        char c = trial[static_cast<size_t>(k)];
        indexes[k] = c == VacantSign ? 0 : SignIndex[static_cast<uint8_t>(c)];
        anyLive = anyLive || SignAlive[indexes[k]] != 0;
    }
    if (!anyLive) {
        WriteScore(row, 0, 0);
        return;
    }
    if (int slot = RepeatedTrialSlot(trial); slot != 0) {
        int p = MatchBoard.Rows[slot].P;
        int z = MatchBoard.Rows[slot].Z;
        WriteScore(row, p, z);
        return;
    }
    int32_t table[10][10];
    int knownM = -1;
    ClassifyEncoderStore(indexes, SignsKnown != 0, table, knownM);
    int p = 0, m = 0, z = 0;
    if (MatchRules.ComputerEncodes) {
        EncoderAnswer(table, p, m);
    } else {
        Beep();
        uint8_t keyRead = 0;
        if (!ReadHumanAnswer(table, p, z, keyRead)) {
            BreakOff(lastKey);
            return;
        }
        m = p + z;
    }
    if (p == length) {
        SecretCode = trial;
        WriteScore(row, p, 0);
        ReleaseCandidateStore(true);
        ClockState.ClockActive = false;
        return;
    }
    if (PollWorkKey() == WorkKey::BreakOff) {
        BreakOff(lastKey);
        return;
    }
    KeepEncoderClass(static_cast<uint8_t>(knownM >= 0 ? p : (m << 4) | p));
    if (EncoderStore.Count == 1) {
        uint8_t sole[MaxCodeLength] = {};
        FirstEncoderCode(sole);
        Code secret = BlankCode();
        for (int k = 0; k < length; ++k) secret[static_cast<size_t>(k)] = IndexSign[sole[k]];
        SecretCode = secret;
    }
    if (!SignsKnown) {
        if (m == length) {
            SignsKnown = 1;
            for (int s = 0; s <= RingSize; ++s) SignAlive[s] = 0;
            for (int k = 0; k < length; ++k)
                if (indexes[k] != 0) SignAlive[indexes[k]] = 1;
        } else if (p == 0 && m == 0) {
            for (int k = 0; k < length; ++k) SignAlive[indexes[k]] = 0;
            int live = 0;
            for (int s = 1; s <= RingSize; ++s) live += SignAlive[s];
            if (!MatchRules.Repetitions && live <= length) SignsKnown = 1;
        }
    }
    z = m - p;
    if (MatchRules.ComputerEncodes) {
        WriteScore(row, p, z);
    } else {
        row.P = static_cast<uint8_t>(p);
        row.Z = static_cast<uint8_t>(z);
    }
}

}  // namespace

void EditAndAnswerTrial(TrialRow& row, uint8_t& lastKey) {
    lastKey = 0;
    Code trial;
    if (!TypeTrial(trial, lastKey)) return;
    const int length = Length();
    const int y = TrialY(MatchBoard.Row);
    GotoXY(PColumn(MatchBoard.Column), y);
    if (MatchRules.Fixed) {
        row.Signs = trial;
        Score score = ScoreTrialCounted(trial, SecretCode, MatchRules.SecretCounts, length);
        WriteScore(row, score.P, score.Z);
        if (score.P == length) ClockState.ClockActive = false;
        return;
    }
    // The check for a repeated trial looks at the earlier rows, the current one among them
    // while the board scrolls, before the trial is copied in.
    AnswerNotFixed(trial, row, lastKey);
    if (lastKey != KeyEsc) row.Signs = trial;
}
