// Makes the installation record readable but not writable, as a policy that
// guards the machine's settings leaves it, or writable again. Run under Wine by
// tests/wine/all_or_nothing.sh:
//   tactico-record-access read-only|writable <key under HKEY_LOCAL_MACHINE>
// The key is the one the game's 32-bit installer writes.
#include <windows.h>

#include <sddl.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    const bool readOnly = argc == 3 && std::strcmp(argv[1], "read-only") == 0;
    if (argc != 3 || (!readOnly && std::strcmp(argv[1], "writable") != 0)) {
        std::fprintf(stderr, "usage: tactico-record-access read-only|writable <key>\n");
        return 2;
    }
    // Everyone may read the key, or do anything with it.
    const char* rights = readOnly ? "D:P(A;;KR;;;WD)" : "D:P(A;;KA;;;WD)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(rights, SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
        std::fprintf(stderr, "cannot make the security descriptor: error %lu\n", GetLastError());
        return 1;
    }
    // Its owner may always change who may do what, even once nobody may write.
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, argv[2], 0, WRITE_DAC | KEY_WOW64_32KEY, &key);
    if (result == ERROR_SUCCESS) {
        result = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
        RegCloseKey(key);
    }
    LocalFree(descriptor);
    if (result != ERROR_SUCCESS) {
        std::fprintf(stderr, "cannot change the access to %s: error %ld\n", argv[2], result);
        return 1;
    }
    return 0;
}
