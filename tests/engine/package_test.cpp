#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>

#include "platform/path_io.h"
#include "platform/paths.h"
#include "platform/run_log.h"
#include "tests/fuzz/fixed_base.h"
#include "tests/temp_folder.h"
#include "update/digest.h"
#include "update/file_list.h"
#include "update/pack_update.h"
#include "update/package.h"
#include "update/patch_file.h"
#include "update/update_source.h"
#include "update/vcdiff.h"

namespace {

std::size_t sizeOfEntry(int index) {
    static const std::size_t sizes[] = {3, 1, 65535, 65536, 65537, 3 * 1048576 + 7, 1048576, 2};
    return index < 8 ? sizes[index] : 100 + 37 * static_cast<std::size_t>(index);
}

std::string sourceOf(int index) {
    return patternBytes(sizeOfEntry(index), index);
}

std::string littleEndian(std::uint32_t value) {
    return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
            static_cast<char>(value >> 24)};
}

// The checks of an update's first step, then every body read as staging reads it,
// started over and retried on the way (each byte must still be hashed once), and
// compared with the digest file; an entry out of order is refused.
bool sourcesSound() {
    UpdateSource sources;
    const Folder here = openCurrentFolder();
    bool sound = sources.open(here, "readme.txt", {}, "");
    for (const auto& [from, to] :
         {std::pair{0, 20}, std::pair{0, 6}, std::pair{5, UpdateFileCount}}) {
        for (int e = from; sound && e < to; ++e) {
            sound = isReadmeEntry(e) || sources.stageEntry(e, nullptr) == CopyResult::Done;
        }
    }
    return sound && sources.matchesDigests() &&
           sources.stageEntry(3, nullptr) == CopyResult::SourceShort;
}

class Package : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < UpdateFileCount; ++i) {
            writeFile(UpdateFileList[i].name, isReadmeEntry(i) ? "never packed" : sourceOf(i));
        }
        ASSERT_TRUE(packUpdate());
        package = readFile(PackageFileName);
    }

    // Half-written results carry ".tmp" in their names.
    bool noTemporaryLeft() const {
        return std::none_of(fs::recursive_directory_iterator(folder.path()), {}, [](auto& entry) {
            return entry.path().filename().string().find(".tmp") != std::string::npos;
        });
    }

    // Entry index's body as the update stages it, every entry before it read in
    // order; nothing when a check or a read fails.
    static std::optional<std::string> staged(int index) {
        UpdateSource sources;
        const Folder here = openCurrentFolder();
        if (!sources.open(here, "readme.txt", {}, "")) {
            return std::nullopt;
        }
        for (int e = 0; e < index; ++e) {
            if (!isReadmeEntry(e) && sources.stageEntry(e, nullptr) != CopyResult::Done) {
                return std::nullopt;
            }
        }
        File out = openPath("staged.bin", "wb");
        const bool done = sources.stageEntry(index, &out) == CopyResult::Done;
        return out.close() && done ? std::optional(readFile("staged.bin")) : std::nullopt;
    }

    TempFolder folder;
    std::string package;
};

TEST_F(Package, RoundTripReproducesEverySourceAndTheReadmeShiftsNothing) {
    // The readme's slot is 0 and it adds no body, so nothing after it shifts.
    std::string table, bodies;
    for (int i = 0; i < UpdateFileCount; ++i) {
        table += littleEndian(isReadmeEntry(i) ? 0 : sizeOfEntry(i));
        if (!isReadmeEntry(i)) {
            bodies += sourceOf(i);
            EXPECT_EQ(staged(i), sourceOf(i)) << "entry " << i;
        }
    }
    EXPECT_TRUE(package == table + bodies);

    // An empty source fails the pack as a missing one does, and neither touches
    // the earlier package.
    writeFile(UpdateFileList[30].name, "");
    EXPECT_FALSE(packUpdate());
    fs::remove(UpdateFileList[30].name);
    EXPECT_FALSE(packUpdate());
    EXPECT_TRUE(readFile(PackageFileName) == package);

    // A package made elsewhere may still give an entry 0 bytes: it stages as an
    // empty file.
    std::string empty = package;
    empty.replace(0, 4, littleEndian(0)).erase(PackageTableBytes, sizeOfEntry(0));
    writeFile(PackageFileName, empty);
    fs::remove(DigestFileName);
    EXPECT_TRUE(sourcesSound());
    EXPECT_EQ(staged(0), "");
    EXPECT_EQ(staged(1), sourceOf(1));
}

