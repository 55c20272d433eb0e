// The wizard's texts are Windows-1252 bytes, the code page its fonts are drawn in.
// Every table is checked for that; a few values per table, written here in UTF-8,
// catch a wrong table, a shifted row or a lost accent. What leaves the program as
// text is converted from them to Unicode, by one table checked here against iconv.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <string_view>

#include "platform/windows1252.h"
#include "wizard/texts.h"

namespace {

// From one code page to another; false when the text is not in the first.
bool convert(const char* from, const char* to, std::string_view text, std::string& out) {
    const iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        ADD_FAILURE() << "no converter from " << from << " to " << to;
        return false;
    }
    std::string in(text);
    out.assign(4 * in.size() + 1, '\0');
    char* source = in.data();
    char* target = out.data();
    std::size_t sourceLeft = in.size(), targetLeft = out.size();
    const bool ok = iconv(converter, &source, &sourceLeft, &target, &targetLeft) !=
                    static_cast<std::size_t>(-1);
    iconv_close(converter);
    out.resize(out.size() - targetLeft);
    return ok;
}

std::string windows1252(std::string_view utf8) {
    std::string out;
    EXPECT_TRUE(convert("UTF-8", "WINDOWS-1252", utf8, out)) << utf8;
    return out;
}

// English, one other language (an accented text where the table has one) and
// Dutch, the last row.
struct Pinned {
    const char* name;
    const char* const* table;
    const char* english;
    int other;
    const char* otherText;
    const char* dutch;
};

const Pinned pinned[] = {
    {"LanguageButtonLabels", LanguageButtonLabels, "Install in English", Portuguese,
     "Instalação em Português", "Installeer in Nederlands"},
    {"BackLabels", BackLabels, "< Back", Swedish, "< Bakåt", "< Terug"},
    {"NextLabels", NextLabels, "Next >", Swedish, "Nästa >", "Volgende >"},
    {"FinishLabels", FinishLabels, "Finish", Norwegian, "Avslutt", "Einde"},
    {"ExitLabels", ExitLabels, "Exit", French, "Quitter", "Stop"},
    {"YesLabels", YesLabels, "Yes", Italian, "Sì", "Ja"},
    {"NoLabels", NoLabels, "No", Portuguese, "Não", "Nee"},
    {"WindowTitles", WindowTitles, "Tactico Update", French, "Mise à jour de Tactico",
     "Tactico Update"},
    {"CurrentVersionLabels", CurrentVersionLabels, "Current installed version:", Norwegian,
     "Nåværende versjon:", "Huidige geinstalleerde versie:"},
    {"NewVersionLabels", NewVersionLabels, "New version to install:", Spanish,
     "Nueva versión a instalar:", "Nieuwe versie om te installeren:"},
    {"UpdatePrompts", UpdatePrompts, "Click 'Next' to update", Norwegian,
     "Klikk 'Neste' for å oppdatere", "Klik op 'volgende'om updaten te starten"},
    {"ContinuePrompts", ContinuePrompts, "Click 'Next' to continue", Swedish,
     "Klicka på 'Nästa' för att fortsätta", "Klik op 'volgende' om door te gaan"},
    {"UpdatingLabels", UpdatingLabels, "Updating...", French, "Mise à jour...", "Updating..."},
    {"UpdateCompletedLabels", UpdateCompletedLabels, "Update completed", French,
     "Mise à jour réussie", "Update afgerond"},
    {"InstallNotFoundMessages", InstallNotFoundMessages, "Unable to find Tactico installation",
     Spanish, "No se encuentra la instalación del Tactico",
     "Kan het geinstalleerde bestand Tactico niet vinden"},
    {"ReinstallAdvice", ReinstallAdvice, "Re-install Tactico from CD and try again", Swedish,
     "Ominstallera Tactico från CD:n och försök igen",
     "Installeer Tactico opnieuw en probeer nogmaals"},
    {"InstallCorruptMessages", InstallCorruptMessages, "Tactico installation is corrupt", Italian,
     "L'installazione di Tactico non è corretta", "Tactico is niet correct afgerond"},
    {"SourceFileMissingMessages", SourceFileMissingMessages, "Unable to find a source file",
     Swedish, "Kan ej hitta källfil", "Kan bronbestand niet vinden"},
    {"UpdateFileCorruptMessages", UpdateFileCorruptMessages, "The update file is corrupt",
     Portuguese, "O ficheiro de actualização está corrompido", "De update file is onjuist"},
    {"IncompatibleUpdateMessages", IncompatibleUpdateMessages,
     "This update is not compatible with your existing Tactico installation. Please download the "
     "full update instead.",
     Swedish,
     "Denna uppdatering är ej kompatibel med din tidigare Tactico installation. Var vänlig ladda "
     "ner denna fulla updateringsversionen istället.",
     "Deze update is niet geschikt voor de huidige geinstalleerde Tactico versie. Download de "
     "volledige update opnieuw."},
    {"QuickStartOutOfDateMessages", QuickStartOutOfDateMessages,
     "The quick start files from your original installation are out of date. They will still "
     "work, but will not contain the most recent data.",
     French,
     "Les parties express stockées sur votre installation d'origine sont périmées. Elles "
     "fonctionneront encore, mais ne contiendront pas les données les plus récentes.",
     "De snelstart bestanden van uw originele installatie zijn verouderd. Ze zullen nog goed "
     "werken maar zullen niet de meest recente data bevatten.."},
    {"DeleteQuickStartQuestions", DeleteQuickStartQuestions,
     "Delete the quick start files (recommended) ?", Spanish,
     "¿Borrar los ficheros de partidas rapidas (recomendado)?",
     "De snelstart bestanden verwijderen (aanbevolen) ?"},
    {"PathEntryPrompts", PathEntryPrompts, "", French, "", ""},
    {"WriteFailureMessages", WriteFailureMessages, "", French, "", ""},
    {"LanguageReadmeFiles", LanguageReadmeFiles, "readme_eng.txt", Norwegian, "readme_nor.txt",
     "readme_dut.txt"},
};

