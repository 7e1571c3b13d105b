// The memory configuration (main menu entry 8): the level that bounds the computer's code stores.
#pragma once

// Lets the user choose the memory level; the choice becomes the level in use and is saved with
// the settings by the menu.
void ConfigurationScreen();