// Two maximal entries put entry 2 past 8 GiB, where a 32-bit sum would wrap to
// the start of the package.
TEST(PackageTable, OffsetsBeyondFourGibibytesAndNoBodyForTheReadme) {
    unsigned char table[PackageTableBytes] = {};
    std::fill(table, table + 8, 0xff);
    table[8] = 7;
    const std::int64_t length = PackageTableBytes + 2 * std::int64_t{0xFFFFFFFFu} + 7;
    std::string why;
    const std::optional<PackageTable> read = readPackageTable(table, length, why);
    ASSERT_TRUE(read.has_value()) << why;
    EXPECT_EQ(read->offsets[2], length - 7);
    EXPECT_EQ(read->offsets[UpdateFileCount - 1], length);
    EXPECT_FALSE(readPackageTable(table, length + 1, why));
    EXPECT_EQ(why, "is " + std::to_string(length + 1) + " bytes; its table makes it " +
                       std::to_string(length));
    // The readme travels beside the package, so a body for it is refused, not skipped.
    for (int i = 0; i < UpdateFileCount; ++i) {
        if (isReadmeEntry(i)) {
            table[4 * i] = 1;
        }
    }
    EXPECT_FALSE(readPackageTable(table, length + 1, why));
    EXPECT_EQ(why, "gives the readme entry a body");
}

// Sound sources have the packed length and, where a digest file lists them, the
// packed digests; the digest file is one sha256sum accepts.
TEST_F(Package, SourcesAreSoundOnlyAsPackedAndSha256sumAgrees) {
    // Each readme beside the package is listed; a signature of the old digest goes.
    writeFile("readme_eng.txt", "english");
    writeFile("README_SPA.TXT", "spanish");
    writeFile(SignatureFileName, "stale");
    ASSERT_TRUE(packUpdate());
    const auto listed = parseDigestFile(readFile(DigestFileName)).value_or(DigestList{});
    EXPECT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed.count("README_SPA.TXT"), 1u);
    EXPECT_FALSE(fs::exists(SignatureFileName));
    EXPECT_TRUE(sourcesSound());
    EXPECT_EQ(std::system("sha256sum --status -c update.dat.sha256"), 0);
    // A digest for another file is not one for the package.
    const std::string digests = readFile(DigestFileName);
    writeFile(DigestFileName, digests.substr(0, 66) + "other.dat\n");
    EXPECT_FALSE(sourcesSound());
    // The right length with one byte changed passes only without a digest file.
    writeFile(DigestFileName, digests);
    std::string altered = package;
    altered[PackageTableBytes + 5000] ^= 0x20;
    writeFile(PackageFileName, altered);
    EXPECT_FALSE(sourcesSound());
    fs::remove(DigestFileName);
    EXPECT_TRUE(sourcesSound());

    // Without one the length decides: a cut anywhere, or a byte more, fails.
    writeFile(PackageFileName, package.substr(0, 100));
    EXPECT_FALSE(sourcesSound());
    writeFile(PackageFileName, package + "x");
    EXPECT_FALSE(sourcesSound());
    std::size_t end = PackageTableBytes;
    for (int i = 0; i < UpdateFileCount; ++i) {
        end += isReadmeEntry(i) ? 0 : sourceOf(i).size();
        writeFile(PackageFileName, package.substr(0, end - 1));
        EXPECT_FALSE(sourcesSound()) << "cut at " << end - 1;
    }
}

