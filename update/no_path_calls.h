// Put before every source of the update's own (all of update/ but packing) by the
// build: the update reaches its files only through the folders and names of
// platform/file_io.h, never by a path that could be looked up again or lead
// elsewhere, and the compiler holds it to that. The standard headers that
// declare these names come first; anything after them that names one fails to
// compile.
#pragma once

#include <algorithm>
#include <array>
#include <bitset>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <list>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>
#include <zlib.h>

// The C library's and the system's calls by path.
#pragma GCC poison fopen freopen fopen64 tmpfile tmpnam rename remove unlink rmdir mkdir opendir
#pragma GCC poison filesystem ifstream ofstream fstream
// Windows' calls by path.
#pragma GCC poison _wfopen _wrename _wremove _wunlink CreateFileA CreateFileW DeleteFileA
#pragma GCC poison DeleteFileW MoveFileA MoveFileW MoveFileExA MoveFileExW ReplaceFileW
#pragma GCC poison CopyFileW GetFileAttributesW FindFirstFileW
// The program's own calls by path, for packing, tools and tests (platform/path_io.h).
#pragma GCC poison openFile openPath fileOf createNewFile removeEntry toFsPath fromFsPath
