// The pager: every page drawn on a cleared screen, and the pages turned by key; PgDn and PgUp
// count in every extended code they come with (plain, with Ctrl or Alt, and 184 and 176).
#include "help/pager.h"

#include "help/marked_text.h"
#include "shell/console/console.h"
#include "shell/keywait.h"
#include "shell/settings.h"

namespace {

constexpr uint8_t kExtPageForward184 = 184;
constexpr uint8_t kExtPageBack176 = 176;

bool PageForwardCode(uint8_t code) {
    return code == ExtPgDn || code == ExtCtrlPgDn || code == ExtAltPgDn ||
           code == kExtPageForward184;
}

bool PageBackCode(uint8_t code) {
    return code == ExtPgUp || code == ExtCtrlPgUp || code == ExtAltPgUp || code == kExtPageBack176;
}

}  // namespace

void DrawHelpPage(const HelpPage& page) {
    SetTextAttr(NormalAttributeInUse);
    ClearScreen();
    for (int row = 1; row <= page.RowCount && row <= ScreenHeight; ++row) {
        GotoXY(1, row);
        WriteMarked(page.Rows[row - 1]);
    }
}

void HelpPager(const HelpText& text) {
    if (text.PageCount <= 0) return;
    int page = 0;
    DrawHelpPage(text.Pages[page]);
    for (;;) {
        uint8_t code = 0;
        uint8_t key = WaitKeyWithCode(code);
        if (key == KeyEsc || key == KeyCtrlC) return;
        bool back = key == KeyBackspace || (key == KeyExtended && PageBackCode(code));
        if (back) {
            if (page > 0) DrawHelpPage(text.Pages[--page]);
            continue;
        }
        if (key == KeyExtended && !PageForwardCode(code)) continue;
        if (page + 1 >= text.PageCount) return;
        DrawHelpPage(text.Pages[++page]);
    }
}
