// The wizard's texts are Windows-1252 bytes, the code page its fonts are drawn in;
// what leaves the program as text is converted to Unicode, checked against iconv.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

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

// In the order of wizard/texts.h; a failure names its table by that place.
// clang-format off
const char* const* const tables[] = {
    LanguageButtonLabels, BackLabels, NextLabels, FinishLabels, ExitLabels, YesLabels, NoLabels,
    WindowTitles, CurrentVersionLabels, NewVersionLabels, UpdatePrompts, ContinuePrompts,
    UpdatingLabels, UpdateCompletedLabels, InstallNotFoundMessages, ReinstallAdvice,
    InstallCorruptMessages, SourceFileMissingMessages, UpdateFileCorruptMessages,
    IncompatibleUpdateMessages, QuickStartOutOfDateMessages, DeleteQuickStartQuestions,
    PathEntryPrompts, WriteFailureMessages, LanguageReadmeFiles};
// clang-format on

TEST(Texts, EveryTableIsWindows1252AndKeepsItsAccents) {
    for (std::size_t t = 0; t < std::size(tables); ++t) {
        for (int language = 0; language < LanguageCount; ++language) {
            SCOPED_TRACE(::testing::Message() << "table " << t << ", language " << language);
            const std::string_view text = tables[t][language];
            std::string utf8;
            EXPECT_TRUE(convert("WINDOWS-1252", "UTF-8", text, utf8));
            // An accent saved as UTF-8 reads as two Windows-1252 characters.
            const auto savedAsUtf8 = [](unsigned char lead, unsigned char next) {
                return lead >= 0xC2 && lead <= 0xF4 && next >= 0x80 && next <= 0xBF;
            };
            EXPECT_EQ(std::ranges::adjacent_find(text, savedAsUtf8), text.end()) << utf8;
        }
    }
    // An accented text from each language that has them, at its own row: a lost
    // accent or a shifted row.
    const std::pair<const char*, const char*> accented[] = {
        {LanguageButtonLabels[Portuguese], "Instalação em Português"},
        {WindowTitles[French], "Mise à jour de Tactico"},
        {NewVersionLabels[Spanish], "Nueva versión a instalar:"},
        {YesLabels[Italian], "Sì"},
        {CurrentVersionLabels[Norwegian], "Nåværende versjon:"},
        {SourceFileMissingMessages[Swedish], "Kan ej hitta källfil"},
        {DeleteQuickStartQuestions[Spanish],
         "¿Borrar los ficheros de partidas rapidas (recomendado)?"},
    };
    for (const auto& [text, utf8] : accented) {
        std::string expected;
        EXPECT_TRUE(convert("UTF-8", "WINDOWS-1252", utf8, expected)) << utf8;
        EXPECT_EQ(text, expected);
    }
}

// Every byte both ways, the undefined five as U+FFFD; what the code page lacks
// never comes back from Unicode.
TEST(Texts, Windows1252BecomesUnicodeAndBackAndTheRestIsDropped) {
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
    EXPECT_EQ(utf16FromWindows1252("\x80\x9F\xFF"), u"\u20AC\u0178\u00FF");

    // a, e-acute, euro, n-tilde, a CJK character, a 4-byte emoji, then b.
    EXPECT_EQ(windows1252FromUtf8("a\xC3\xA9\xE2\x82\xAC\xC3\xB1\xE4\xB8\xAD\xF0\x9F\x98\x80\x62"),
              "a\xE9\x80\xF1\x62");
    // Truncated, overlong and stray continuation bytes never become characters,
    // nor do a C1 control and U+FFFD, which the code page lacks.
    EXPECT_EQ(windows1252FromUtf8("\xC3"), "");
    EXPECT_EQ(windows1252FromUtf8("\xC0\xAFx\x80y"), "xy");
    EXPECT_EQ(windows1252FromUtf8("\xC2\x81\xEF\xBF\xBD"), "");
}

} // namespace
