#include "temp_files.h"

#include <stdlib.h>

#include <filesystem>
#include <cstdio>
#include <fstream>
#include <sstream>

TempDir::TempDir(const std::string& label) {
    std::string pattern = "/tmp/pelorin-" + label + "-XXXXXX";
    if (mkdtemp(pattern.data())) path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

void PutFile(const std::string& path, const std::string& text) {
    WriteFile(path + ".part", text);
    std::rename((path + ".part").c_str(), path.c_str());
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
