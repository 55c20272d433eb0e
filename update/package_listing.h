// What an update folder holds, for a publisher before it ships and an
// administrator before it runs: update.dat's entries, update.patch's table, the
// digest file's lines and the signature, and whether they all agree. Only reads.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "update/publisher_keys.h"

struct ListingRequest {
    // The release this program installs: a digest file that names another is refused.
    std::string release;
    // The readmes an update may install; one that is there must be listed.
    std::vector<std::string> readmes;
    std::span<const PublisherKey> keys;
};

struct PackageListing {
    std::string text;                  // UTF-8 lines
    std::vector<std::string> problems; // every disagreement found, also named in text
};

// The listing of the current folder.
PackageListing listUpdateFolder(const ListingRequest& request);
