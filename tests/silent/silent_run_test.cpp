// Unattended runs, in-process on the headless desktop, as an administrator starts
// them: the exit code, the log, and the installation afterwards.
#include <algorithm>
#include <fstream>
#include <map>
#include <numeric>
#include <span>

#include "app/bwio.h"
#include "tests/publisher_key.h"
#include "tests/wizard/wizard_harness.h"
#include "update/commit.h"
#include "update/pack_files.h"

namespace {

struct RunResult {
    int exitCode = -1;
    std::string output;           // standard output
    std::vector<std::string> log; // the log's lines without their timestamps
};

const std::size_t StampBytes = std::string("2026-12-07 00:00:00 ").size();

std::vector<std::string> logLines(const fs::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        EXPECT_TRUE(line.size() > StampBytes && line[4] == '-' && line[StampBytes - 1] == ' ')
            << line;
        lines.push_back(line.substr(StampBytes));
    }
    return lines;
}

// Each sample has its record; the last one made is the one in use.
void useRecordOf(const SampleSetup& setup) {
    setenv("TACTICO_REGISTRY", (setup.root / "registry.reg").c_str(), 1);
    headless::install();
}

// Runs the program in the sample's update folder with a log in its root; pump,
// where given, is called as each frame's messages have been handled.
RunResult run(const SampleSetup& setup, const std::string& options,
              std::function<void()> pump = nullptr) {
    const fs::path previous = fs::current_path();
    const fs::path log = setup.root / "run.log";
    fs::remove(log);
    fs::current_path(setup.updateFolder);
    useRecordOf(setup);
    headless::setPumpHook(std::move(pump));
    const std::string line = "/log=" + log.string() + " " + options;
    ::testing::internal::CaptureStdout();
    RunResult result;
    result.exitCode = runApplication(nullptr, line.c_str());
    result.output = ::testing::internal::GetCapturedStdout();
    headless::setPumpHook(nullptr);
    fs::current_path(previous);
    result.log = logLines(log);
    return result;
}

bool logHas(const RunResult& r, const std::string& text) {
    return std::ranges::any_of(
        r.log, [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

std::string joined(const std::vector<std::string>& lines) {
    return std::accumulate(
        lines.begin(), lines.end(), std::string(),
        [](const std::string& text, const std::string& line) { return text + line + "\n"; });
}

// Every file of a folder with its contents, every subfolder, every link's target.
std::map<fs::path, std::string> snapshot(const fs::path& folder) {
    std::map<fs::path, std::string> files;
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        files[item.path()] = item.is_symlink()     ? "link to " + fs::read_symlink(item).string()
                             : item.is_directory() ? "folder"
                                                   : readFile(item.path());
    }
    return files;
}

using Step = std::function<void(SampleSetup&)>;

struct Case {
    const char* name;
    std::vector<Step> spoil; // before the run, in order
    int exitCode;
    std::vector<std::string> logged;
    Step afterCheck = nullptr; // once the sources were checked
    int keptEntry = -1;        // an entry the update goes on without
};

// Each case in a sample of its own, run with /silent: it ends with its exit code
// and says why in the log. A failed run changes no file and not the record; one
// that succeeds leaves the whole new version and nothing beside it. Run with
// /check first, it gives the same exit code (a change made after the checks
// excepted) and writes nothing anywhere.
void expectRuns(std::span<const Case> cases, const Step& prepare = nullptr) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SampleSetup setup(std::string("run-") + c.name[0]);
        if (prepare) {
            prepare(setup);
        }
        for (const Step& step : c.spoil) {
            step(setup);
        }
        const std::string recordBefore = readFile(setup.root / "registry.reg");
        const auto filesBefore = snapshot(setup.game);
        const auto updateFolderBefore = snapshot(setup.updateFolder);
        const RunResult dryRun = run(setup, "/silent /check /lang=eng");
        EXPECT_EQ(dryRun.exitCode, c.afterCheck ? 0 : c.exitCode) << joined(dryRun.log);
        EXPECT_EQ(logHas(dryRun, "Checked only, nothing written: the update would install"),
                  dryRun.exitCode == 0);
        EXPECT_EQ(readFile(setup.root / "registry.reg"), recordBefore);
        EXPECT_EQ(snapshot(setup.game), filesBefore);
        EXPECT_EQ(snapshot(setup.updateFolder), updateFolderBefore);
        bool checked = false;
        const RunResult r = run(setup, "/silent /lang=eng", [&] {
            auto* w = dynamic_cast<UpdateWizard*>(shell::application);
            if (c.afterCheck && !checked && w != nullptr && w->progressCount == 1) {
                c.afterCheck(setup);
                checked = true;
            }
        });
        usePublisherKeysForTest({});
        EXPECT_EQ(checked, c.afterCheck != nullptr);
        EXPECT_EQ(r.exitCode, c.exitCode) << joined(r.log);
        for (const std::string& text : c.logged) {
            EXPECT_TRUE(logHas(r, text)) << text << " not in\n" << joined(r.log);
        }
        auto expected = filesBefore;
        if (c.exitCode != 0) {
            EXPECT_EQ(readFile(setup.root / "registry.reg"), recordBefore);
        } else {
            EXPECT_EQ(recordedVersion(), UpdaterVersionText);
            for (int e = 0; e < UpdateFileCount; ++e) {
                if (e != c.keptEntry) {
                    expected[setup.target(e)] = newContents(e);
                }
            }
        }
        EXPECT_EQ(snapshot(setup.game), expected);
    }
}

