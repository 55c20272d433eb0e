// The installation record on systems without a registry: string values under
// HKEY_LOCAL_MACHINE kept in one registry-export text file, so an administrator
// can read it, edit it and import it on Windows.
#pragma once

#include <cstdint>
#include <string>

// The file named by TACTICO_REGISTRY, else RegFileDefaultPath.
inline constexpr const char* RegFileDefaultPath = "/var/lib/tactico/registry.reg";
std::string regFilePath();

// keyPath is relative to HKEY_LOCAL_MACHINE. A read fails where the registry's would:
// no file, key or value; a file the caller may not read. A record that may be read
// but not written is found, so that the update's write fails where it can still be
// undone.
bool regFileRead(const char* keyPath, const char* valueName, std::string& value);

// Creates the key if needed and sets the string value, keeping every other key and
// value. The file is replaced in one step; one it cannot parse is left as it is.
// False also when the new file is in place but its folder could not be flushed.
bool regFileWrite(const char* keyPath, const char* valueName, const char* text);

// Pushes the record file and its folder to the disk as they stand, without
// writing anything: a record a run killed before its folder was flushed becomes
// durable.
bool regFileFlush(const char* keyPath);

// Removes the temporaries that runs killed while writing the record left beside
// it (those of live processes stay). The first read of a run does this itself.
void regFileSweepTemporaries();
