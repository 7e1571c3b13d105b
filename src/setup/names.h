// Player names: a 33-byte field, a space, up to 31 characters of name, a space.
#pragma once

// Cleans a name field in place: allowed characters only, capitals at the start of each part,
// initials with their dot, and nothing after a doubled separator.
void NormalizeName(char* field);
