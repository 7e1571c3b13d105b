// The language of the screens, chosen at every start; never saved.
#pragma once

enum class LanguageKind { German, English };
extern LanguageKind Language;

inline bool InGerman() {
    return Language == LanguageKind::German;
}

// German umlauts are written as two letters, each a piece of its own between the pieces of a
// text, so that every column counts them as two characters.
#define UML_AE "ae"
#define UML_OE "oe"
#define UML_UE "ue"
#define UML_CAP_AE "Ae"
#define UML_CAP_OE "Oe"
#define UML_CAP_UE "Ue"
#define UML_SZ "ss"
