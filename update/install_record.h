// The installation record the game's installer leaves:
// HKEY_LOCAL_MACHINE\Software\Brackwater Ltd\<subkey>, values "Version" and "Location",
// as UTF-8 text.
#pragma once

#include <cstdint>
#include <string>

// The value at any length ("Location" is a path, as long as the system allows).
bool readInstallValue(const char* subkey, const char* valueName, std::string& value);
// The value only when it fits bufferSize bytes with its terminator, as a version
// text does.
bool readInstallValue(const char* subkey, const char* valueName, char* buffer,
                      std::uint32_t bufferSize);
bool writeInstallValue(const char* subkey, const char* valueName, const char* text);
// Makes the record as it stands durable; true where nothing needs flushing.
bool flushInstallRecord(const char* subkey);
