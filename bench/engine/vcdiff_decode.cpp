// vcdiff_decode <base> <delta> <out>: the patch decoder as a command of its own, to
// be timed beside xdelta3 -d on the same deltas, one process per delta as that
// works. Like xdelta3 -d it checks each window's checksum and hashes nothing; it
// links only the decoder, so its start costs what a small command's does.
// Prints "<seconds inside> <peak RSS KiB>".
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

#include "platform/file_io.h"
#include "update/vcdiff.h"

namespace {

bool decodeOne(const char* basePath, const char* deltaPath, const char* outPath) {
    std::FILE* delta = std::fopen(deltaPath, "rb");
    std::FILE* base = std::fopen(basePath, "rb");
    std::FILE* out = std::fopen(outPath, "wb");
    bool ok = delta != nullptr && base != nullptr && out != nullptr &&
              seekFile(delta, 0, SEEK_END) && seekFile(base, 0, SEEK_END);
    const std::int64_t deltaSize = ok ? tellFile(delta) : 0;
    const std::int64_t baseSize = ok ? tellFile(base) : 0;
    std::vector<unsigned char> bytes(deltaSize > 0 ? static_cast<std::size_t>(deltaSize) : 0);
    ok = ok && seekFile(delta, 0, SEEK_SET) &&
         std::fread(bytes.data(), 1, bytes.size(), delta) == bytes.size();
    if (ok) {
        VcdiffFileSource source(base, static_cast<std::uint64_t>(baseSize));
        VcdiffFileSink sink(out);
        const VcdiffResult result =
            decodeVcdiff(bytes.data(), bytes.size(), &source, sink, std::uint64_t{1} << 40);
        if (result.status != VcdiffStatus::Done) {
            std::fprintf(stderr, "vcdiff_decode: %s\n", result.message.c_str());
            ok = false;
        }
    }
    for (std::FILE* f : {delta, base, out}) {
        if (f != nullptr) {
            ok = std::fclose(f) == 0 && ok;
        }
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: vcdiff_decode <base> <delta> <out>\n", stderr);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    if (!decodeOne(argv[1], argv[2], argv[3])) {
        std::fprintf(stderr, "vcdiff_decode: %s cannot be decoded\n", argv[2]);
        return 1;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.6f %ld\n", elapsed.count(), usage.ru_maxrss);
    return 0;
}
