#include "update/package_listing.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/signature.h"
#include "update/copy_bytes.h"
#include "update/digest.h"
#include "update/file_ops.h"
#include "update/package.h"
#include "update/patch_file.h"

namespace {

// As the update reads them.
constexpr std::int64_t MaxDigestFileBytes = 64 * 1024;
constexpr std::int64_t MaxSignatureBytes = 1024;
constexpr std::size_t NameColumn = 30;

std::string padded(std::string text, std::size_t width) {
    text.resize(std::max(text.size(), width), ' ');
    return text;
}

std::string rightAligned(std::uint64_t number, std::size_t width) {
    const std::string text = std::to_string(number);
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

// The entry's place in the installation, as the installation's own system writes it.
std::string entryPath(int e) {
    return formTargetPath("", UpdateFileList[e].subfolder, UpdateFileList[e].name).substr(1);
}

// A name a digest line may give: one file of this folder, nothing above or below it.
bool isPlainName(const std::string& name) {
    return name != "." && name != ".." && name.find_first_of("/\\:") == std::string::npos;
}

class Lister {
  public:
    explicit Lister(const ListingRequest& request)
        : request_(request), folder_(openCurrentFolder()) {}

    PackageListing run() {
        if (!folder_.isOpen()) {
            problem("the current folder cannot be read: " + systemErrorText());
            return std::move(listing_);
        }
        readDigestFile();
        listRelease();
        listPackage();
        listPatch();
        if (!package_ && !patch_) {
            problem(std::string("neither ") + PackageFileName + " nor " + PatchFileName +
                    " is here");
        }
        listDigestFile();
        listSignature();
        line("");
        if (listing_.problems.empty()) {
            line("Everything listed agrees.");
        } else {
            line("What does not agree:");
            for (const std::string& text : listing_.problems) {
                line("  " + text);
            }
        }
        return std::move(listing_);
    }

  private:
    struct Hashed {
        std::uint64_t size = 0;
        Sha256Digest digest{};
    };

    void line(const std::string& text) { listing_.text += text + "\n"; }
    void problem(std::string text) { listing_.problems.push_back(std::move(text)); }
    bool there(const Name& name) { return entryIn(folder_, name) != EntryKind::None; }
    bool there(const std::string& name) {
        const std::optional<Name> file = Name::of(name);
        return file && there(*file);
    }

    // A file of the folder and its length; not open when it cannot be read.
    File openWhole(const Name& name, std::int64_t& length) {
        File file = openFileIn(folder_, name, -1, Source::Untrusted);
        length = file.isOpen() && file.seek(0, File::From::End) ? file.tell() : -1;
        if (length < 0 || !file.seek(0)) {
            return File();
        }
        return file;
    }

    // A file of the folder, whole; nothing, with the reason kept, when it cannot be read.
    std::optional<Hashed> hashFile(const std::string& name, std::string& why) {
        const std::optional<Name> plain = Name::of(name);
        std::int64_t length = -1;
        File file = plain ? openWhole(*plain, length) : File();
        std::optional<Sha256Digest> digest;
        if (file.isOpen()) {
            digest = digestOfBytes(file, static_cast<std::uint64_t>(length));
        }
        why = digest ? "" : name + " cannot be read: " + systemErrorText();
        if (!digest) {
            return std::nullopt;
        }
        return Hashed{static_cast<std::uint64_t>(length), *digest};
    }

    void readDigestFile() {
        if (!there(DigestFile)) {
            return;
        }
        std::string text;
        if (!readSmallFile(folder_, DigestFile, MaxDigestFileBytes, text, Source::Untrusted)) {
            digestProblem_ =
                std::string(DigestFileName) +
                " cannot be read, or is larger than any the update reads: " + systemErrorText();
            return;
        }
        digestText_ = text;
        release_ = releaseOf(text);
        digests_ = parseDigestFile(text);
    }

    void listRelease() {
        if (release_) {
            line("Release: " + *release_ + " (named by " + DigestFileName + ")");
        } else {
            line(std::string("Release: not named") +
                 (digestText_ ? "" : std::string(" (no ") + DigestFileName + ")"));
        }
        if (release_ && *release_ != request_.release) {
            problem(std::string(DigestFileName) + " is for the release \"" + *release_ +
                    "\"; this program installs \"" + request_.release + "\"");
        }
        if (digestText_ && !release_ && !request_.keys.empty()) {
            problem(std::string(DigestFileName) +
                    " names no release; this program installs only updates signed for \"" +
                    request_.release + "\"");
        }
    }

    void listPackage() {
        line("");
        if (!there(PackageFile)) {
            line(std::string(PackageFileName) + ": not here");
            return;
        }
        const std::string name = PackageFileName;
        std::int64_t length = -1;
        File file = openWhole(PackageFile, length);
        if (!file.isOpen()) {
            line(name + ": cannot be read");
            problem(name + " cannot be read: " + systemErrorText());
            return;
        }
        file.adviseSequential();
        unsigned char table[PackageTableBytes] = {};
        const std::size_t tableRead = file.read(table, sizeof table);
        std::string fault;
        if (tableRead != sizeof table) {
            fault = name + " is shorter than its table";
        } else if (const std::optional<PackageTable> sizes =
                       readPackageTable(table, length, fault)) {
            for (int e = 0; e < UpdateFileCount; ++e) {
                entries_[e].size = sizes->counts[e];
            }
        } else {
            fault = name + ": " + fault;
        }
        Sha256 whole;
        whole.add(table, tableRead);
        const auto buffer = makeCopyBuffer();
        bool bodies = fault.empty() && buffer;
        for (int e = 0; bodies && e < UpdateFileCount; ++e) {
            Sha256 one;
            for (std::uint64_t left = entries_[e].size; bodies && left > 0;) {
                const std::size_t chunk =
                    static_cast<std::size_t>(std::min<std::uint64_t>(left, CopyBufferBytes));
                bodies = file.read(buffer.get(), chunk) == chunk;
                one.add(buffer.get(), chunk);
                whole.add(buffer.get(), chunk);
                left -= chunk;
            }
            bodies = bodies && one.finish(entries_[e].digest);
        }
        // Past a table that does not fit, the rest is hashed for the digest file alone.
        for (std::size_t got = 1; !fault.empty() && buffer && got > 0;) {
            got = file.read(buffer.get(), CopyBufferBytes);
            whole.add(buffer.get(), got);
        }
        const bool readFailed = file.failed() || (fault.empty() && !bodies);
        file.close();
        Hashed hashed{static_cast<std::uint64_t>(std::max<std::int64_t>(length, 0)), {}};
        if (readFailed || !buffer || !whole.finish(hashed.digest)) {
            line(name + ": cannot be read");
            problem(name + " cannot be read: " + systemErrorText());
            return;
        }
        package_ = hashed;
        line(name + ": " + std::to_string(hashed.size) + " bytes, SHA-256 " +
             digestToHex(hashed.digest));
        if (!fault.empty()) {
            line("  " + fault);
            problem(fault);
            return;
        }
        packageSound_ = true;
        line("  " + padded("entry", NameColumn) + "      bytes  SHA-256");
        for (int e = 0; e < UpdateFileCount; ++e) {
            if (isReadmeEntry(e)) {
                line("  " + padded(entryPath(e), NameColumn) +
                     "          -  the readme of the language chosen (readme_*.txt)");
            } else {
                line("  " + padded(entryPath(e), NameColumn) + rightAligned(entries_[e].size, 11) +
                     "  " + digestToHex(entries_[e].digest));
            }
        }
    }

    void listPatch() {
        line("");
        if (!there(PatchFile)) {
            line(std::string(PatchFileName) + ": not here");
            return;
        }
        const std::string name = PatchFileName;
        std::int64_t length = -1;
        File file = openWhole(PatchFile, length);
        std::optional<Sha256Digest> digest;
        if (file.isOpen()) {
            digest = digestOfBytes(file, static_cast<std::uint64_t>(length));
        }
        if (!digest) {
            line(name + ": cannot be read");
            problem(name + " cannot be read: " + systemErrorText());
            return;
        }
        patch_ = Hashed{static_cast<std::uint64_t>(length), *digest};
        std::string why;
        const std::optional<PatchTable> table = readPatchTable(file, length, why);
        file.close();
        line(name + ": " + std::to_string(length) + " bytes, SHA-256 " + digestToHex(*digest));
        if (!table) {
            line("  not a sound patch: " + why);
            problem(name + " is no sound patch: " + why);
            return;
        }
        listPatchTable(*table);
    }

    // Each set of entries and the versions it fits.
    void listPatchTable(const PatchTable& table) {
        line("  format " + std::to_string(table.format) + ", " + std::to_string(table.sets.size()) +
             (table.sets.size() == 1 ? " set" : " sets"));
        for (std::size_t n = 0; n < table.sets.size(); ++n) {
            listPatchSet(table, n);
        }
    }

    // The set of an earlier one whose entry carries the same stored bytes; 0 for none.
    static std::size_t sharedWith(const PatchTable& table, std::size_t n, int e) {
        const PatchEntry& entry = table.sets[n].entries[e];
        for (std::size_t earlier = 0; entry.storedBytes > 0 && earlier < n; ++earlier) {
            const PatchEntry& other = table.sets[earlier].entries[e];
            if (other.storedAt == entry.storedAt && other.storedBytes == entry.storedBytes) {
                return earlier + 1;
            }
        }
        return 0;
    }

    void listPatchSet(const PatchTable& table, std::size_t n) {
        const PatchSet& set = table.sets[n];
        std::string versions;
        for (const std::string& version : set.versions) {
            versions += (versions.empty() ? "" : ", ") + version;
        }
        line("  set " + std::to_string(n + 1) + ", for version " + versions);
        line("    " + padded("entry", NameColumn) + "kind          stored     result");
        for (int e = 0; e < UpdateFileCount; ++e) {
            if (isReadmeEntry(e)) {
                continue;
            }
            const PatchEntry& entry = set.entries[e];
            static const char* const kinds[] = {"unchanged", "delta", "whole"};
            std::string text = "    " + padded(entryPath(e), NameColumn) +
                               padded(kinds[static_cast<int>(entry.kind)], 9) +
                               rightAligned(entry.storedBytes, 11) +
                               rightAligned(entry.resultSize, 11);
            // Stored once: the sizes of the sets add up to the patch's.
            if (const std::size_t first = sharedWith(table, n, e)) {
                text += "  stored once, with set " + std::to_string(first);
            }
            // Both are made from the same files by one packing: a patch beside
            // another release's update.dat makes other files than it installs.
            if (packageSound_ && (entry.resultSize != entries_[e].size ||
                                  entry.resultDigest != entries_[e].digest)) {
                text += "  not what update.dat holds";
                problem(std::string(PatchFileName) + " makes " + entryPath(e) + " other than " +
                        PackageFileName + " holds");
            }
            line(text);
        }
    }

    void listDigestFile() {
        line("");
        const std::string name = DigestFileName;
        if (!digestText_) {
            if (!digestProblem_.empty()) {
                line(name + ": cannot be read");
                problem(digestProblem_);
            } else {
                line(name + ": not here");
                if (!request_.keys.empty()) {
                    problem(name + " is missing; this program installs only signed updates");
                }
            }
            return;
        }
        if (!digests_) {
            line(name + ": not a list of SHA-256 lines");
            problem(name + " is not a list of SHA-256 lines");
            return;
        }
        line(name + ":");
        for (const auto& [listed, digest] : *digests_) {
            line("  " + padded(listed, NameColumn) + checkLine(listed, digest));
        }
        std::vector<std::string> shipped = request_.readmes;
        shipped.insert(shipped.begin(), {PackageFileName, PatchFileName});
        for (const std::string& file : shipped) {
            if (digests_->count(file) == 0 && there(file)) {
                line("  " + padded(file, NameColumn) + "here, but not listed");
                problem(name + " has no line for " + file);
            }
        }
    }

    // What stands against one line of the digest file.
    std::string checkLine(const std::string& listed, const Sha256Digest& digest) {
        if (!isPlainName(listed)) {
            problem(std::string(DigestFileName) + " lists " + listed + ", no file of this folder");
            return "no file of this folder";
        }
        if (!there(listed)) {
            // One digest file serves both downloads; a player may have taken either.
            const bool otherDownload =
                (listed == PackageFileName && patch_) || (listed == PatchFileName && package_);
            if (otherDownload) {
                return "not here (the other download is)";
            }
            problem(std::string(DigestFileName) + " lists " + listed + ", which is not here");
            return "not here";
        }
        // update.dat and update.patch were read above; a second reading could differ.
        std::string why = listed + " cannot be read";
        const std::optional<Hashed> actual = listed == PackageFileName ? package_
                                             : listed == PatchFileName ? patch_
                                                                       : hashFile(listed, why);
        if (!actual) {
            problem(why);
            return "cannot be read";
        }
        if (actual->digest != digest) {
            problem(listed + " has SHA-256 " + digestToHex(actual->digest) + ", " + DigestFileName +
                    " lists " + digestToHex(digest));
            return "does not match: its SHA-256 is " + digestToHex(actual->digest);
        }
        return "matches";
    }

    void listSignature() {
        line("");
        const std::string name = SignatureFileName;
        if (!there(SignatureFile)) {
            line(name + ": not here");
            if (!request_.keys.empty()) {
                problem(name + " is missing; this program installs only signed updates");
            }
            return;
        }
        if (request_.keys.empty()) {
            line(name + ": here; not checked, as this program was built without a publisher key");
            return;
        }
        std::string signature;
        if (!readSmallFile(folder_, SignatureFile, MaxSignatureBytes, signature,
                           Source::Untrusted) ||
            !digestText_) {
            line(name + ": here; cannot be checked");
            problem(name + (digestText_ ? " cannot be read" : " signs no digest file"));
            return;
        }
        for (const PublisherKey& key : request_.keys) {
            if (verifyP256Signature(key.point, digestText_->data(), digestText_->size(),
                                    reinterpret_cast<const unsigned char*>(signature.data()),
                                    signature.size())) {
                line(name + ": valid, by publisher key " + key.name + " (SHA-256 " +
                     key.fingerprint + ")");
                return;
            }
        }
        line(name + ": not valid");
        problem(name + " is no signature of " + DigestFileName +
                " by a publisher key of this program");
    }

    const ListingRequest& request_;
    Folder folder_;
    PackageListing listing_;
    std::optional<std::string> digestText_;
    std::string digestProblem_;
    std::optional<std::string> release_;
    std::optional<DigestList> digests_;
    std::optional<Hashed> package_;
    std::optional<Hashed> patch_;
    bool packageSound_ = false;
    std::array<Hashed, UpdateFileCount> entries_{};
};

} // namespace

PackageListing listUpdateFolder(const ListingRequest& request) {
    return Lister(request).run();
}
