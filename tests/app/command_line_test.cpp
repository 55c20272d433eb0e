// The command line an administrator types, word by word.
#include <gtest/gtest.h>

#include <tuple>

#include "app/command_line.h"
#include "wizard/language_codes.h"
#include "wizard/texts.h"

namespace {

TEST(CommandLine, OptionsInBothFormsAndAnyCase) {
    const RunOptions all = parseCommandLine(
        "/SILENT --Lang=FRA \"/dir=C:\\Program Files\\Tactico\\\" --log=x.log /DeleteQuickStart");
    EXPECT_EQ(std::tie(all.silent, all.language, all.installFolder, all.logPath,
                       all.deleteQuickStart, all.pack, all.error),
              std::tuple(true, French, "C:\\Program Files\\Tactico", "x.log", true, false, ""));
    EXPECT_TRUE(parseCommandLine("/?").help);
    EXPECT_TRUE(parseCommandLine("--HELP").help);
    for (const char* bad : {"/silnt", "/lang=deu", "/lang", "/silent=yes", "--dir=", "/log"})
        EXPECT_NE(parseCommandLine(bad).error, "") << bad;
    EXPECT_EQ(languageFromLocaleName("sv_SE.UTF-8"), Swedish);
    EXPECT_EQ(languageFromLocaleName("nb_NO"), Norwegian);
    EXPECT_EQ(languageFromLocaleName("de_DE.UTF-8"), -1);
}

// Only a word holding "-pack" as typed asks for pack mode; an option's value never
// does, and the switch in other capitals is an unknown option, not a request.
TEST(CommandLine, PackIsAWordHoldingTheSwitchAsTyped) {
    for (const char* line : {"-pack", "x -packall y", "-pack /silent", "--pack", "/x-pack"})
        EXPECT_TRUE(parseCommandLine(line).pack) << line;
    for (const char* line :
         {"-PACK", "/dir=C:\\games\\old-packs", "\"--log=C:\\my -pack\\a.log\""}) {
        const RunOptions options = parseCommandLine(line);
        EXPECT_FALSE(options.pack) << line;
        EXPECT_EQ(options.error, "") << line;
    }
    for (const char* line : {"--PACK", "--Pack", "/X-PACK"}) {
        const RunOptions options = parseCommandLine(line);
        EXPECT_FALSE(options.pack) << line;
        EXPECT_NE(options.error.find("unknown option"), std::string::npos) << line;
    }
}

// The listing shows what the folder holds and does nothing else it could be asked
// to; a check is of an update, not of packing.
TEST(CommandLine, ListingStandsAloneAndCheckIsNoPacking) {
    for (const char* line : {"-list", "/silent -list", "--LIST"}) {
        const RunOptions options = parseCommandLine(line);
        EXPECT_EQ(std::tie(options.list, options.silent, options.error), std::tuple(true, true, ""))
            << line;
    }
    for (const char* line : {"-list /check", "-list /log=x.log", "-list -pack", "-list /lang"})
        EXPECT_NE(parseCommandLine(line).error, "") << line;
    EXPECT_FALSE(parseCommandLine("x-list").list);
    EXPECT_TRUE(parseCommandLine("/check /silent").check);
    EXPECT_NE(parseCommandLine("-pack /check").error, "");
}

// A patch needs each base and the versions it fits, the n-th /base with the n-th
// /baseversion, and only packing makes one.
TEST(CommandLine, PatchPackingTakesEachBaseAndItsVersions) {
    const RunOptions options =
        parseCommandLine("-pack /base=\"C:\\old pack\\update.dat\" /BaseVersion=3.69,3.70,3.69 "
                         "/baseversion=3.80 /base=380.dat");
    EXPECT_EQ(options.error, "");
    ASSERT_EQ(options.patchBases.size(), 2u);
    EXPECT_EQ(options.patchBases[0].package, "C:\\old pack\\update.dat");
    EXPECT_EQ(options.patchBases[0].versions, (std::vector<std::string>{"3.69", "3.70"}));
    EXPECT_EQ(options.patchBases[1].package, "380.dat");
    EXPECT_EQ(options.patchBases[1].versions, (std::vector<std::string>{"3.80"}));
    for (const char* line :
         {"-pack /base=old.dat", "-pack /baseversion=3.69", "/base=old.dat /baseversion=3.69",
          "-pack /base=old.dat /baseversion=3.69,", "-pack /base=old.dat /baseversion=v3.69",
          "-pack /base /baseversion=3.69", "-pack /base=a.dat /baseversion=3.69 /base=b.dat",
          "-pack /base=a.dat /baseversion=3.69 /baseversion=3.80"}) {
        EXPECT_NE(parseCommandLine(line).error, "") << line;
    }
}

} // namespace
