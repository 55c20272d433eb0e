#include "resources/resource_images.h"

const ResourceImage* findResourceImage(ResourceKind kind, int id) {
    const ResourceImage* best = nullptr;
    for (int i = 0; i < ResourceImageCount; ++i) {
        const ResourceImage& image = ResourceImages[i];
        if (image.kind != kind || image.id != id)
            continue;
        if (best == nullptr || image.width * image.height > best->width * best->height)
            best = &image;
    }
    return best;
}
