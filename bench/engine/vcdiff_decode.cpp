// vcdiff_decode <base> <delta> <out>: the patch decoder as a command of its own, to
// be timed beside xdelta3 -d on the same deltas, one process per delta as that
// works. Like xdelta3 -d it checks each window's checksum and hashes nothing; it
// links only the decoder, so its start costs what a small command's does.
// Prints "<seconds inside> <peak RSS KiB>".
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

#include "platform/path_io.h"
#include "update/vcdiff.h"

namespace {

bool decodeOne(const char* basePath, const char* deltaPath, const char* outPath) {
    File delta = openPath(deltaPath, "rb");
    File base = openPath(basePath, "rb");
    File out = openPath(outPath, "wb");
    bool ok = delta.isOpen() && base.isOpen() && out.isOpen() && delta.seek(0, File::From::End) &&
              base.seek(0, File::From::End);
    const std::int64_t deltaSize = ok ? delta.tell() : 0;
    const std::int64_t baseSize = ok ? base.tell() : 0;
    std::vector<unsigned char> bytes(deltaSize > 0 ? static_cast<std::size_t>(deltaSize) : 0);
    ok = ok && delta.seek(0) && delta.read(bytes.data(), bytes.size()) == bytes.size();
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
    return out.close() && ok;
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