TEST(SilentRun, EachRunHasItsExitCodeAndItsReasonInTheLog) {
    const Case cases[] = {
        Case("no record", {[](SampleSetup& s) { s.writeRecord(nullptr, nullptr); }}, 1,
             {"has no \"Version\"", "Result: installation not found; exit code 1"}),
        // The record names a version and a folder, and the folder holds the game.
        Case("version only", {[](SampleSetup& s) { s.writeRecord(OldVersion, nullptr); }}, 1,
             {"has no \"Location\""}),
        // No path has a fixed-size area to outgrow.
        Case("long folder", {[](SampleSetup& s) {
                 const fs::path longer = s.root / std::string(120, 'x') / std::string(120, 'y');
                 fs::create_directories(longer.parent_path());
                 fs::rename(s.game, longer);
                 s.game = longer;
                 s.writeRecord(OldVersion, longer.c_str());
             }},
             0, {std::string(120, 'x') + "/" + std::string(120, 'y')}),
        Case("no program", {[](SampleSetup& s) { fs::remove(s.target(0)); }}, 1,
             {"tactico.exe: No such file"}),
        // The sources: there, whole, and as a digest file lists them.
        Case("no package", {[](SampleSetup& s) { fs::remove(s.updateFolder / PackageFileName); }},
             2, {"Cannot open update.dat"}),
        Case("no readme", {[](SampleSetup& s) { fs::remove(s.updateFolder / "readme_eng.txt"); }},
             2, {"Cannot open readme_eng.txt"}),
        Case("unreadable digest",
             {[](SampleSetup& s) { writeFile(s.updateFolder / DigestFileName, "not a digest\n"); }},
             2, {"update.dat.sha256 is not a list of SHA-256 lines"}),
        Case("cut package", {[](SampleSetup& s) {
                 fs::resize_file(s.updateFolder / PackageFileName,
                                 fs::file_size(s.updateFolder / PackageFileName) / 2);
             }},
             2, {"corrupt", "exit code 2"}),
        // Nothing can be written under a data folder that is a file, even as root.
        Case("write failure", {[](SampleSetup& s) {
                 fs::remove_all(s.game / "data");
                 writeFile(s.game / "data", "not a folder");
             }},
             3, {"euro.cfg", "Not a directory", "exit code 3"}),
        // pics.cfg alone may be left out: one never written through a link, or none
        // where the installation has no pictures folder.
        Case("linked pics.cfg", {[](SampleSetup& s) {
                 fs::rename(s.target(PicsCfg), s.game / "pics.real");
                 fs::create_symlink(s.game / "pics.real", s.target(PicsCfg));
             }},
             0, {"pics.cfg", "the update goes on without it"}, nullptr, PicsCfg),
        Case("no pictures folder",
             {[](SampleSetup& s) { fs::remove_all(s.target(PicsCfg).parent_path()); }}, 0, {},
             nullptr, PicsCfg),
    };
    expectRuns(cases);
}

