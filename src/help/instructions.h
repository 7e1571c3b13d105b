// The operating instructions at the top of the main-menu page.
#pragma once

constexpr int InstructionRows = 18;  // the menu below fills the last seven rows

// Writes the instructions from the cursor (at row 1 of a cleared screen), ending at the start
// of row 19.
void WriteOperatingInstructions();
