// The program's icon and cursors as pixels, generated from the art in this folder.
#pragma once

#include <cstdint>

enum class ResourceKind { Icon, Cursor };

struct ResourceImage {
    ResourceKind kind;
    int id;
    int width;
    int height;
    int hotX;
    int hotY;
    const std::uint32_t* argb; // width x height, rows top-down, 0xAARRGGBB
};

extern const ResourceImage ResourceImages[];
extern const int ResourceImageCount;

// The largest image of that kind and id, or null.
const ResourceImage* findResourceImage(ResourceKind kind, int id);
