#include "platform/folder_trust.h"

bool onlyTrustedMayWrite(bool ownerTrusted, bool hasAccessList,
                         std::span<const AccessEntry> entries) {
    if (!ownerTrusted || !hasAccessList) {
        return false;
    }
    for (const AccessEntry& entry : entries) {
        if (entry.allows && !entry.trustedAccount && (entry.rights & FolderWriteRights) != 0) {
            return false;
        }
    }
    return true;
}
