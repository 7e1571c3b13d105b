// A fixture for the game setup: the virtual console with the default settings, the capacity
// tables computed afresh for a memory level, and the conditions screen drawn on request.
#pragma once

#include <string>

#include "match/code.h"
#include "setup/capacity.h"
#include "setup/conditions_screen.h"
#include "shell/language.h"
#include "shell/program.h"
#include "shell/settings.h"
#include "support/virtual_session.h"

class SetupTest : public VirtualSession {
protected:
    void SetUp() override {
        VirtualSession::SetUp();
        SecretCode = BlankCode();
        SkipEncoderName = true;
        UseLevel(4);
    }

    // The capacity tables as a fresh start computes them for the level.
    static void UseLevel(int level) {
        MemoryLevelInUse = static_cast<uint8_t>(level);
        AppliedBudget = -5;
        MemoryBudget = BudgetForLevel(level);
        for (uint8_t& shown : ShownMaxSigns) shown = 0;
        Recheck();
    }

    // The capacity check for the settings as they stand, without display.
    static void Recheck() {
        BuildSignTablesFromSettings();
        CapacityCheck(SignCount, Settings.CodeLength, Settings.RepetitionsAllowed != 0, false,
                      false, Settings.VacantAllowed != 0);
    }

    // The conditions screen as the game setup draws it for the settings as they stand.
    static void OpenConditions() {
        Recheck();
        UserVacantAllowed = Settings.VacantAllowed;
        ConditionsScreen();
    }

    static void SetName(char* field, const std::string& name) {
        for (int i = 0; i < NameFieldSize; ++i) field[i] = ' ';
        for (size_t i = 0; i < name.size() && i < 31; ++i) field[i + 1] = name[i];
    }
    static std::string Name(const char* field) {
        std::string name(field + 1, 31);
        return name.substr(0, name.find_last_not_of(' ') + 1);
    }
    static std::string Secret() { return std::string(SecretCode.begin(), SecretCode.end()); }
};
