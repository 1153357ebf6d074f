// ESRI ASCII grids written as text, so that tests can give the reader any
// header and any values, as models and GIS tools write them.
#pragma once

#include <string>
#include <vector>

using AscRows = std::vector<std::vector<std::string>>;

// The header as most writers give it, line ends included.
inline std::string AscHeader(std::size_t columns, std::size_t rows, const std::string& noData = "") {
    std::string header = "ncols " + std::to_string(columns) + "\nnrows " + std::to_string(rows) +
                         "\nxllcorner 500000\nyllcorner 4100000\ncellsize 30\n";
    if (!noData.empty()) header += "NODATA_value " + noData + "\n";
    return header;
}

// `rows`, the northernmost first, one line each.
inline std::string AscValues(const AscRows& rows) {
    std::string text;
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) text += (i > 0 ? " " : "") + row[i];
        text += "\n";
    }
    return text;
}

inline std::string AscText(const AscRows& rows, const std::string& noData = "") {
    return AscHeader(rows.empty() ? 0 : rows[0].size(), rows.size(), noData) + AscValues(rows);
}