// Also: the quick-start games stay unless otherwise told; the words of the
// language, and the folder's name, read right in the log and on standard output.
// What a killed update left in the folder named is cleared at start, even when the
// run ends before it reaches the update.
TEST(SilentRun, LanguageAndFolderFromTheCommandLine) {
    SampleSetup setup("silent-options-espa\xC3\xB1ol", true);
    setup.writeRecord(OldVersion, (setup.root / "elsewhere").c_str());
    const RunResult r = run(setup, "--silent --LANG=esp --dir=" + setup.game.string() + "/");
    EXPECT_EQ(r.exitCode, 0);
    setup.expectFiles(setup.game, 0, UpdateFileCount, Spanish);
    EXPECT_TRUE(fs::exists(setup.game / "qstart" / "premier.qst"));
    EXPECT_TRUE(logHas(r, "Language: esp"));
    EXPECT_TRUE(logHas(r, "Installation folder: \"" + setup.game.string() + "\""));
    EXPECT_TRUE(logHas(r, "Screen text: Actualización Tactico | "));
    EXPECT_EQ(r.output, joined(r.log));

    setup.writeRecord(nullptr, nullptr);
    const fs::path staging = setup.game / StagingFolderName;
    fs::create_directory(staging);
    fs::permissions(staging, fs::perms::owner_all);
    writeFile(staging / stagedName(1).c_str(), "half");
    EXPECT_EQ(run(setup, "/silent /dir=" + setup.game.string()).exitCode, 1);
    EXPECT_FALSE(fs::exists(staging));
}

// The digest file of the sample's update folder for release (none when empty),
// lines for every readme or for the package alone, signed by key.
void writeSignedDigest(const SampleSetup& s, const TestPublisherKey& key, bool readmes = true,
                       const std::string& release = UpdaterVersionText) {
    const fs::path folder = s.updateFolder;
    std::string text =
        (release.empty() ? "" : releaseLine(release)) +
        digestLine(PackageFileName, *digestOfFile((folder / PackageFileName).c_str()));
    for (int l = 0; readmes && l < LanguageCount; ++l) {
        text += digestLine(LanguageReadmeFiles[l],
                           *digestOfFile((folder / LanguageReadmeFiles[l]).c_str()));
    }
    writeFile(folder / DigestFileName, text);
    key.sign(folder / DigestFileName, folder / SignatureFileName);
}

// In place: a handle held on the file reads the change.
void changeByte(const fs::path& file, std::size_t at) {
    std::string bytes = readFile(file);
    bytes.at(at) ^= 0x40;
    writeFile(file, bytes);
}

// The same table with other bodies: what a swap puts in the package's place.
std::string otherPackage(const fs::path& package) {
    std::string bytes = readFile(package);
    for (std::size_t at = PackageTableBytes; at < bytes.size(); at += 97) {
        bytes[at] ^= 0x20;
    }
    return bytes;
}

