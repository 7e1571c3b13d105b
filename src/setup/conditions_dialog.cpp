// The conditions dialog.
//
// The walk visits the fields in a fixed order (steps A..N below). Backspace steps back, Esc
// starts the walk again, Ctrl-C leaves to the main menu; each field's editor returns the key
// that ended it and the walk decides where to go. The conditions stay consistent at every step:
// the capacity check switches off what the computer cannot do and shows it at once.
#include "setup/conditions_dialog.h"

#include <string>

#include "breaker/search_progress.h"
#include "match/code.h"
#include "setup/capacity.h"
#include "setup/conditions_screen.h"
#include "setup/name_editor.h"
#include "setup/names.h"
#include "shell/console/console.h"
#include "shell/keywait.h"
#include "shell/program.h"
#include "shell/settings.h"

namespace {

enum class Step { Prompt, A, B, C, D, E, F, G, H, I, J, K, L, M, N, Menu, Match };

bool TwoHumansFixed() {
    return Settings.AnswerFixed != 0 && Settings.ComputerGuesses == 0 &&
           Settings.ComputerEncodes == 0;
}

bool IsYesKey(uint8_t key) {
    return key == 'j' || key == 'J' || key == 'y' || key == 'Y' || key == 'z' || key == 'Z';
}

char Folded(uint8_t key) {
    char c = static_cast<char>(key);
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return c;
}

// The capacity check for the conditions as they stand, shown on the screen.
void CheckShown() {
    CapacityCheck(SignCount, Settings.CodeLength, Settings.RepetitionsAllowed != 0, false, true,
                  Settings.VacantAllowed != 0);
}

// Where the walk goes back to from the name of the 2nd player (and from the riddle field).
Step BackBeforeNames() {
    if (CanGuess) return Step::J;
    if (CanVary) return Step::I;
    return Step::H;
}

Step AfterSecret() {
    return Step::Prompt;
}
Step AfterEncoderName() {
    return TwoHumansFixed() ? Step::N : AfterSecret();
}
Step AfterRiddle() {
    if (Settings.ComputerEncodes == 0 && !SkipEncoderName) return Step::M;
    return AfterEncoderName();
}
Step AfterGuesser() {
    return Settings.ComputerGuesses == 0 ? Step::K : Step::L;
}
Step AfterAnswerFixed() {
    return CanGuess ? Step::J : AfterGuesser();
}
Step AfterVacant() {
    // The vacant sign counts for the computer's limits from here on.
    CheckShown();
    return CanVary ? Step::I : AfterAnswerFixed();
}

// Where a yes/no field leads: forward on 'j', 'n' or Enter.
Step Route(uint8_t key, Step forward, Step back, Step escape, Step ctrlC) {
    switch (key) {
        case KeyBackspace:
            return back;
        case KeyEsc:
            return escape;
        case KeyCtrlC:
            return ctrlC;
        default:
            return forward;
    }
}

// The choice prompt. Returns the step it leads to; reEdit is set for a secret to be continued.
Step ChoicePrompt(bool& reEdit) {
    SkipEncoderName = false;
    for (;;) {
        GotoXY(PromptColumn(), PromptRow);
        uint8_t code = 0;
        uint8_t key = WaitKeyWithCode(code);
        if (key == KeyExtended) continue;
        if (key == KeyEnter) key = '1';
        if (key == KeyEsc || key == KeyCtrlC) key = '4';
        switch (key) {
            case '1':
                return Step::Match;
            case '3':
                return Step::A;
            case '4':
                return Step::Menu;
            case KeyBackspace:
                if (TwoHumansFixed()) {
                    reEdit = true;
                    return Step::N;
                }
                ShowAnswerDots();
                CheckShown();
                return Step::L;
            case '2': {
                // A rematch exchanges the roles.
                SettingsRecord& s = Settings;
                if (s.ComputerEncodes && s.ComputerGuesses) return Step::Match;
                if (s.ComputerGuesses) {
                    SwapPlayers();
                    s.ComputerGuesses = 0;
                    s.ComputerEncodes = 1;
                    return Step::Match;
                }
                if (s.ComputerEncodes) {
                    if (!CanGuess) break;  // the computer cannot take the codebreaker's part
                    SwapPlayers();
                    s.ComputerGuesses = 1;
                    s.ComputerEncodes = 0;
                    return Step::Match;
                }
                SwapPlayers();
                if (!s.AnswerFixed) return Step::Match;
                // The new encoder types a new secret.
                ShowName(EncoderRow, s.EncoderName);
                ShowName(BreakerRow, s.BreakerName);
                reEdit = false;
                ShowAnswerDots();
                return Step::N;
            }
            default:
                break;
        }
    }
}

// The conditions are left for the menu, possibly in the middle of the walk: a code that needs
// more signs than the range holds gets its repetitions, and the computer's roles are checked,
// so that what is saved can be played.
void LeaveConsistent() {
    ApplyRepetitionRule();
    CapacityCheck(SignCount, Settings.CodeLength, Settings.RepetitionsAllowed != 0, false, false,
                  Settings.VacantAllowed != 0);
}

bool SecretPrefixValid(int count) {
    for (int i = 0; i < count; ++i) {
        char c = SecretCode[i];
        if (!IsSignCharacter(c) || SignIndex[static_cast<uint8_t>(c)] > SignCount) return false;
        if (!Settings.RepetitionsAllowed) {
            for (int j = 0; j < i; ++j) {
                if (SecretCode[j] == c) return false;
            }
        }
    }
    return true;
}

}  // namespace

