#pragma once

// The books the benchmarks load: the King James Bible as one real book, ten copies of it joined
// as a very large one, Russian books in Windows-1251 and UTF-16 for the other encodings' paths,
// and books made of one piece over and over for the memory a book's shape costs. They
// are made once, the Bibles with the `bible` program of the bible-kjv package and the Russian book
// with iconv, in $ORLAVO_BENCH_DIR or the system's temporary folder; ORLAVO_KJV names a ready copy
// of the single Bible instead.

#include <algorithm>
#include <cstdint>
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

// A Russian paragraph repeated to a little over `megabytes` million bytes in `charset`, converted
// with iconv: Windows-1251 is the encoding of most Russian books made on Windows, UTF-16 that of
// books saved as "Unicode" by Windows programs.
inline std::string RussianPath(std::size_t megabytes = 4,
                               const std::string& charset = "WINDOWS-1251") {
    const std::uintmax_t size = megabytes * 1'000'000;
    const std::filesystem::path path =
        BenchFolder() / ("russian-" + charset + "-" + std::to_string(megabytes) + "mb.txt");
    if (std::filesystem::exists(path) && std::filesystem::file_size(path) >= size) {
        return path.string();
    }
    const std::string paragraph =
        "Поезд пришёл на станцию поздно вечером, когда в окнах вокзала уже погасли огни. Старик с "
        "тяжёлым чемоданом медленно спустился на платформу, огляделся и пошёл к выходу, где его "
        "ждала внучка.\n«Ты совсем не изменился», — сказала она, обняв его, и взяла чемодан. Они "
        "долго шли по тихим улицам, мимо закрытых лавок, пустого рынка и старой церкви, и говорили "
        "о доме, о соседях, о том, что зима в этом году будет ранней.\n";
    const std::filesystem::path utf8 = BenchFolder() / "russian-utf8.txt";
    {
        std::ofstream out(utf8, std::ios::binary);
        // Windows-1251 takes one byte a letter where UTF-8 takes two, UTF-16 two as well.
        for (std::uintmax_t written = 0; written < 2 * size; written += paragraph.size()) {
            out << paragraph;
        }
    }
    const std::string command =
        "iconv -f UTF-8 -t " + charset + " '" + utf8.string() + "' > '" + path.string() + "'";
    if (std::system(command.c_str()) != 0 || std::filesystem::file_size(path) < size) {
        throw std::runtime_error("cannot make " + path.filename().string() + " with iconv");
    }
    std::filesystem::remove(utf8);
    return path.string();
}

// A book of `megabytes` million bytes made of `item` over and over: "1," gives the tiniest items a
// real book could have, "," the worst case of all, a book of empty items one byte each.
inline std::string TinyItemsPath(std::size_t megabytes, const std::string& item,
                                 const std::string& name) {
    const std::uintmax_t size = megabytes * 1'000'000;
    const std::filesystem::path path = BenchFolder() / name;
    if (!std::filesystem::exists(path) || std::filesystem::file_size(path) != size) {
        std::string chunk;
        while (chunk.size() < (std::size_t{1} << 20)) {
            chunk += item;
        }
        chunk.resize(chunk.size() - chunk.size() % item.size());
        std::ofstream out(path, std::ios::binary);
        for (std::uintmax_t written = 0; written < size; written += chunk.size()) {
            out.write(chunk.data(), static_cast<std::streamsize>(
                                        std::min<std::uintmax_t>(chunk.size(), size - written)));
        }
    }
    return path.string();
}

}  // namespace orlavo::bench
