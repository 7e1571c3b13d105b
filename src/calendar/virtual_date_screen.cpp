// The virtual date screen: its texts in both languages, today's date as the starting and the
// remembered date, and the date standing on leaving, which is virtual only when it is not today.
#include "calendar/virtual_date_screen.h"

#include "calendar/calendar_rules.h"
#include "calendar/date_editor.h"
#include "help/marked_text.h"
#include "shell/console/console.h"
#include "shell/language.h"
#include "shell/settings.h"

namespace {

// Rows 1 to 16, then the calendar note of rows 23 to 25.
const char* const kGerman[16] = {
    "{Bitte stellen Sie Ihr virtuelles Spieldatum ein:}",
    "",
    " Gehen Sie mit den {Pfeiltasten} auf eine Ziffer und " UML_UE "berschreiben Sie sie;",
    " Ziffern, die dort nicht m" UML_OE "glich sind, werden " UML_UE
    "bergangen. Das Datum, das beim",
    " Verlassen dasteht, gilt im Spiel als heutiges Datum. Stimmt das virtuelle",
    " Spieldatum, so dr" UML_UE "cken Sie bitte {\"CR\"}/{\"ENTER\"}.",
    "",
    " {Beachten Sie dabei bitte folgendes:}",
    " - Der {Wochentag} kann nicht ge" UML_AE "ndert werden, er ergibt sich aus dem Datum.",
    " - Es wird angezeigt, ob das Jahr ein {Schaltjahr} ist.",
    " - Jede Eingabe bewirkt eine {sofortige " UML_CAP_AE "nderung des virtuellen Spieldatums}.",
    " - Nur " UML_CAP_AE "nderungen mit einem g" UML_UE "ltigen Ergebnis werden angenommen.",
    "",
    " Dieser Bildschirm dient auch als {Wochentagskalender von 0000 bis 9999}. {F1}",
    " stellt das tats" UML_AE "chliche Datum wieder ein, das beim " UML_CAP_OE
    "ffnen dieses Bildschirms",
    " galt; steht es beim Verlassen da, so gibt es kein virtuelles Spieldatum.",
};

const char* const kEnglish[16] = {
    "{Please set the right virtual date of the game:}",
    "",
    " Move the cursor with the {arrow keys} to a digit and type the wanted one over",
    " it; a digit that is not possible at a place is passed over. The date that",
    " stands here when you leave is taken as today's date of the game.",
    " If the virtual date is o.k., please press {'CR'}/{'ENTER'}.",
    "",
    " {Please note the following:}",
    " - The {day of the week} cannot be changed: it follows from the date.",
    " - The screen tells you whether the year is a {leap-year}.",
    " - Every input causes an {immediate change of the virtual date of the game}.",
    " - Only changes with a valid result are accepted.",
    "",
    " This screen also serves as a weekday {calendar from 0000 to 9999}. {'F1'} puts",
    " back the real date that was valid when this screen was opened; with the real",
    " date on the screen no virtual date is in use.",
};

const char* const kGermanNote[3] = {
    "   Auf Donnerstag, den 4. Oktober 1582 folgt Freitag, der 15. Oktober 1582.",
    "   Damals l" UML_OE "ste der heute g" UML_UE "ltige Gregorianische Kalender den bis dahin",
    "   geltenden Julianischen Kalender ab.",
};
const char* const kEnglishNote[2] = {
    "    Thursday, 4th October 1582 is followed by Friday, 15th October 1582.",
    "    At this time the Gregorian Calendar replaced the Julian Calendar.",
};

}  // namespace

void VirtualDateScreen(GameDate& date, bool& inUse) {
    DateFieldsRecord& f = DateFields;
    SetTextAttr(NormalAttributeInUse);
    ClearScreen();
    const bool german = InGerman();
    const char* const* lines = german ? kGerman : kEnglish;
    for (int row = 1; row <= 16; ++row) {
        GotoXY(1, row);
        WriteMarked(lines[row - 1]);
    }

    // The real date: the edited, the shown and the remembered date at once.
    DateValue today = GetDate();
    f.German = german;
    f.Live = false;
    f.Year = static_cast<uint16_t>(today.Year);
    f.Month = static_cast<uint16_t>(today.Month);
    f.Day = static_cast<uint16_t>(today.Day);
    f.Weekday = static_cast<uint16_t>(today.Weekday);
    f.Leap = GregorianLeapYear(today.Year);
    RememberDate();
    date = GameDate{today.Year, today.Month, today.Day, today.Weekday};
    inUse = false;

    WriteFieldBlock(false);
    if (german) {
        for (int i = 0; i < 3; ++i) WriteAt(1, 23 + i, kGermanNote[i]);
    } else {
        for (int i = 0; i < 2; ++i) WriteAt(1, 23 + i, kEnglishNote[i]);
    }

    FieldPosition position = FieldPosition::YearThousands;
    while (DateEditStep(false, position)) {
        bool isToday = f.Year == today.Year && f.Month == today.Month && f.Day == today.Day;
        if (isToday) {
            date = GameDate{today.Year, today.Month, today.Day, today.Weekday};
            inUse = false;
        } else {
            date = GameDate{f.Year, f.Month, f.Day, WeekdayOf(f.Year, f.Month, f.Day)};
            inUse = true;
        }
    }
    SetTextAttr(NormalAttributeInUse);
}
