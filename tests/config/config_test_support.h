// Helpers shared by the configuration tests.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "config_store.h"
#include "temp_files.h"

// Collects what is written to std::cerr while it lives.
class CapturedStderr {
public:
    CapturedStderr() : previous_(std::cerr.rdbuf(captured_.rdbuf())) {}
    ~CapturedStderr() { std::cerr.rdbuf(previous_); }
    std::string text() const { return captured_.str(); }

private:
    std::ostringstream captured_;
    std::streambuf* previous_;
};

// A file in a temporary directory holding `content` byte for byte; removed
// with the object.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& content)
        : path_(directory() + "/config" + std::to_string(++count_) + ".txt") {
        std::ofstream(path_, std::ios::binary) << content;
    }
    ~TemporaryFile() { std::remove(path_.c_str()); }
    const char* path() const { return path_.c_str(); }

private:
    static const std::string& directory() {
        static const TempDir made("config-tests");
        return made.path();
    }

    static inline int count_ = 0;
    std::string path_;
};

// A store whose only input is `list`, as parse_arguments receives it.
inline std::unique_ptr<ConfigStore> parsed_store(const std::vector<std::string>& list) {
    auto store = std::make_unique<ConfigStore>("/nonexistent/config.txt");
    store->arguments.clear();
    store->parse_arguments(list);
    return store;
}
