// The rules of the game, short (one page) and detailed (four pages), and the information block
// of the language screen.
#pragma once

#include "help/pager.h"

HelpText ShortRulesText(bool german);
HelpText DetailedRulesText(bool german);

// Menu entries 6 and 7, in the current language.
void ShowShortRules();
void ShowDetailedRules();

// The lines on the making of the program, written by the language screen below its title line
// (ends with a line end).
void WriteInformationBlock();
