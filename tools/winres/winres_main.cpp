// tactico-winres <output> <art>...
// Turns the art of resources/ into one icon (.ico) or cursor (.cur) file for the
// Windows resources; the art files given are the sizes of that one resource.
// Built for the build machine, also when the program is cross-compiled.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tools/resgen/resource_art.h"
#include "tools/winres/icon_image.h"

namespace {

bool readArt(const char* path, resgen::Art& art) {
    std::string error;
    if (!resgen::readArtFile(path, art, error)) {
        std::fprintf(stderr, "%s%s\n", "tactico-winres: ", error.c_str());
        return false;
    }
    return true;
}

IconImage toImage(const resgen::Art& art) {
    IconImage image;
    image.width = art.width;
    image.height = art.height;
    image.hotspotX = art.hotX;
    image.hotspotY = art.hotY;
    image.pixels = art.argb;
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tactico-winres <output> <art>...\n");
        return 2;
    }
    std::vector<resgen::Art> arts(static_cast<std::size_t>(argc - 2));
    for (int i = 2; i < argc; ++i) {
        if (!readArt(argv[i], arts[static_cast<std::size_t>(i - 2)])) {
            return 1;
        }
    }
    for (const resgen::Art& art : arts) {
        if (art.cursor != arts[0].cursor || art.id != arts[0].id) {
            std::fprintf(stderr, "%s: not a size of the same resource as %s\n",
                         art.sourceName.c_str(), arts[0].sourceName.c_str());
            return 1;
        }
    }
    // Largest first, the order Windows' own icon files use; sizes given twice (16
    // and 2 colours) keep the order they were given in.
    std::stable_sort(arts.begin(), arts.end(), [](const resgen::Art& a, const resgen::Art& b) {
        return a.width * a.height > b.width * b.height;
    });
    std::vector<IconImage> images;
    for (const resgen::Art& art : arts) {
        images.push_back(toImage(art));
    }
    const std::vector<std::uint8_t> file = encodeIconFile(images, arts[0].cursor);
    if (file.empty()) {
        std::fprintf(stderr, "tactico-winres: %s cannot be stored\n", argv[2]);
        return 1;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "tactico-winres: cannot write %s\n", argv[1]);
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