// The next version's sources: a third as they were, most with records changed and
// some appended, and entry 5 (3 MiB) replaced by unrelated bytes, which no delta
// makes smaller.
std::string nextSourceOf(int index) {
    if (index % 3 == 0 || index == 5) {
        return index == 5 ? patternBytes(sizeOfEntry(5), 1000) : sourceOf(index);
    }
    std::string source = sourceOf(index);
    for (std::size_t at = 7; at + 8 < source.size(); at += 4099) {
        source.replace(at, 8, "changed!");
    }
    return source + patternBytes(64 + index, 2000 + index);
}

// A release between the two: some entries already the next one's, some of its own,
// the rest still the first one's.
std::string betweenSourceOf(int index) {
    switch (index % 4) {
    case 0:
        return nextSourceOf(index);
    case 1:
        return sourceOf(index) + "between";
    default:
        return sourceOf(index);
    }
}

class PatchPackage : public Package {
  protected:
    void SetUp() override {
        Package::SetUp();
        fs::rename(PackageFileName, "base.dat");
        for (int i = 0; i < UpdateFileCount; ++i) {
            writeFile(UpdateFileList[i].name,
                      isReadmeEntry(i) ? "never packed" : betweenSourceOf(i));
        }
        ASSERT_TRUE(packUpdate());
        fs::rename(PackageFileName, "between.dat");
        for (int i = 0; i < UpdateFileCount; ++i) {
            writeFile(UpdateFileList[i].name, isReadmeEntry(i) ? "never packed" : nextSourceOf(i));
        }
        ASSERT_TRUE(packUpdate({{{"base.dat", {"3.69", "3.70"}}, {"between.dat", {"3.80"}}}}));
        patchBytes = readFile(PatchFileName);
        table = readTable(patchBytes);
        ASSERT_TRUE(table.has_value()) << why;
    }

    static File opened(const char* name, const std::string& bytes) {
        writeFile(name, bytes);
        return openPath(name, "rb");
    }

    std::optional<PatchTable> readTable(const std::string& bytes) {
        File file = opened("check.patch", bytes);
        return readPatchTable(file, static_cast<std::int64_t>(bytes.size()), why);
    }

    // The entry of patch applied to base, written to "result-file".
    PatchApplyResult apply(const std::string& patch, const PatchEntry& entry,
                           const std::string& base) {
        File files[] = {opened("applied.patch", patch), opened("base-file", base),
                        openPath("result-file", "wb")};
        return applyPatchEntry(files[0], entry, &files[1], &files[2]);
    }

    bool fitsBase(const PatchEntry& entry, const std::string& bytes) {
        File base = opened("base-file", bytes);
        bool readFailed = true;
        const bool fits = baseMatches(entry, base, readFailed);
        EXPECT_FALSE(readFailed);
        return fits;
    }

    std::string patchBytes;
    std::string why; // what the last table read refused
    std::optional<PatchTable> table;
};