TEST(Texts, EveryTableIsWindows1252AndHoldsItsPinnedValues) {
    for (const Pinned& p : pinned) {
        SCOPED_TRACE(p.name);
        EXPECT_EQ(p.table[English], windows1252(p.english));
        EXPECT_EQ(p.table[p.other], windows1252(p.otherText));
        EXPECT_EQ(p.table[Dutch], windows1252(p.dutch));
        for (int language = 0; language < LanguageCount; ++language) {
            const std::string_view text = p.table[language];
            std::string utf8;
            EXPECT_TRUE(convert("WINDOWS-1252", "UTF-8", text, utf8)) << language;
            // An accent saved as UTF-8 reads as two Windows-1252 characters.
            for (std::size_t i = 0; i + 1 < text.size(); ++i) {
                const auto lead = static_cast<unsigned char>(text[i]);
                const auto next = static_cast<unsigned char>(text[i + 1]);
                EXPECT_FALSE(lead >= 0xC2 && lead <= 0xF4 && next >= 0x80 && next <= 0xBF)
                    << language << ": " << utf8;
            }
        }
    }
    EXPECT_STREQ(UpdaterVersionText, "Version 3.84 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)");
    for (int language = 0; language < LanguageCount; ++language) {
        EXPECT_EQ(LanguageEnabled[language], 1) << language;
    }
}

// The bytes where the code page differs from Latin-1 (0x80-0x9F: euro, quotes,
// dashes, the undefined five) and the Latin-1 half above them, both ways.
TEST(Texts, Windows1252BecomesUnicodeAndBack) {
    const std::string_view undefined = "\x81\x8D\x8F\x90\x9D";
    for (unsigned value = 1; value <= 0xFF; ++value) {
        const std::string byte(1, static_cast<char>(value));
        SCOPED_TRACE(value);
        const std::string utf8 = utf8FromWindows1252(byte);
        const std::u16string utf16 = utf16FromWindows1252(byte);
        ASSERT_EQ(utf16.size(), 1u);
        EXPECT_EQ(char32_t{utf16[0]}, windows1252CodePoint(static_cast<unsigned char>(value)));
        if (undefined.find(byte) != std::string_view::npos) {
            EXPECT_EQ(utf8, "\xEF\xBF\xBD"); // U+FFFD, never a C1 control
            EXPECT_EQ(utf16[0], u'\uFFFD');
            continue;
        }
        std::string expected;
        EXPECT_TRUE(convert("WINDOWS-1252", "UTF-8", byte, expected));
        EXPECT_EQ(utf8, expected);
        EXPECT_EQ(windows1252FromUtf8(utf8), byte);
    }
    EXPECT_EQ(utf8FromWindows1252(WindowTitles[Spanish]), "Actualización Tactico");
    EXPECT_EQ(utf16FromWindows1252("\x80\x9F\xFF"), u"\u20AC\u0178\u00FF");
}

TEST(Texts, Utf8BecomesWindows1252AndTheRestIsDropped) {
    // a, e-acute, euro, n-tilde, a CJK character, a 4-byte emoji, then b.
    EXPECT_EQ(windows1252FromUtf8("a\xC3\xA9\xE2\x82\xAC\xC3\xB1\xE4\xB8\xAD\xF0\x9F\x98\x80"
                                  "b"),
              "a\xE9\x80\xF1"
              "b");
    // Truncated, overlong and stray continuation bytes never become characters,
    // nor do a C1 control and U+FFFD, which the code page lacks.
    EXPECT_EQ(windows1252FromUtf8("\xC3"), "");
    EXPECT_EQ(windows1252FromUtf8("\xC0\xAF"
                                  "x\x80y"),
              "xy");
    EXPECT_EQ(windows1252FromUtf8("\xC2\x81\xEF\xBF\xBD"), "");
}

} // namespace