TEST(SilentRun, OnlyWhatThePublisherSignedIsInstalledAndOnlyAsItWasChecked) {
    const TestPublisherKey publisher("publisher"), other("other");
    const PublisherKey keys[] = {publisher.key};
    const auto package = [](const SampleSetup& s) { return s.updateFolder / PackageFileName; };
    const Case cases[] = {
        Case("unsigned", {[](SampleSetup& s) { fs::remove(s.updateFolder / SignatureFileName); }},
             2, {"update.dat.sha256.sig is missing"}),
        Case("another key", {[&](SampleSetup& s) { writeSignedDigest(s, other); }}, 2,
             {"no signature of update.dat.sha256 by a publisher key"}),
        Case("package byte", {[&](SampleSetup& s) { changeByte(package(s), 4000); }}, 2,
             {"update.dat has SHA-256"}),
        Case("digest byte",
             {[](SampleSetup& s) { changeByte(s.updateFolder / DigestFileName, 70); }}, 2,
             {"no signature of update.dat.sha256"}),
        Case("no readme line", {[&](SampleSetup& s) { writeSignedDigest(s, publisher, false); }}, 2,
             {"update.dat.sha256 has no line for readme_eng.txt"}),
        // An earlier release, signed in its day, put beside this wizard.
        Case("another release", {[&](SampleSetup& s) {
                 writeSignedDigest(s, publisher, true,
                                   "Version 3.80 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)");
             }},
             2,
             {"update.dat.sha256 is for the release \"Version 3.80 "
              "(ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)\""}),
        Case("no release named",
             {[&](SampleSetup& s) { writeSignedDigest(s, publisher, true, ""); }}, 2,
             {"update.dat.sha256 names no release"}),
        Case("no digest file",
             {[](SampleSetup& s) { fs::remove(s.updateFolder / DigestFileName); }}, 2,
             {"update.dat.sha256 is missing"}),
        // The package renamed away after the check: the handle held since reads on.
        Case("package swapped", {}, 0, {"signed by publisher key test.pem"},
             [&](SampleSetup& s) {
                 writeFile(s.root / "other.dat", otherPackage(package(s)));
                 fs::rename(s.root / "other.dat", package(s));
             }),
        // Written in place: hashing as it stages finds it, with no key as with one.
        Case("package rewritten, no key", {[](SampleSetup&) { usePublisherKeysForTest({}); }}, 2,
             {"update.dat has SHA-256"}, [&](SampleSetup& s) { changeByte(package(s), 5000); }),
        // The readme as the checks measured it is all that is ever copied: one
        // renamed over it is not read, one written on is refused.
        Case("readme swapped", {}, 0, {"Staged"},
             [](SampleSetup& s) {
                 writeFile(s.root / "other.txt", "another readme\n");
                 fs::rename(s.root / "other.txt", s.updateFolder / "readme_eng.txt");
             }),
        Case("readme grown", {}, 2, {"readme_eng.txt is no longer the"},
             [](SampleSetup& s) {
                 std::ofstream(s.updateFolder / "readme_eng.txt", std::ios::app)
                     << std::string(70000, 'x');
             }),
    };
    expectRuns(cases, [&](SampleSetup& s) {
        writeSignedDigest(s, publisher);
        usePublisherKeysForTest(keys);
    });

    // The listing judges the signature as the update does (keys only with a signer);
    // a patch's sets are each listed, what they share stored once.
    SampleSetup listed("run-listed");
    const auto list = [&](const TestPublisherKey* signer) {
        if (signer != nullptr) {
            writeSignedDigest(listed, *signer);
            usePublisherKeysForTest(keys);
        }
        const fs::path previous = fs::current_path();
        fs::current_path(listed.updateFolder);
        ::testing::internal::CaptureStdout();
        const int exitCode = runApplication(nullptr, "-list");
        const std::string output = ::testing::internal::GetCapturedStdout();
        fs::current_path(previous);
        usePublisherKeysForTest({});
        return std::pair(exitCode, output);
    };
    const auto [signedCode, signedOutput] = list(&publisher);
    EXPECT_EQ(signedCode, 0) << signedOutput;
    EXPECT_NE(signedOutput.find("valid, by publisher key test.pem"), std::string::npos);
    const auto [otherCode, otherOutput] = list(&other);
    EXPECT_EQ(otherCode, 2) << otherOutput;
    EXPECT_NE(otherOutput.find("no signature of update.dat.sha256 by a publisher key"),
              std::string::npos);
    listed.makePatch(true, -1, {"3.80"});
    const auto [patchCode, patchOutput] = list(nullptr);
    EXPECT_EQ(patchCode, 0) << patchOutput;
    for (const char* text : {"2 sets", "set 2, for version 3.80", "stored once, with set 1"}) {
        EXPECT_NE(patchOutput.find(text), std::string::npos) << text << " not in\n" << patchOutput;
    }
}