void ApplyRepetitionRule() {
    if (SignCount < Settings.CodeLength && Settings.RepetitionsAllowed == 0) {
        Settings.RepetitionsAllowed = 1;
        ShowYesNo(ValueColumn, RepetitionsRow, true);
    }
}

void SwapPlayers() {
    NormalizeName(Settings.EncoderName);
    NormalizeName(Settings.BreakerName);
    for (int i = 1; i <= NameWidth; ++i) {
        char c = Settings.EncoderName[i];
        Settings.EncoderName[i] = Settings.BreakerName[i];
        Settings.BreakerName[i] = c;
    }
}

uint8_t YesNoField(uint8_t& flag, int column, int row, bool& changed) {
    changed = false;
    for (;;) {
        GotoXY(column, row);
        uint8_t code = 0;
        uint8_t key = WaitKeyWithCode(code);
        if (key == KeyExtended) continue;
        if (IsYesKey(key)) key = 'j';
        if (key == 'N') key = 'n';
        if (key == 'j' || key == 'n') {
            uint8_t wanted = key == 'j' ? 1 : 0;
            if (flag != wanted) {
                flag = wanted;
                changed = true;
                ShowYesNo(column, row, wanted != 0);
            }
            return key;
        }
        if (key == KeyEnter || key == KeyBackspace || key == KeyEsc || key == KeyCtrlC) return key;
    }
}

uint8_t SignField(char mode) {
    bool lastMode = mode != '*';
    int row = lastMode ? LastSignRow : FirstSignRow;
    for (;;) {
        GotoXY(ValueColumn, row);
        uint8_t code = 0;
        uint8_t key = WaitKeyWithCode(code);
        if (key == KeyExtended) continue;  // an extended key is never a sign
        if (key == KeyEnter || key == KeyBackspace || key == KeyEsc || key == KeyCtrlC) return key;
        char sign = Folded(key);
        if (!IsSignCharacter(sign)) continue;
        if (lastMode && sign == Settings.FirstSign) continue;  // a range has two signs at least
        if (!lastMode) {
            // The range moves around the ring and keeps its size.
            Settings.FirstSign = sign;
            BuildSignTables(sign);
            Settings.LastSign = IndexSign[SignCount];
            WriteAt(ValueColumn, FirstSignRow, std::string(1, sign));
            WriteAt(ValueColumn, LastSignRow, std::string(1, Settings.LastSign));
            ShowSignSet();
        } else {
            int n = SignIndex[static_cast<uint8_t>(sign)];
            WriteAt(ValueColumn, LastSignRow, std::string(1, sign));
            if (n > SignCount) {
                WriteAt(ValueColumn + SignCount, SignSetRow,
                        std::string(IndexSign + SignCount + 1, IndexSign + n + 1));
            } else {
                WriteAt(ValueColumn + n, SignSetRow, std::string(SignCount - n, ' '));
            }
            Settings.LastSign = sign;
            SignCount = n;
        }
        return key;
    }
}

