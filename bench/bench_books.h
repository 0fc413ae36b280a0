#pragma once

// The books the benchmarks load: the King James Bible as one real book, and ten copies of it
// joined as a very large one. They are made once with the `bible` program of the bible-kjv
// package, in $ORLAVO_BENCH_DIR or the system's temporary folder; ORLAVO_KJV names a ready copy
// of the single Bible instead.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace orlavo::bench {

inline std::filesystem::path BenchFolder() {
    const char* folder = std::getenv("ORLAVO_BENCH_DIR");
    std::filesystem::path path = folder != nullptr
                                     ? std::filesystem::path(folder)
                                     : std::filesystem::temp_directory_path() / "orlavo-bench";
    std::filesystem::create_directories(path);
    return path;
}

inline std::string KjvPath() {
    if (const char* given = std::getenv("ORLAVO_KJV"); given != nullptr) {
        return given;
    }
    const std::filesystem::path path = BenchFolder() / "kjv.txt";
    if (!std::filesystem::exists(path) || std::filesystem::file_size(path) == 0) {
        const std::string command = "bible -f Gen1:1-Rev22:21 > '" + path.string() + "'";
        if (std::system(command.c_str()) != 0 || std::filesystem::file_size(path) == 0) {
            throw std::runtime_error(
                "cannot make kjv.txt: install bible-kjv, or name a copy in ORLAVO_KJV");
        }
    }
    return path.string();
}

inline std::string Kjv10Path() {
    const std::string single = KjvPath();
    const std::filesystem::path path = BenchFolder() / "kjv10.txt";
    if (!std::filesystem::exists(path) ||
        std::filesystem::file_size(path) != 10 * std::filesystem::file_size(single)) {
        std::ofstream out(path, std::ios::binary);
        for (int copy = 0; copy < 10; ++copy) {
            std::ifstream in(single, std::ios::binary);
            out << in.rdbuf();
        }
    }
    return path.string();
}

}  // namespace orlavo::bench
