// The base the patch and delta seeds were made against.
#pragma once

#include <cstddef>
#include <string>

inline std::string fixedBase() {
    std::string base(8192, '\0');
    for (std::size_t i = 0; i < base.size(); ++i) {
        base[i] = static_cast<char>(i * 131 + (i >> 7));
    }
    return base;
}
