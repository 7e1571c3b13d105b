// The pager of the rules texts: each page is drawn on a cleared screen, and the keys turn the
// pages forward and back or leave the text.
#pragma once

// A page: rows of text with {marked} pieces, drawn from row 1 down (at most 25 rows, each of
// at most 79 columns, so that nothing scrolls).
struct HelpPage {
    const char* const* Rows;
    int RowCount;
};
struct HelpText {
    const HelpPage* Pages;
    int PageCount;
};

void DrawHelpPage(const HelpPage& page);
// Shows the first page and pages on until a key leaves the text:
// - PgDn (also with Ctrl or Alt) and every ordinary key: the next page, or leave on the last;
// - PgUp (also with Ctrl or Alt) and Backspace: the previous page, nothing on the first;
// - Esc and Ctrl-C: leave; every other extended key is ignored.
void HelpPager(const HelpText& text);