// Also: where both earlier releases hold the same file, their sets name the same
// stored bytes.
TEST_F(PatchPackage, EveryEntryIsRebuiltFromEachEarlierRelease) {
    ASSERT_EQ(table->sets.size(), 2u);
    const PatchSet& first = table->sets[0];
    const PatchSet& between = table->sets[1];
    EXPECT_TRUE(first.fits("Version 3.69 (ENG)"));
    EXPECT_TRUE(first.fits("Version 3.70 (ENG,ESP)"));
    EXPECT_FALSE(first.fits("Version 3.7 (ENG)"));
    EXPECT_TRUE(between.fits("Version 3.80 (ENG)") && !between.fits("Version 3.69 (ENG)"));
    int kinds[3] = {};
    int shared = 0;
    for (int i = 0; i < UpdateFileCount; ++i) {
        if (isReadmeEntry(i)) {
            continue;
        }
        for (const auto& [set, base] :
             {std::pair{&first, sourceOf(i)}, std::pair{&between, betweenSourceOf(i)}}) {
            const PatchEntry& entry = set->entries[i];
            ++kinds[static_cast<int>(entry.kind)];
            EXPECT_TRUE(fitsBase(entry, base)) << "entry " << i;
            const PatchApplyResult applied = apply(patchBytes, entry, base);
            EXPECT_EQ(applied.status, PatchApplyStatus::Done)
                << "entry " << i << ": " << applied.message;
            const std::string wanted = entry.kind == PatchKind::Unchanged ? "" : nextSourceOf(i);
            EXPECT_TRUE(readFile("result-file") == wanted) << "entry " << i;
        }
        const PatchEntry& a = first.entries[i];
        const PatchEntry& b = between.entries[i];
        if (a.storedBytes != 0 && a.baseDigest == b.baseDigest) {
            EXPECT_EQ(b.offset, a.offset) << "entry " << i;
            ++shared;
        }
    }
    EXPECT_EQ(first.entries[5].kind, PatchKind::Whole);
    EXPECT_EQ(between.entries[5].offset, first.entries[5].offset); // the same new file
    EXPECT_GT(shared, 10);
    EXPECT_GT(kinds[static_cast<int>(PatchKind::Unchanged)], 20);
    EXPECT_GT(kinds[static_cast<int>(PatchKind::Delta)], 20);
    // Only entry 5 is carried whole, once, so the patch is little more than it.
    EXPECT_LT(patchBytes.size(), sourceOf(5).size() + 64 * 1024);

    // A changed stored byte fails its entry; so does a base changed since it was
    // checked, which would make a file the patch does not list.
    for (const int index : {13, 5}) { // a delta, and an entry stored whole
        const PatchEntry& entry = first.entries[index];
        for (std::uint64_t at = 0; at < entry.storedBytes; at += entry.storedBytes / 5 + 1) {
            std::string changed = patchBytes;
            changed[entry.offset + at] ^= 0x10;
            EXPECT_EQ(apply(changed, entry, sourceOf(index)).status, PatchApplyStatus::PatchBad)
                << "entry " << index << " byte " << at;
        }
    }
    EXPECT_FALSE(fitsBase(first.entries[13], sourceOf(13) + "x"));
    std::string changedBase = sourceOf(13);
    changedBase[300] ^= 1;
    EXPECT_EQ(apply(patchBytes, first.entries[13], changedBase).status, PatchApplyStatus::PatchBad);

    // The digest file covers the patch and names what each set fits, and a full
    // update is not bothered by a listed patch it does not use.
    const std::string digests = readFile(DigestFileName);
    EXPECT_NE(digests.find("# update.patch fits: 3.69 3.70; 3.80\n"), std::string::npos);
    EXPECT_EQ(parseDigestFile(digests).value_or(DigestList{}).count(PatchFileName), 1u);
    fs::remove(PatchFileName);
    EXPECT_TRUE(sourcesSound());

    // Packed again without a base, the old patch goes: nothing would list it.
    ASSERT_TRUE(packUpdate());
    EXPECT_FALSE(fs::exists(PatchFileName));
}

