// The three-letter codes by which administrators name the wizard's languages.
#pragma once

// "eng" ... "dut" in any case -> 0-7 in Language order; -1 for anything else.
int languageFromCode(const char* code);
const char* languageCode(int language);

// A POSIX locale name such as "fr_FR.UTF-8" or "nb_NO" -> its Language, or -1
// when the wizard has no texts in that language.
int languageFromLocaleName(const char* locale);
