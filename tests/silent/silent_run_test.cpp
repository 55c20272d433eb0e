// Unattended runs, in-process on the headless desktop, as an administrator starts
// them: the exit code, the log, and the installation afterwards.
#include <cstdio>

#include "app/command_line.h"
#include "app/language_codes.h"
#include "tests/publisher_key.h"
#include "tests/wizard/wizard_harness.h"

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
    // The log is appended to: this run's lines are those after the earlier runs'.
    const std::size_t earlier = fs::exists(log) ? logLines(log).size() : 0;
    const std::string line = "/log=" + log.string() + " " + options;
    ::testing::internal::CaptureStdout();
    RunResult result;
    result.exitCode = runApplication(nullptr, line.c_str());
    result.output = ::testing::internal::GetCapturedStdout();
    headless::setPumpHook(nullptr);
    fs::current_path(previous);
    result.log = logLines(log);
    EXPECT_GT(result.log.size(), earlier);
    result.log.erase(result.log.begin(), result.log.begin() + static_cast<long>(earlier));
    return result;
}

bool logHas(const RunResult& r, const std::string& text) {
    for (const std::string& line : r.log) {
        if (line.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

TEST(CommandLine, OptionsInBothFormsAndThePackRule) {
    const RunOptions all = parseCommandLine(
        "/SILENT --Lang=FRA \"/dir=C:\\Program Files\\Tactico\\\" --log=x.log /DeleteQuickStart");
    EXPECT_TRUE(all.silent);
    EXPECT_EQ(all.language, French);
    EXPECT_EQ(all.installFolder, "C:\\Program Files\\Tactico");
    EXPECT_EQ(all.logPath, "x.log");
    EXPECT_TRUE(all.deleteQuickStart);
    EXPECT_FALSE(all.pack);
    EXPECT_EQ(all.error, "");
    EXPECT_TRUE(parseCommandLine("/?").help);
    EXPECT_TRUE(parseCommandLine("--HELP").help);

    // "-pack" anywhere, case-sensitive, except inside an option's value.
    EXPECT_TRUE(parseCommandLine("x -packall y").pack);
    EXPECT_TRUE(parseCommandLine("-pack /silent").pack);
    EXPECT_FALSE(parseCommandLine("-PACK").pack);
    EXPECT_FALSE(parseCommandLine("/dir=C:\\games\\old-packs").pack);
    EXPECT_FALSE(parseCommandLine("\"--log=C:\\my -pack logs\\a.log\"").pack);

    for (const char* bad : {"/silnt", "/lang=deu", "/lang", "/silent=yes", "--dir=", "/log"}) {
        EXPECT_NE(parseCommandLine(bad).error, "") << bad;
    }
    EXPECT_EQ(languageFromLocaleName("sv_SE.UTF-8"), Swedish);
    EXPECT_EQ(languageFromLocaleName("nb_NO"), Norwegian);
    EXPECT_EQ(languageFromLocaleName("de_DE.UTF-8"), -1);
    EXPECT_EQ(languageFromLocaleName("C"), -1);
}

TEST(SilentRun, UpdatesAndReportsEachStepOnOutputAndInTheLog) {
    SampleSetup setup("silent-ok");
    writeFile(setup.game / "qstart" / "old.qst", "q");
    const RunResult r = run(setup, "/silent");
    EXPECT_EQ(r.exitCode, 0);
    setup.expectFiles(setup.game, 0, UpdateFileCount);
    EXPECT_EQ(recordedVersion(), UpdaterVersionText);
    EXPECT_TRUE(fs::exists(setup.game / "qstart" / "old.qst")) << "kept unless asked";

    ASSERT_FALSE(r.log.empty());
    EXPECT_EQ(r.log.front().rfind("Tactico Update started: Version 3.84", 0), 0u);
    EXPECT_TRUE(logHas(r, "Command line: /log="));
    EXPECT_TRUE(logHas(r, "Installation record: \"Version\" = \"Version 3.60\""));
    EXPECT_TRUE(logHas(r, "Installation record: \"Location\" = \"" + setup.game.string() + "\""));
    EXPECT_TRUE(logHas(r, std::string("Screen text: ") + WindowTitles[English] + " | " +
                              UpdaterVersionText + " | " + CurrentVersionLabels[English]));
    EXPECT_EQ(r.log.back(), "Result: updated; exit code 0");
    // The progress report is the log without its timestamps.
    EXPECT_EQ(r.output, joined(r.log));
}

TEST(SilentRun, LanguageFolderAndQuickStartFromTheCommandLine) {
    SampleSetup setup("silent-options");
    setup.writeRecord("Version 3.60", (setup.root / "elsewhere").c_str());
    writeFile(setup.game / "qstart" / "old.qst", "q");
    const RunResult r =
        run(setup, "--silent --LANG=fra --deletequickstart --dir=" + setup.game.string() + "/");
    EXPECT_EQ(r.exitCode, 0);
    setup.expectFiles(setup.game, 0, UpdateFileCount, French);
    EXPECT_FALSE(fs::exists(setup.game / "qstart" / "old.qst"));
    EXPECT_TRUE(logHas(r, "Language: fra"));
    EXPECT_TRUE(logHas(r, "Installation folder: \"" + setup.game.string() + "\""));
}

// What a killed update left in the folder an administrator names is cleared at
// start, even when the run ends before it reaches the update.
TEST(SilentRun, LeftoversInTheGivenFolderAreClearedAtStart) {
    SampleSetup setup("silent-leftover");
    setup.writeRecord(nullptr, nullptr);
    const fs::path leftover = setup.target(1).string() + ".new-update";
    writeFile(leftover, "half");
    EXPECT_EQ(run(setup, "/silent /dir=" + setup.game.string()).exitCode, 1);
    EXPECT_FALSE(fs::exists(leftover));
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
        {"no game",
         [](SampleSetup& s) { fs::remove(s.target(0)); },
         1,
         {"tactico.exe: No such file or directory"}},
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

TEST(SilentRun, BadCommandLineTouchesNothing) {
    SampleSetup setup("silent-bad");
    const std::string recordBefore = readFile(setup.root / "registry.reg");
    const fs::path log = setup.root / "bad.log";
    EXPECT_EQ(runApplication(nullptr, ("/silent /bogus /log=" + log.string()).c_str()), 4);
    EXPECT_FALSE(fs::exists(log));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(
        runApplication(nullptr, ("/silent /log=" + (setup.root / "no/such.log").string()).c_str()),
        4);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("Unable to open the log"),
              std::string::npos);
    EXPECT_EQ(readFile(setup.root / "registry.reg"), recordBefore);
    setup.expectFiles(setup.game, 0, 0);
}

TEST(SilentRun, PackModeReportsInItsExitCodeAndAValueNeverPacks) {
    SampleSetup setup("silent-pack");
    const fs::path package = setup.updateFolder / PackageFileName;
    const std::string built = readFile(package);
    fs::remove(package);
    // The 46 sources beside the program: the same package comes out.
    for (int e = 0; e < UpdateFileCount; ++e) {
        if (!isReadmeEntry(e)) {
            writeFile(setup.updateFolder / UpdateFileList[e].name, newContents(e));
        }
    }
    RunResult r = run(setup, "-pack /silent");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(readFile(package), built);
    EXPECT_TRUE(logHas(r, "Setup: Packed files successfully !"));

    // An option's value that happens to hold "-pack" is a folder, not a request.
    const fs::path oldPacks = setup.root / "old-packs";
    r = run(setup, "/silent /dir=" + oldPacks.string());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(logHas(r, "Setup:"));

    fs::remove(setup.updateFolder / UpdateFileList[0].name);
    r = run(setup, "-pack /silent");
    EXPECT_EQ(r.exitCode, 5);
    EXPECT_TRUE(logHas(r, "Setup: Unable to pack files"));
    EXPECT_TRUE(logHas(r, "Result: packing failed; exit code 5"));
}

// A user's clicks: the language, Next, No to the quick-start question, Finish.
RunResult clickThrough(const SampleSetup& setup) {
    int handled = -1;
    return run(setup, "", [&handled] {
        auto* w = dynamic_cast<UpdateWizard*>(shell::application);
        if (w == nullptr || w->builtState != w->state || w->state == handled) {
            return;
        }
        handled = w->state;
        const int slot = w->state == LanguageScreen     ? 1 + English
                         : w->state == QuickStartScreen ? 3
                         : w->state == ProgressScreen   ? -1
                                                        : 4;
        if (slot >= 0) {
            const Button& b = *w->buttons[slot];
            headless::click(b.x + b.width / 2, b.y + b.height / 2);
        }
    });
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

TEST(SilentRun, DoesWhatTheClickedWizardDoes) {
    SampleSetup clicked("clicked");
    SampleSetup silent("silent");
    for (const SampleSetup* s : {&clicked, &silent}) {
        writeFile(s->game / "qstart" / "old.qst", "q");
    }
    const RunResult byHand = clickThrough(clicked);
    const RunResult unattended = run(silent, "/silent");
    const std::string silentRecord = readFile(silent.root / "registry.reg");

    EXPECT_EQ(byHand.exitCode, 0);
    EXPECT_EQ(unattended.exitCode, 0);
    EXPECT_EQ(withoutRoot(silentRecord, silent),
              withoutRoot(readFile(clicked.root / "registry.reg"), clicked));
    for (const SampleSetup* s : {&clicked, &silent}) {
        s->expectFiles(s->game, 0, UpdateFileCount);
        EXPECT_TRUE(fs::exists(s->game / "qstart" / "old.qst"));
    }
    EXPECT_EQ(joined(comparable(unattended, silent)), joined(comparable(byHand, clicked)));
    EXPECT_TRUE(logHas(byHand, "Screen: quick start"));
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
        {"signature byte", true,
         [](SampleSetup& s) { changeByte(s.updateFolder / SignatureFileName, 20); }, nullptr,
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
        // Written in place: hashing as it stages finds it, with or without a key.
        {"package rewritten", true, nullptr, [&](SampleSetup& s) { changeByte(package(s), 5000); },
         "update.dat has SHA-256"},
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

} // namespace