TEST_F(PatchPackage, AMalformedPatchIsRefusedBeforeAnythingIsWritten) {
    const std::size_t tableEnd = table->sets[0].entries[0].offset;
    // Every cut inside the table, one byte more or less, and any changed byte in it.
    for (std::size_t at = 0; at < tableEnd; at += 7) {
        std::string changed = patchBytes;
        changed[at] ^= 0x01;
        EXPECT_FALSE(readTable(patchBytes.substr(0, at))) << at;
        EXPECT_FALSE(readTable(changed)) << at;
    }
    EXPECT_FALSE(readTable(patchBytes.substr(0, patchBytes.size() - 1)));
    EXPECT_FALSE(readTable(patchBytes + "x"));
    // Tables whose own digest is right but whose counts are not.
    const std::string payloads = patchBytes.substr(tableEnd);
    const auto same = [](auto&) {};
    const auto refused = [&](auto change) {
        std::vector<PatchSet> sets = table->sets;
        change(sets);
        return !readTable(patchTableBytes(sets) + payloads).has_value();
    };
    EXPECT_FALSE(refused(same)) << why;
    EXPECT_TRUE(refused([](auto& s) { s.clear(); }));
    EXPECT_TRUE(refused([](auto& s) { s.resize(PatchMaxSets + 1, s[0]); }));
    EXPECT_TRUE(refused([](auto& s) { s[1].versions.clear(); }));
    EXPECT_TRUE(refused([](auto& s) { s[0].versions = {"3.x"}; }));
    EXPECT_TRUE(refused([](auto& s) { s[0].entries[13].kind = static_cast<PatchKind>(3); }));
    EXPECT_TRUE(refused([](auto& s) { s[0].entries[13].storedBytes += 1u << 30; }));
    EXPECT_TRUE(refused([](auto& s) { s[0].entries[0].resultSize = 1; })); // unchanged, yet not
    EXPECT_TRUE(refused([](auto& s) { s[0].entries[5].rawBytes += 1; }));  // whole of another size
    // Stored bytes that two streams claim, or that no entry names.
    EXPECT_TRUE(refused([](auto& s) { s[1].entries[13].storedAt += 1; }));
    EXPECT_TRUE(refused([](auto& s) { s[0].entries[13].storedBytes -= 1; }));
    // A delta beyond what the decoder holds.
    EXPECT_TRUE(refused([](auto& s) { s[0].entries[13].rawBytes = PatchMaxDeltaBytes + 1; }));
    EXPECT_TRUE(refused([](auto& s) { s[0].entries[13].baseSize = VcdiffMaxBaseBytes + 1; }));
    EXPECT_TRUE(refused([](auto& s) { s[0].entries[13].resultSize = std::uint64_t{1} << 32; }));
}

// A patch of the first format, as packing wrote it before there were sets: its
// one set fits, and both its entries (a delta and a whole file) are made.
TEST(PatchFormat, AFirstFormatPatchStillReads) {
    std::string bytes =
        readFile(fs::path(TACTICO_SOURCE_DIR) / "tests/fuzz/seeds/patch/two-entries.patch");
    std::string base = fixedBase();
    File patch = fileOf(fmemopen(bytes.data(), bytes.size(), "rb"));
    std::string why;
    const std::optional<PatchTable> table =
        readPatchTable(patch, static_cast<std::int64_t>(bytes.size()), why);
    ASSERT_TRUE(table.has_value()) << why;
    ASSERT_EQ(table->sets.size(), 1u);
    EXPECT_TRUE(table->sets[0].fits("Version 3.70 (ENG)"));
    for (const int index : {13, 14}) {
        File from = fileOf(fmemopen(base.data(), base.size(), "rb"));
        File to = fileOf(std::tmpfile());
        EXPECT_EQ(applyPatchEntry(patch, table->sets[0].entries[index], &from, &to).status,
                  PatchApplyStatus::Done);
    }
}

// One planted in the current folder is not run, though the PATH's empty and
// relative entries name that folder.
TEST_F(PatchPackage, PackingWithoutXdelta3OnThePathFailsAndSaysSo) {
    const std::string before = readFile(PackageFileName);
    const std::string saved = std::getenv("PATH"); // set: the fixture found xdelta3 on it
    writeFile("xdelta3", "#!/bin/sh\ntouch planted-ran\nexit 1\n");
    fs::permissions("xdelta3", fs::perms::owner_all);
    setenv("PATH", (folder / "game" + "::.").c_str(), 1); // no xdelta3 in the game
    ASSERT_TRUE(openRunLog("pack.log"));
    const bool packed = packUpdate({{{"base.dat", {"3.69"}}}});
    closeRunLog();
    setenv("PATH", saved.c_str(), 1);
    EXPECT_FALSE(packed);
    EXPECT_NE(readFile("pack.log").find("needs xdelta3"), std::string::npos);
    EXPECT_FALSE(fs::exists("planted-ran"));
    EXPECT_TRUE(readFile(PackageFileName) == before);
    EXPECT_TRUE(readFile(PatchFileName) == patchBytes);
    EXPECT_TRUE(noTemporaryLeft());
}

} // namespace
