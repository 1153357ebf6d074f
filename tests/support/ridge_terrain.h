// The small terrain several tests show: 20 by 20 cells, a ridge rising
// towards one corner, as data file text.
#pragma once

#include <string>

inline std::string RidgeTerrain() {
    std::string text = "20\n";
    for (int row = 0; row < 20; ++row) {
        for (int column = 0; column < 20; ++column) text += std::to_string((row + column) / 10 + (row % 3 == 0)) + " ";
        text += "\n";
    }
    return text;
}
