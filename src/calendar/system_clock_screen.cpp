// The system clock screen: its texts in both languages and the date editor run live, the fields
// following the machine's clock while the screen waits for a key.
#include "calendar/system_clock_screen.h"

#include "calendar/calendar_rules.h"
#include "calendar/date_editor.h"
#include "help/marked_text.h"
#include "shell/console/console.h"
#include "shell/language.h"
#include "shell/settings.h"

namespace {

// Rows 1 to 16; the heading and the {marked} pieces in the highlight attribute.
const char* const kGerman[16] = {
    "{Bitte stellen Sie Datum und Uhrzeit ein (ben" UML_OE "tigt Administrationsrechte):}",
    "",
    " Gehen Sie mit den {Pfeiltasten} auf eine falsche Ziffer und " UML_UE "berschreiben Sie",
    " sie mit der richtigen; unzul" UML_AE "ssige Ziffern werden " UML_UE "bergangen.",
    " Stimmen Datum und Uhrzeit, so dr" UML_UE "cken Sie bitte {\"CR\"}/{\"ENTER\"}.",
    " Auch {\"Esc\"} verl" UML_AE "sst den Bildschirm; was eingestellt ist, bleibt eingestellt.",
    "",
    " {Beachten Sie dabei bitte folgendes:}",
    " - Der {Wochentag} kann nicht ge" UML_AE "ndert werden, er ergibt sich aus dem Datum.",
    " - Es wird angezeigt, ob das Jahr ein {Schaltjahr} ist.",
    " - Jede Eingabe bewirkt eine {sofortige " UML_CAP_AE "nderung von Datum, bzw. Uhrzeit}.",
    " - Nur " UML_CAP_AE "nderungen mit einem g" UML_UE "ltigen Ergebnis werden angenommen.",
    "",
    " Dieser Bildschirm dient auch als {Wochentagskalender ab 1980}: Stellen Sie ein",
    " Datum ein und lesen Sie den Wochentag ab. {F1} stellt danach das Datum wieder",
    " her, das beim " UML_CAP_OE "ffnen dieses Bildschirms galt.",
};

const char* const kEnglish[16] = {
    "{Please set the right date and time (administration rights are required):}",
    "",
    " Move the cursor with the {arrow keys} to a wrong digit and type the right one",
    " over it; a digit that is not possible at a place is passed over.",
    " If date and time are o.k., please press {'CR'}/{'ENTER'}.",
    " {'Esc'} leaves the screen as well; whatever has been set stays set.",
    "",
    " {Please note the following:}",
    " - The {day of the week} cannot be changed: it follows from the date.",
    " - The screen tells you whether the year is a {leap-year}.",
    " - Every input causes an {immediate change of the date respectively the time}.",
    " - Only changes with a valid result are accepted.",
    "",
    " This screen also serves as a weekday {calendar (from 1980)}: set a date and read",
    " its day of the week. {'F1'} then puts back the date that was valid when this",
    " screen was opened.",
};

}  // namespace

void SystemClockScreen() {
    DateFieldsRecord& f = DateFields;
    SetTextAttr(NormalAttributeInUse);
    ClearScreen();
    const char* const* lines = InGerman() ? kGerman : kEnglish;
    for (int row = 1; row <= 16; ++row) {
        GotoXY(1, row);
        WriteMarked(lines[row - 1]);
    }

    f.German = InGerman();
    DateValue date = GetDate();
    TimeValue time = GetTime();
    f.Year = static_cast<uint16_t>(date.Year);
    f.Month = static_cast<uint16_t>(date.Month);
    f.Day = static_cast<uint16_t>(date.Day);
    f.Weekday = static_cast<uint16_t>(date.Weekday);
    f.Leap = GregorianLeapYear(date.Year);
    f.Hour = static_cast<uint16_t>(time.Hour % 24);
    f.Minute = static_cast<uint16_t>(time.Minute);
    f.Second = static_cast<uint16_t>(time.Second);
    f.Hundredths = static_cast<uint16_t>(time.Hundredths);
    RememberDate();
    f.DateSet = false;
    WriteFieldBlock(true);

    f.Live = true;
    UpdateFields(true);
    FieldPosition position = FieldPosition::YearThousands;
    while (DateEditStep(true, position)) {
    }
    f.Live = false;
    SetTextAttr(NormalAttributeInUse);
}
