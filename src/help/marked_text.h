// Text with marked words: a piece between braces is written in the highlight attribute, the
// rest in the normal attribute.
#pragma once

#include <string_view>

void WriteMarked(std::string_view text);
void WriteMarkedLine(std::string_view text);  // then a line end
