// Main menu entry 4: the choice of the common background and the two text colours.
#pragma once

#include <cstdint>

// Works on the attributes in use and the colour display flag; every choice shows at once. On
// return the text attribute is the normal attribute; the caller saves the settings.
void ColourScreen();

// The colour a key chooses on the colour screen, or -1 for a key without a colour: digits
// choose the background, letters the text colour (on a monochrome display only 1, 2 and
// a/A, b/B, c/C).
int ColourOfKey(uint8_t key, bool colourDisplay);
// Applies one key to the pair of attributes; false when the key is refused or chooses nothing.
bool ApplyColourKey(uint8_t key, bool colourDisplay, uint8_t& normal, uint8_t& highlight);

// The instruction panel (columns 41 to 80, rows 3 to 23) in the attributes in use: all of it,
// all but the emphasised phrases (the cursor passes over them, they keep their colour), or the
// emphasised phrases alone.
enum class PanelPart { All, StandardOnly, MarkedOnly };
void DrawColourPanel(PanelPart part);
