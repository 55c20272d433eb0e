// Unattended runs, in-process on the headless desktop, as an administrator starts
// them: the exit code, the log, and the installation afterwards.
#include <algorithm>
#include <cstdio>
#include <map>

#include "tests/publisher_key.h"
#include "tests/wizard/wizard_harness.h"
#include "tools/demo/playthrough.h"
#include "update/commit.h"

namespace {

struct RunResult {
    int exitCode = -1;
    std::string output;           // standard output
    std::vector<std::string> log; // the log's lines without their timestamps
};

const std::string StampPattern = "2026-12-07 00:00:00 ";

std::vector<std::string> logLines(const fs::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        EXPECT_GT(line.size(), StampPattern.size());
        EXPECT_EQ(line[4], '-') << line;
        EXPECT_EQ(line[StampPattern.size() - 1], ' ') << line;
        lines.push_back(line.substr(StampPattern.size()));
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
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

// Also: the quick-start games stay unless otherwise told; the words of the
// language, and the folder's name, read right in the log and on standard output.
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
}

// What a killed update left in the folder an administrator names is cleared at
// start, even when the run ends before it reaches the update.
TEST(SilentRun, LeftoversInTheGivenFolderAreClearedAtStart) {
    SampleSetup setup("silent-leftover");
    setup.writeRecord(nullptr, nullptr);
    const fs::path staging = setup.game / StagingFolderName;
    fs::create_directory(staging);
    fs::permissions(staging, fs::perms::owner_all);
    writeFile(staging / stagedName(1), "half");
    EXPECT_EQ(run(setup, "/silent /dir=" + setup.game.string()).exitCode, 1);
    EXPECT_FALSE(fs::exists(staging));
}

TEST(SilentRun, EachFailureHasItsExitCodeAndItsReasonInTheLog) {
    struct Case {
        const char* name;
        std::function<void(SampleSetup&)> spoil;
        int exitCode;
        std::vector<std::string> logged;
    };
    const Case cases[] = {
        {"no record",
         [](SampleSetup& s) { s.writeRecord(nullptr, nullptr); },
         1,
         {"has no \"Version\"", "Result: installation not found; exit code 1"}},
        {"cut package",
         [](SampleSetup& s) {
             fs::resize_file(s.updateFolder / PackageFileName,
                             fs::file_size(s.updateFolder / PackageFileName) / 2);
         },
         2,
         {"corrupt", "exit code 2"}},
        // Nothing can be written under a data folder that is a file, even as root.
        {"write failure",
         [](SampleSetup& s) {
             fs::remove_all(s.game / "data");
             writeFile(s.game / "data", "not a folder");
         },
         3,
         {"euro.cfg", "Not a directory", "exit code 3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SampleSetup setup(std::string("silent-") + c.name[0]);
        c.spoil(setup);
        const std::string recordBefore = readFile(setup.root / "registry.reg");
        const RunResult r = run(setup, "/silent");
        EXPECT_EQ(r.exitCode, c.exitCode);
        for (const std::string& text : c.logged) {
            EXPECT_TRUE(logHas(r, text)) << text << " not in\n" << joined(r.log);
        }
        EXPECT_EQ(readFile(setup.root / "registry.reg"), recordBefore);
        if (fs::exists(setup.target(0))) {
            EXPECT_EQ(readFile(setup.target(0)), oldContents(0));
        }
    }
}

std::string withoutRoot(std::string text, const SampleSetup& setup) {
    const std::string root = setup.root.string();
    for (std::size_t at; (at = text.find(root)) != std::string::npos;) {
        text.replace(at, root.size(), "<root>");
    }
    return text;
}

// The log lines of a run, with its folder's name taken out and without the two
// lines that tell how it was started.
std::vector<std::string> comparable(const RunResult& r, const SampleSetup& setup) {
    std::vector<std::string> lines;
    for (const std::string& line : r.log) {
        if (!line.starts_with("Command line:") && !line.starts_with("Mode:")) {
            lines.push_back(withoutRoot(line, setup));
        }
    }
    return lines;
}

// The progress report is the log without its timestamps, and the log is the one
// a user clicking through the wizard leaves.
TEST(SilentRun, DoesWhatTheClickedWizardDoes) {
    SampleSetup clicked("clicked", true);
    SampleSetup silent("silent", true);
    const fs::path previous = fs::current_path();
    fs::current_path(clicked.updateFolder);
    useRecordOf(clicked);
    const std::string log = "/log=" + (clicked.root / "run.log").string();
    const demo::PlayResult played = demo::playUpdate(English, {}, log.c_str());
    fs::current_path(previous);
    EXPECT_TRUE(played.reachedCompletion && played.answeredQuickStart);
    const RunResult byHand{0, "", logLines(clicked.root / "run.log")};
    const RunResult unattended = run(silent, "/silent /deletequickstart");

    EXPECT_EQ(unattended.exitCode, 0);
    EXPECT_EQ(withoutRoot(readFile(silent.root / "registry.reg"), silent),
              withoutRoot(readFile(clicked.root / "registry.reg"), clicked));
    for (const SampleSetup* s : {&clicked, &silent}) {
        s->expectFiles(s->game, 0, UpdateFileCount);
        EXPECT_FALSE(fs::exists(s->game / "qstart" / "premier.qst"));
    }
    EXPECT_EQ(joined(comparable(unattended, silent)), joined(comparable(byHand, clicked)));
    EXPECT_TRUE(logHas(byHand, "Screen: quick start"));
    EXPECT_EQ(unattended.log.front().rfind("Tactico Update started: Version 3.84", 0), 0u);
    EXPECT_TRUE(
        logHas(unattended, "Installation record: \"Location\" = \"" + silent.game.string()));
    EXPECT_TRUE(logHas(unattended, std::string("Screen text: ") + WindowTitles[English] + " | " +
                                       UpdaterVersionText + " | " + CurrentVersionLabels[English]));
    EXPECT_EQ(unattended.log.back(), "Result: updated; exit code 0");
    EXPECT_EQ(unattended.output, joined(unattended.log));
}

// The digest file of the sample's update folder, lines for every readme or for the
// package alone, signed by key where one is given.
void writeSignedDigest(const SampleSetup& s, const TestPublisherKey* key, bool readmes = true) {
    const fs::path folder = s.updateFolder;
    std::string text =
        digestLine(PackageFileName, *digestOfFile((folder / PackageFileName).c_str()));
    for (int l = 0; readmes && l < LanguageCount; ++l) {
        text += digestLine(LanguageReadmeFiles[l],
                           *digestOfFile((folder / LanguageReadmeFiles[l]).c_str()));
    }
    writeFile(folder / DigestFileName, text);
    if (key != nullptr) {
        key->sign(folder / DigestFileName, folder / SignatureFileName);
    }
}

void changeByte(const fs::path& file, std::size_t at) {
    std::fstream stream(file, std::ios::binary | std::ios::in | std::ios::out);
    stream.seekg(static_cast<std::streamoff>(at));
    const char byte = static_cast<char>(stream.get() ^ 0x40);
    stream.seekp(static_cast<std::streamoff>(at));
    stream.put(byte);
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
    struct Case {
        const char* name;
        bool keyed;
        std::function<void(SampleSetup&)> spoil;      // before the run
        std::function<void(SampleSetup&)> afterCheck; // once the sources were checked
        std::string logged;                           // empty: the update succeeds
    };
    const auto package = [](const SampleSetup& s) { return s.updateFolder / PackageFileName; };
    const auto readme = [](const SampleSetup& s) { return s.updateFolder / "readme_eng.txt"; };
    const Case cases[] = {
        {"signed", true, nullptr, nullptr, ""},
        {"unsigned", true, [](SampleSetup& s) { fs::remove(s.updateFolder / SignatureFileName); },
         nullptr, "update.dat.sha256.sig is missing"},
        {"another key", true, [&](SampleSetup& s) { writeSignedDigest(s, &other); }, nullptr,
         "no signature of update.dat.sha256 by a publisher key"},
        {"package byte", true, [&](SampleSetup& s) { changeByte(package(s), 4000); }, nullptr,
         "update.dat has SHA-256"},
        {"readme byte", true, [&](SampleSetup& s) { changeByte(readme(s), 3); }, nullptr,
         "readme_eng.txt has SHA-256"},
        {"digest byte", true,
         [](SampleSetup& s) { changeByte(s.updateFolder / DigestFileName, 70); }, nullptr,
         "no signature of update.dat.sha256"},
        {"no readme line", true, [&](SampleSetup& s) { writeSignedDigest(s, &publisher, false); },
         nullptr, "update.dat.sha256 has no line for readme_eng.txt"},
        {"no digest file", true,
         [](SampleSetup& s) { fs::remove(s.updateFolder / DigestFileName); }, nullptr,
         "update.dat.sha256 is missing"},
        // The package renamed away: the handle held since the check reads on.
        {"package swapped", true, nullptr,
         [&](SampleSetup& s) {
             writeFile(s.root / "other.dat", otherPackage(package(s)));
             fs::rename(s.root / "other.dat", package(s));
         },
         ""},
        // Written in place: hashing as it stages finds it, with no key as with one.
        {"package rewritten, no key", false, nullptr,
         [&](SampleSetup& s) { changeByte(package(s), 5000); }, "update.dat has SHA-256"},
        {"readme swapped", true, nullptr,
         [&](SampleSetup& s) { writeFile(readme(s), "another readme\n"); },
         "readme_eng.txt has SHA-256"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SampleSetup setup(std::string("signed-") + c.name[0]);
        writeSignedDigest(setup, &publisher);
        if (c.spoil) {
            c.spoil(setup);
        }
        const std::string recordBefore = readFile(setup.root / "registry.reg");
        usePublisherKeysForTest(c.keyed ? std::span<const PublisherKey>(keys)
                                        : std::span<const PublisherKey>());
        bool swapped = false;
        const RunResult r = run(setup, "/silent /lang=eng", [&] {
            auto* w = dynamic_cast<UpdateWizard*>(shell::application);
            if (c.afterCheck && !swapped && w != nullptr && w->progressCount == 1) {
                c.afterCheck(setup);
                swapped = true;
            }
        });
        usePublisherKeysForTest({});
        EXPECT_EQ(swapped, c.afterCheck != nullptr);
        if (c.logged.empty()) {
            EXPECT_EQ(r.exitCode, 0) << joined(r.log);
            EXPECT_TRUE(logHas(r, "signed by publisher key test.pem")) << joined(r.log);
            setup.expectOldOrNew();
            EXPECT_EQ(recordedVersion(), UpdaterVersionText);
            continue;
        }
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(logHas(r, c.logged)) << c.logged << " not in\n" << joined(r.log);
        EXPECT_EQ(readFile(setup.root / "registry.reg"), recordBefore);
        setup.expectOldOrNew(); // the old files, nothing staged left beside them
    }
}

// Every file of the installation with its contents: what must not change.
std::map<fs::path, std::string> snapshot(const fs::path& folder) {
    std::map<fs::path, std::string> files;
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        if (item.is_regular_file()) {
            files[item.path()] = readFile(item.path());
        }
    }
    return files;
}

int entryNamed(const char* name) {
    for (int e = 0; e < UpdateFileCount; ++e) {
        if (std::string(UpdateFileList[e].name) == name) {
            return e;
        }
    }
    return -1;
}

TEST(SilentRun, APatchFitsOnlyTheVersionAndFilesItWasMadeAgainst) {
    const TestPublisherKey publisher("publisher");
    const PublisherKey keys[] = {publisher.key};
    const int pictures = entryNamed("pics.cfg");
    const int euro = entryNamed("euro.cfg");
    const auto patch = [](const SampleSetup& s) { return s.updateFolder / PatchFileName; };
    const auto sign = [&](const SampleSetup& s) {
        publisher.sign(s.updateFolder / DigestFileName, s.updateFolder / SignatureFileName);
    };
    struct Case {
        const char* name;
        bool keepFull;
        bool keyed;
        std::function<void(SampleSetup&)> spoil;
        int exitCode;
        std::vector<std::string> logged;
    };
    const Case cases[] = {
        // The record stores 3.69, which the version screen shows as 3.70.
        {"patch alone",
         false,
         false,
         nullptr,
         0,
         {"Using update.patch: it was made for version 3.69", "Checked update.patch"}},
        {"other version",
         false,
         false,
         [](SampleSetup& s) { s.writeRecord("Version 3.68 (ENG)", s.game.c_str()); },
         7,
         {"it was made for version 3.69, the record says 3.68", "Screen: incompatible update",
          "exit code 7"}},
        {"changed base byte",
         false,
         false,
         [&](SampleSetup& s) { changeByte(s.target(euro), 10); },
         8,
         {"data/euro.cfg is not the file this patch was made against",
          "Screen: corrupt installation", "exit code 8"}},
        {"other version, update.dat beside",
         true,
         false,
         [](SampleSetup& s) { s.writeRecord("Version 3.68 (ENG)", s.game.c_str()); },
         0,
         {"Using update.dat instead", "Checked update.dat"}},
        {"changed base byte, update.dat beside",
         true,
         false,
         [&](SampleSetup& s) { changeByte(s.target(euro), 10); },
         0,
         {"Using update.dat instead"}},
        {"patch byte, no digest file",
         false,
         false,
         [&](SampleSetup& s) {
             fs::remove(s.updateFolder / DigestFileName);
             changeByte(patch(s), fs::file_size(patch(s)) - 100);
         },
         2,
         {"The update file is corrupt: update.patch, entry", "exit code 2"}},
        {"signed", false, true, sign, 0, {"signed by publisher key test.pem"}},
        {"signed, patch byte",
         false,
         true,
         [&](SampleSetup& s) {
             sign(s);
             changeByte(patch(s), 2000);
         },
         2,
         {"update.patch has SHA-256", "exit code 2"}},
        // The player's own pictures list stays, as a pics.cfg that cannot be written.
        {"own pics.cfg",
         false,
         false,
         [&](SampleSetup& s) { writeFile(s.target(pictures), "mine\n"); },
         0,
         {"pics.cfg is not the file this patch was made against; the update goes on without it"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SampleSetup setup(std::string("patch-") + c.name[0]);
        setup.makePatch(c.keepFull);
        if (c.spoil) {
            c.spoil(setup);
        }
        const std::string recordBefore = readFile(setup.root / "registry.reg");
        const auto filesBefore = snapshot(setup.game);
        usePublisherKeysForTest(c.keyed ? std::span<const PublisherKey>(keys)
                                        : std::span<const PublisherKey>());
        const RunResult r = run(setup, "/silent /lang=eng");
        usePublisherKeysForTest({});
        EXPECT_EQ(r.exitCode, c.exitCode) << joined(r.log);
        for (const std::string& text : c.logged) {
            EXPECT_TRUE(logHas(r, text)) << text << " not in\n" << joined(r.log);
        }
        if (c.exitCode != 0) {
            EXPECT_EQ(readFile(setup.root / "registry.reg"), recordBefore);
            EXPECT_EQ(snapshot(setup.game), filesBefore);
            continue;
        }
        EXPECT_EQ(recordedVersion(), UpdaterVersionText);
        for (int e = 0; e < UpdateFileCount; ++e) {
            const bool kept = e == pictures && std::string(c.name) == "own pics.cfg";
            EXPECT_EQ(readFile(setup.target(e)), kept ? "mine\n" : newContents(e)) << e;
        }
        EXPECT_EQ(setup.strayFiles(), std::vector<fs::path>{});
    }
}

} // namespace