TEST(SilentRun, APatchFitsOnlyTheVersionAndFilesItWasMadeAgainst) {
    const TestPublisherKey publisher("publisher");
    const PublisherKey keys[] = {publisher.key};
    const auto patch = [](const SampleSetup& s) { return s.updateFolder / PatchFileName; };
    // The patch alone, as a player who took only it has it, or update.dat beside.
    const Step alone = [](SampleSetup& s) { s.makePatch(); };
    const Step beside = [](SampleSetup& s) { s.makePatch(true); };
    // One patch for 3.69 and for 3.80 (or 3.81).
    const Step twoAlone = [](SampleSetup& s) { s.makePatch(false, -1, {"3.80", "3.81"}); };
    const Step twoBeside = [](SampleSetup& s) { s.makePatch(true, -1, {"3.80", "3.81"}); };
    const Step at380 = [](SampleSetup& s) { s.install380(); };
    const Step at370 = [](SampleSetup& s) { s.writeRecord("Version 3.70 (ENG)", s.game.c_str()); };
    const Step older = [](SampleSetup& s) { s.writeRecord("Version 3.68 (ENG)", s.game.c_str()); };
    const Step changedBase = [](SampleSetup& s) { changeByte(s.target(EuroCfg), 10); };
    const Step sign = [&](SampleSetup& s) {
        publisher.sign(s.updateFolder / DigestFileName, s.updateFolder / SignatureFileName);
        usePublisherKeysForTest(keys);
    };
    const Case cases[] = {
        // The record stores 3.69, which the version screen shows as 3.70.
        Case("patch alone", {alone}, 0,
             {"Using update.patch: it was made for version 3.69", "Checked update.patch"}),
        Case("other version", {alone, older}, 7,
             {"it was made for version 3.69, the record says 3.68", "Screen: incompatible update",
              "exit code 7"}),
        Case("changed base byte", {alone, changedBase}, 8,
             {"data/euro.cfg is not the file this patch was made against",
              "Screen: corrupt installation", "exit code 8"}),
        Case("other version, update.dat beside", {beside, older}, 0,
             {"Using update.dat instead", "Checked update.dat"}),
        Case("changed base byte, update.dat beside", {beside, changedBase}, 0,
             {"Using update.dat instead"}),
        Case("patch byte, no digest file",
             {alone,
              [&](SampleSetup& s) {
                  fs::remove(s.updateFolder / DigestFileName);
                  changeByte(patch(s), fs::file_size(patch(s)) - 100);
              }},
             2, {"The update file is corrupt: update.patch, entry", "exit code 2"}),
        Case("signed", {alone, sign}, 0, {"signed by publisher key test.pem"}),
        Case("signed, patch byte, update.dat beside",
             {beside, sign, [&](SampleSetup& s) { changeByte(patch(s), 2000); }}, 0,
             {"update.patch cannot be used: update.patch has SHA-256", "Using update.dat instead"}),
        Case("already at the new release",
             {alone, [](SampleSetup& s) { s.writeRecord(UpdaterVersionText, s.game.c_str()); }}, 7,
             {"The installation is already at 3.84", "exit code 7"}),
        Case("signed, patch byte",
             {alone, sign, [&](SampleSetup& s) { changeByte(patch(s), 2000); }}, 2,
             {"update.patch has SHA-256", "exit code 2"}),
        Case("two releases, 3.69", {twoAlone}, 0,
             {"Using update.patch: it was made for version 3.69", "Checked update.patch"}),
        Case("two releases, 3.80", {twoAlone, at380}, 0,
             {"Using update.patch: it was made for version 3.80, 3.81", "Checked update.patch"}),
        Case("two releases, 3.70", {twoAlone, at370}, 7,
             {"it was made for version 3.69, 3.80, 3.81, the record says 3.70",
              "Screen: incompatible update", "exit code 7"}),
        Case("two releases, 3.70, update.dat beside", {twoBeside, at370}, 0,
             {"Using update.dat instead", "Checked update.dat"}),
        // Two sets for 3.69: the installed files tell which.
        Case("two sets for 3.69, the second's files",
             {[](SampleSetup& s) {
                  s.makePatch(false, -1, {"3.80", "3.69"});
              },
              at380, [](SampleSetup& s) { s.writeRecord(OldVersion, s.game.c_str()); }},
             0, {"Using update.patch: it was made for version 3.80, 3.69"}),
        // The player's own pictures list stays, as a pics.cfg that cannot be written.
        Case(
            "own pics.cfg", {alone, [](SampleSetup& s) { writeFile(s.target(PicsCfg), "mine\n"); }},
            0,
            {"pics.cfg is not the file this patch was made against; the update goes on without it"},
            nullptr, PicsCfg),
    };
    expectRuns(cases);
}

} // namespace
