// Whether a folder's security keeps what the program stages there its own. Apart
// from the system calls that read the security, so that any owner and any access
// list can be judged in a test, whatever account runs it.
#pragma once

#include <cstdint>
#include <span>

struct AccessEntry {
    // A deny entry only takes rights away, so it never makes a folder less private.
    bool allows = true;
    // Administrators, SYSTEM or the account the program runs as.
    bool trustedAccount = false;
    // Windows' access mask.
    std::uint32_t rights = 0;
};

// The rights that let an account put, change, remove or rename what is in a
// folder, or take the folder over.
inline constexpr std::uint32_t FolderWriteRights =
    0x0002 |     // FILE_ADD_FILE / FILE_WRITE_DATA
    0x0004 |     // FILE_ADD_SUBDIRECTORY / FILE_APPEND_DATA
    0x0010 |     // FILE_WRITE_EA
    0x0040 |     // FILE_DELETE_CHILD
    0x0100 |     // FILE_WRITE_ATTRIBUTES
    0x00010000 | // DELETE
    0x00040000 | // WRITE_DAC
    0x00080000 | // WRITE_OWNER
    0x02000000 | // MAXIMUM_ALLOWED
    0x10000000 | // GENERIC_ALL
    0x40000000;  // GENERIC_WRITE

// An owner may always rewrite the list, so the owner must be trusted too; no list
// at all lets everyone in. Entries that only pass on to what is made inside count
// as well: the staged files are made inside.
bool onlyTrustedMayWrite(bool ownerTrusted, bool hasAccessList,
                         std::span<const AccessEntry> entries);
