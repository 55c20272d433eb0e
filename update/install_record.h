// The installation record the game's installer leaves:
// HKEY_LOCAL_MACHINE\Software\Brackwater Ltd\<subkey>, values "Version" and "Location".
#pragma once

#include <cstdint>

bool readInstallValue(const char* subkey, const char* valueName, char* buffer,
                      std::uint32_t bufferSize);
bool writeInstallValue(const char* subkey, const char* valueName, const char* text);
