#pragma once

#include <string>

namespace kestrix {

// One font as the program remembers it.
struct FontSpec {
    std::string name = "Courier New";
    float size = 9.0f;  // points
    bool italic = false;
    bool bold = false;

    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

}  // namespace kestrix
