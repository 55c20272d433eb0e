// "update.dat.sha256": the SHA-256 of the package and of each readme beside it, in
// the form sha256sum writes and checks ("<64 hex>  update.dat", one line a file),
// so publishers and administrators verify an update with the same file the wizard
// uses. "update.dat.sha256.sig" is the publisher's signature of that file.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/name.h"
#include "platform/sha256.h"

inline constexpr Name DigestFile = "update.dat.sha256";
inline constexpr Name SignatureFile = "update.dat.sha256.sig";
inline constexpr const char* DigestFileName = DigestFile.c_str();
inline constexpr const char* SignatureFileName = SignatureFile.c_str();

using DigestList = std::map<std::string, Sha256Digest>;

std::string digestToHex(const Sha256Digest& digest);
// One line of the digest file.
std::string digestLine(const std::string& name, const Sha256Digest& digest);
// The digest of each file a digest file names; nothing when any line but a
// comment is not of sha256sum's form or a name comes twice (a signed file must
// mean one thing).
std::optional<DigestList> parseDigestFile(const std::string& text);

// The digest file's first line names the release its files install, as the
// record's "Version" reads once they are in, so that a signature made for one
// release installs no other. sha256sum takes it for a comment and still checks
// the files.
std::string releaseLine(std::string_view release);
// The release a digest file names; nothing when it names none, or more than one.
std::optional<std::string> releaseOf(const std::string& text);
// For a patch, the versions each of its sets fits, for whoever reads the file:
// "# update.patch fits: 3.69; 3.80 3.81" (sets apart by semicolons).
std::string patchVersionsLine(const std::vector<std::vector<std::string>>& sets);

class File;

// SHA-256 of the next count bytes of file; nothing when fewer can be read.
std::optional<Sha256Digest> digestOfBytes(File& file, std::uint64_t count);
