// The program's course: start-up, language screen, main menu and end.
#pragma once

#include <cstdint>
#include <string>

extern bool SkipEncoderName;             // the 1st player's name is not asked in the first pass
extern uint8_t AttributeAtStart;         // restored at the end
extern std::string ProcessorLineGerman;  // the processor label of the match board
extern std::string ProcessorLineEnglish;

// Runs the whole program on the active console and returns its exit code.
int RunProgram();

// The start-up screen: returns 'd', 'e' or Esc, and sets the language ('e' English, else German).
uint8_t LanguageScreen();
void DrawMainMenu();
void WriteExitBanner();