uint8_t CodeLengthField() {
    for (;;) {
        GotoXY(ValueColumn, CodeLengthRow);
        uint8_t code = 0;
        uint8_t key = WaitKeyWithCode(code);
        if (key == KeyExtended) continue;
        if (key == KeyEnter || key == KeyBackspace || key == KeyEsc || key == KeyCtrlC) return key;
        if (key < '2' || key > '9') continue;
        int length = key - '0';
        int old = Settings.CodeLength;
        WriteAt(ValueColumn, CodeLengthRow, std::string(1, static_cast<char>(key)));
        if (length > old) {
            WriteAt(AnswerColumn + old, AnswerRow, std::string(length - old, '.'));
        } else if (length < old) {
            WriteAt(AnswerColumn + length, AnswerRow, std::string(old - length, ' '));
        }
        Settings.CodeLength = static_cast<uint8_t>(length);
        return key;
    }
}

uint8_t TimeLimitField() {
    int column = TimeLimitColumn();
    for (;;) {
        GotoXY(column, TimeLimitRow);
        uint8_t code = 0;
        uint8_t key = WaitKeyWithCode(code);
        if (key == KeyExtended) continue;
        if (key == KeyEnter || key == KeyBackspace || key == KeyEsc || key == KeyCtrlC) return key;
        if (key < '0' || key > '9') continue;
        Settings.TimeLimitTens = static_cast<uint8_t>(key - '0');
        WriteAt(column, TimeLimitRow, std::string(1, static_cast<char>(key)));
        SetTimeLimits(Settings.TimeLimitTens);
        return key;
    }
}

uint8_t SecretEntry(bool reEdit) {
    const int length = Settings.CodeLength;
    const bool repetitions = Settings.RepetitionsAllowed != 0;
    // Without repetitions over exactly as many signs as the code is long, the last sign is the
    // one left over.
    const int typed = length - (!repetitions && length == SignCount ? 1 : 0);
    int position = 1;
    if (reEdit && SecretPrefixValid(typed - 1)) {
        position = typed;
        for (int i = typed; i <= length; ++i) SecretCode[i - 1] = ' ';
        WriteAt(AnswerColumn + typed - 1, AnswerRow, std::string(length - typed + 1, '.'));
    } else {
        SecretCode = BlankCode();
        ShowAnswerDots();
    }
    for (;;) {
        GotoXY(AnswerColumn + position - 1, AnswerRow);
        uint8_t code = 0;
        uint8_t key = WaitKeyWithCode(code);
        if (key == KeyExtended) continue;
        if (key == KeyEsc || key == KeyCtrlC) return key;
        if (key == KeyBackspace) {
            if (position == 1) return key;
            --position;
            SecretCode[position - 1] = ' ';
            WriteAt(AnswerColumn + position - 1, AnswerRow, ".");
            continue;
        }
        char sign = Folded(key);
        if (!IsSignCharacter(sign) || SignIndex[static_cast<uint8_t>(sign)] > SignCount) continue;
        bool repeated = false;
        for (int i = 1; i < position; ++i) repeated = repeated || SecretCode[i - 1] == sign;
        if (repeated && !repetitions) continue;
        SecretCode[position - 1] = sign;
        WriteAt(AnswerColumn + position - 1, AnswerRow, std::string(1, sign));
        ++position;
        if (position <= typed) continue;
        if (typed == length - 1) {
            // The lowest sign of the range not yet used.
            for (int index = 1; index <= SignCount; ++index) {
                char candidate = IndexSign[index];
                bool used = false;
                for (int i = 1; i <= typed; ++i) used = used || SecretCode[i - 1] == candidate;
                if (!used) {
                    SecretCode[length - 1] = candidate;
                    WriteAt(AnswerColumn + length - 1, AnswerRow, std::string(1, candidate));
                    break;
                }
            }
        }
        for (int i = length + 1; i <= MaxCodeLength; ++i) SecretCode[i - 1] = ' ';
        return key;
    }
}

