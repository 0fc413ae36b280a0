// How much memory a very large book costs: the peak resident size of a program that shows the
// empty list, then loads ten copies of the King James Bible into it with Orlavo's loader.
//
//   build/release/bench/orlavo_load_memory

#include <QApplication>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_books.h"
#include "bench_loader.h"

namespace {

// The peak resident set so far, in kB, as the kernel counts it.
long PeakKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const std::string book = orlavo::bench::Kjv10Path();
    const double bookMb = static_cast<double>(std::filesystem::file_size(book)) / 1e6;

    orlavo::bench::BenchLoader bench(book);
    const long emptyKb = PeakKilobytes();
    bench.Load();
    const long loadedKb = PeakKilobytes();

    const double overMb = static_cast<double>(loadedKb - emptyKb) * 1024 / 1e6;
    std::printf("book: %s, %.1f MB, %d items\n", book.c_str(), bookMb, bench.model.rowCount());
    std::printf("peak resident: empty %.1f MB, loaded %.1f MB, over empty %.1f MB = %.2fx book\n",
                static_cast<double>(emptyKb) * 1024 / 1e6,
                static_cast<double>(loadedKb) * 1024 / 1e6, overMb, overMb / bookMb);
    return overMb <= 3 * bookMb ? 0 : 1;
}
