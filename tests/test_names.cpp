// Player names: the clean-up and the name editor.
#include <random>

#include "setup/name_editor.h"
#include "setup/names.h"
#include "setup_fixture.h"

namespace {

// A name field holding the text from character 1 on.
std::string Field(const std::string& text) {
    std::string field(NameFieldSize, ' ');
    for (size_t i = 0; i < text.size() && i < 31; ++i) field[i + 1] = text[i];
    return field;
}

std::string Normalized(const std::string& text) {
    std::string field = Field(text);
    NormalizeName(field.data());
    return field;
}

TEST(NormalizeName, TheWorkedExample) {
    EXPECT_EQ(Normalized("hans-peter mueller"), Field("Hans-Peter Mueller"));
    EXPECT_EQ(Normalized("HANS-PETER MUELLER"), Field("Hans-Peter Mueller"));
}

TEST(NormalizeName, CharactersAndSeparators) {
    // ':' is a dot, '_' a hyphen, anything else a blank.
    EXPECT_EQ(Normalized("dr: hans_peter"), Field("Dr. Hans-Peter"));
    EXPECT_EQ(Normalized("ab1cd"), Field("Ab Cd"));
    // Everything after a doubled separator is dropped, and a leading separator leaves no name.
    EXPECT_EQ(Normalized("anna  berta"), Field("Anna"));
    EXPECT_EQ(Normalized("anna- berta"), Field("Anna"));
    EXPECT_EQ(Normalized(" anna"), Field(""));
    EXPECT_EQ(Normalized(".anna"), Field(""));
    // A single capital before a separator becomes an initial; a dot is followed by a blank.
    EXPECT_EQ(Normalized("a-b"), Field("A."));
    EXPECT_EQ(Normalized("h.-p."), Field("H.-P."));
    // The bytes around the name are blanks.
    std::string field = Field("anna");
    field[0] = 'x';
    field[32] = 'y';
    NormalizeName(field.data());
    EXPECT_EQ(field, Field("Anna"));
}

TEST(NormalizeName, TheLastTwoPositions) {
    std::string name = std::string(29, 'a') + " b";  // a part would start at position 31
    EXPECT_EQ(Normalized(name), Field("A" + std::string(28, 'a')));
    name = std::string(30, 'a') + "-";
    EXPECT_EQ(Normalized(name), Field("A" + std::string(29, 'a')));
    name = std::string(31, 'a');
    EXPECT_EQ(Normalized(name), Field("A" + std::string(30, 'a')));
}

class NameEditorTest : public SetupTest {
protected:
    uint8_t Edit(int player) {
        OpenConditions();
        return NameEditor(player);
    }
};

TEST_F(NameEditorTest, TypingRules) {
    struct Case {
        const char* keys;
        const char* name;
    };
    const Case cases[] = {
        {"hans-peter mueller", "Hans-Peter Mueller"},
        {"h mueller", "H. Mueller"},  // an initial
        {"h-p", "H.-P."},             // and a trailing one gets its dot
        {"dr.hans", "Dr. Hans"},      // a dot takes its blank with it
        {"dr:hans", "Dr. Hans"},
        {"anna_berta", "Anna-Berta"},   // '_' is a hyphen
        {"anna -berta", "Anna-Berta"},  // a separator replaces a separator
        {" .anna", "Anna"},             // nothing at the first position but a letter
        {"anna .b", "Anna B."},         // no dot after a separator
        {"an3na!", "Anna"},             // digits and other characters are ignored
        {"anna-", "Anna"},              // a trailing hyphen goes
        {"ANNA", "Anna"},
    };
    for (const Case& c : cases) {
        SetName(Settings.BreakerName, "");
        VirtualQueueKeys(c.keys);
        VirtualQueueKeys("\rj");
        EXPECT_EQ(Edit(2), 'j') << c.keys;
        EXPECT_EQ(Name(Settings.BreakerName), c.name) << c.keys;
        EXPECT_TRUE(ScreenHas(38, 24, Field(c.name).substr(1, 31))) << c.keys;
    }
}

TEST_F(NameEditorTest, BackspaceTakesADotWithItsBlank) {
    VirtualQueueKeys("dr.");
    VirtualQueueKey(KeyBackspace);  // "Dr"
    VirtualQueueKeys("x h");        // "Drx H"
    VirtualQueueKey(KeyBackspace);  // "Drx "
    VirtualQueueKey(KeyBackspace);  // "Drx"
    VirtualQueueKeys("-");
    VirtualQueueKey(KeyEnter);
    VirtualQueueKey('j');
    EXPECT_EQ(Edit(1), 'j');
    EXPECT_EQ(Name(Settings.EncoderName), "Drx");
}

TEST_F(NameEditorTest, ALetterAfterADotWithoutItsBlankStartsANewPart) {
    VirtualQueueKeys("a-");         // "A.-"
    VirtualQueueKey(KeyBackspace);  // "A."
    VirtualQueueKeys("b\rj");
    EXPECT_EQ(Edit(1), 'j');
    EXPECT_EQ(Name(Settings.EncoderName), "A. B.");
}

TEST_F(NameEditorTest, TheEndOfTheField) {
    // A separator at position 30 ends the typing; it is not written.
    std::string letters = std::string(29, 'x');
    VirtualQueueKeys(letters + " ");
    VirtualQueueKey('j');
    EXPECT_EQ(Edit(2), 'j');
    EXPECT_EQ(Name(Settings.BreakerName), "X" + std::string(28, 'x'));

    // After a capital at position 28, a separator leaves only room for the initial's dot.
    SetName(Settings.BreakerName, "");
    VirtualQueueKeys(std::string(26, 'x') + " y-");
    VirtualQueueKey('j');
    EXPECT_EQ(Edit(2), 'j');
    EXPECT_EQ(Name(Settings.BreakerName), "X" + std::string(25, 'x') + " Y.");

    // Thirty-one letters at most.
    SetName(Settings.BreakerName, "");
    VirtualQueueKeys(std::string(40, 'x') + "\rj");
    EXPECT_EQ(Edit(2), 'j');
    EXPECT_EQ(Name(Settings.BreakerName), "X" + std::string(30, 'x'));
}

TEST_F(NameEditorTest, ConfirmationKeys) {
    // A given name goes straight to "O.K.?"; 'n' clears it and the typing starts afresh.
    SetName(Settings.EncoderName, "Anna");
    VirtualQueueKeys("xn");
    VirtualQueueKeys("berta\r");
    VirtualQueueKey(KeyBackspace);  // back into the typing behind the last character
    VirtualQueueKeys(" c\rz");
    EXPECT_EQ(Edit(1), 'j');
    EXPECT_EQ(Name(Settings.EncoderName), "Berta C.");

    // Esc at "O.K.?" steps back, Ctrl-C there restarts the walk.
    VirtualQueueKey(KeyEsc);
    EXPECT_EQ(Edit(1), KeyBackspace);
    VirtualQueueKey(KeyCtrlC);
    EXPECT_EQ(Edit(1), KeyEsc);
    EXPECT_EQ(Name(Settings.EncoderName), "Berta C.");

    // Ctrl-C while typing, Backspace on an empty name.
    SetName(Settings.EncoderName, "");
    VirtualQueueKeys("ab");
    VirtualQueueKey(KeyCtrlC);
    EXPECT_EQ(Edit(1), NameEditorCtrlC);
    SetName(Settings.EncoderName, "");
    VirtualQueueKeys("a");
    VirtualQueueKey(KeyBackspace);
    VirtualQueueKey(KeyBackspace);
    EXPECT_EQ(Edit(1), KeyBackspace);
    EXPECT_EQ(VirtualKeysLeft(), 0u);
}

TEST_F(NameEditorTest, TheCursorRestsOnTheYesWord) {
    Language = LanguageKind::English;
    SetName(Settings.EncoderName, "Anna");
    VirtualQueueExtended(ExtLeft);  // no cursor movement: ignored whole
    VirtualQueueKey('Y');
    EXPECT_EQ(Edit(1), 'j');
    EXPECT_EQ(WhereX(), 76);
    EXPECT_EQ(WhereY(), 23);
    EXPECT_TRUE(ScreenHas(69, 23, " O.K.? Yes|"));
}

// Whatever is typed, the name the editor accepts is one the clean-up leaves as it is: what the
// user saw while typing is what is kept.
TEST_F(NameEditorTest, EveryAcceptedNameIsLeftUnchangedByTheCleanUp) {
    std::mt19937 random(20250101);
    const std::string keys = "abcxyzABZ -_.:19!~";
    for (int round = 0; round < 3000; ++round) {
        std::string field(NameFieldSize, ' ');
        NameTyping typing{field.data(), 0};
        NameKeyResult result = NameKeyResult::Continue;
        int count = 1 + static_cast<int>(random() % 60);
        std::string typed;
        for (int i = 0; i < count && result == NameKeyResult::Continue; ++i) {
            uint8_t key = random() % 8 == 0 ? KeyBackspace
                                            : static_cast<uint8_t>(keys[random() % keys.size()]);
            typed += key == KeyBackspace ? '<' : static_cast<char>(key);
            result = TypeNameKey(typing, key);
            if (result == NameKeyResult::StepBack) {
                result = NameKeyResult::Continue;  // go on typing on the empty name
            }
            ASSERT_GE(typing.Length, 0);
            ASSERT_LE(typing.Length, 31);
            // Nothing stands behind the typed characters.
            ASSERT_LE(NameLength(field.data()), typing.Length) << typed;
        }
        if (result == NameKeyResult::Continue) TypeNameKey(typing, KeyEnter);
        std::string cleaned = field;
        NormalizeName(cleaned.data());
        ASSERT_EQ(cleaned, field) << "typed \"" << typed << "\"";
    }
}

// The same through the editor on the screen: the row shows the name as kept.
TEST_F(NameEditorTest, TheRowShowsTheAcceptedName) {
    std::mt19937 random(7);
    const std::string keys = "aeiHnz -_.:";
    for (int round = 0; round < 200; ++round) {
        SetName(Settings.BreakerName, "");
        int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) {
            if (random() % 10 == 0) {
                VirtualQueueExtended(ExtDel);
            } else {
                VirtualQueueKey(static_cast<uint8_t>(keys[random() % keys.size()]));
            }
        }
        VirtualQueueKeys("\r\rj");  // a name that filled up early sees Enter at "O.K.?"
        ASSERT_EQ(Edit(2), 'j');
        while (VirtualKeysLeft() > 0) ReadKey();
        ASSERT_TRUE(ScreenHas(38, 24, std::string(Settings.BreakerName + 1, 31)));
    }
}

}  // namespace