namespace {

// Step A: the walk starts again from the range as it stands; the computer may take both parts
// until the capacity check says otherwise.
Step StartOver() {
    CanGuess = 1;
    CanVary = 1;
    SignCount = SignIndex[static_cast<uint8_t>(Settings.LastSign)];
    if (TwoHumansFixed()) ShowAnswerDots();
    return Step::B;
}

// Step B: the time limit. Backspace leaves the fields for the prompt (or, with two humans and a
// fixed answer, for the encoder's part).
Step TimeLimitStep() {
    uint8_t key = TimeLimitField();
    if (key != KeyBackspace) return Route(key, Step::C, Step::Prompt, Step::Menu, Step::Menu);
    ApplyRepetitionRule();
    CheckShown();
    return TwoHumansFixed() ? Step::L : Step::Prompt;
}

// Step E: the first sign of the range; going on, the computer's limits for the range.
Step FirstSignStep() {
    Step step = Route(SignField(Settings.FirstSign), Step::F, Step::D, Step::A, Step::Menu);
    if (step == Step::F) CapacityCheck(SignCount, 2, false, false, true, false);
    return step;
}

// Step F: the code length; going on, the computer's limits for it, and the repetitions' field
// is skipped where the code needs more signs than the range holds.
Step CodeLengthStep() {
    const SettingsRecord& s = Settings;
    Step step = Route(CodeLengthField(), Step::G, Step::E, Step::A, Step::Menu);
    if (step == Step::G) {
        CapacityCheck(SignCount, s.CodeLength, false, false, true, false);
        ApplyRepetitionRule();
        if (SignCount < s.CodeLength) step = Step::H;
    }
    return step;
}

// Step H: the vacant sign, under the computer's limits for the repetitions as chosen.
Step VacantStep() {
    SettingsRecord& s = Settings;
    CapacityCheck(SignCount, s.CodeLength, s.RepetitionsAllowed != 0, false, true, false);
    bool changed = false;
    uint8_t key = YesNoField(s.VacantAllowed, ValueColumn, VacantRow, changed);
    UserVacantAllowed = s.VacantAllowed;
    if (key == KeyBackspace) {
        ApplyRepetitionRule();
        return s.CodeLength <= SignCount ? Step::G : Step::F;
    }
    const Step step = Route(key, Step::I, Step::F, Step::A, Step::Menu);
    return step == Step::I ? AfterVacant() : step;
}

// Step J: whether the computer breaks the code.
Step GuesserStep() {
    bool changed = false;
    uint8_t key =
        YesNoField(Settings.ComputerGuesses, ComputerGuessesColumn(), ComputerGuessesRow, changed);
    if (changed) ShowBreakerRow();
    return Route(key, AfterGuesser(), Step::I, Step::A, Step::Menu);
}

// Step K: the codebreaker's name.
Step BreakerNameStep() {
    uint8_t key = NameEditor(2);
    if (key == 'j') return Step::L;
    if (key == KeyBackspace) return BackBeforeNames();
    return Step::A;  // Esc at the confirmation, Ctrl-C while typing
}

// Step L: whether the computer encodes.
Step EncoderStep() {
    bool changed = false;
    uint8_t key =
        YesNoField(Settings.ComputerEncodes, ComputerEncodesColumn(), ComputerEncodesRow, changed);
    if (changed) ShowEncoderRow();
    if (key == KeyBackspace) {
        CheckShown();
        SkipEncoderName = false;
        return BackBeforeNames();
    }
    if (key == KeyEsc || key == KeyCtrlC) {
        SkipEncoderName = false;
        return key == KeyEsc ? Step::A : Step::Menu;
    }
    return AfterRiddle();
}

// Step M: the encoder's name.
Step EncoderNameStep() {
    uint8_t key = NameEditor(1);
    if (key == 'j') return AfterEncoderName();
    SkipEncoderName = false;
    return key == KeyBackspace ? Step::L : Step::A;
}

// Step N: the secret, continued where it stands when reEdit is set (it is then cleared).
Step SecretStep(bool& reEdit) {
    uint8_t key = SecretEntry(reEdit);
    reEdit = false;
    if (key != KeyBackspace && key != KeyEsc && key != KeyCtrlC) return AfterSecret();
    SkipEncoderName = false;
    if (key != KeyBackspace) ShowAnswerDots();
    return key == KeyCtrlC ? Step::A : Step::L;
}

// The field of one step of the walk, and the step it leads to. Menu and Match end the walk.
Step WalkStep(Step step, bool& reEdit) {
    SettingsRecord& s = Settings;
    bool changed = false;
    switch (step) {
        case Step::Prompt:
            return ChoicePrompt(reEdit);
        case Step::Menu:
        case Step::Match:
            return step;
        case Step::A:
            return StartOver();
        case Step::B:
            return TimeLimitStep();
        case Step::C:
            return Route(YesNoField(s.SoundOn, ValueColumn, SoundRow, changed), Step::D, Step::A,
                         Step::A, Step::Menu);
        case Step::D:
            CanGuess = 1;
            CanVary = 1;
            return Route(SignField('*'), Step::E, Step::C, Step::A, Step::Menu);
        case Step::E:
            return FirstSignStep();
        case Step::F:
            return CodeLengthStep();
        case Step::G:
            return Route(YesNoField(s.RepetitionsAllowed, ValueColumn, RepetitionsRow, changed),
                         Step::H, Step::F, Step::A, Step::Menu);
        case Step::H:
            return VacantStep();
        case Step::I:
            return Route(YesNoField(s.AnswerFixed, ValueColumn, AnswerFixedRow, changed),
                         AfterAnswerFixed(), Step::H, Step::A, Step::Menu);
        case Step::J:
            return GuesserStep();
        case Step::K:
            return BreakerNameStep();
        case Step::L:
            return EncoderStep();
        case Step::M:
            return EncoderNameStep();
        case Step::N:
            return SecretStep(reEdit);
    }
    return step;
}

}  // namespace

ConditionsOutcome ConditionsDialog() {
    bool reEdit = false;
    // Two humans with a fixed answer must enter a new secret before every match.
    Step step = TwoHumansFixed() ? Step::L : Step::Prompt;
    for (;;) {
        if (step == Step::Menu) {
            LeaveConsistent();
            return ConditionsOutcome::ToMenu;
        }
        if (step == Step::Match) return ConditionsOutcome::StartMatch;
        step = WalkStep(step, reEdit);
    }
}

void PrepareMatchStart() {
    ClearScreen();
    SignCount = SignIndex[static_cast<uint8_t>(Settings.LastSign)];
    CapacityCheck(SignCount, Settings.CodeLength, Settings.RepetitionsAllowed != 0, true, false,
                  Settings.VacantAllowed != 0);
    UserVacantAllowed = Settings.VacantAllowed;
    SaveSettings();
    // The computer as codebreaker uses the vacant sign only over two signs and four positions
    // or more; the user's choice is kept for the file.
    if (Settings.ComputerGuesses && !(SignCount == 2 && Settings.CodeLength >= 4)) {
        Settings.VacantAllowed = 0;
    }
}
