// Marked text: each brace switches between the highlight and the normal attribute and is not
// written itself; the text always ends in the normal attribute.
#include "help/marked_text.h"

#include "shell/console/console.h"
#include "shell/settings.h"

void WriteMarked(std::string_view text) {
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '{' && text[i] != '}') continue;
        WriteText(text.substr(start, i - start));
        SetTextAttr(text[i] == '{' ? HighlightAttributeInUse : NormalAttributeInUse);
        start = i + 1;
    }
    WriteText(text.substr(start));
    SetTextAttr(NormalAttributeInUse);
}

void WriteMarkedLine(std::string_view text) {
    WriteMarked(text);
    WriteLine();
}
