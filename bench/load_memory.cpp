// How much memory a very large book costs: the peak resident size of a program that shows the
// empty list, then loads the book into it with Orlavo's loader, for ten copies of the King James
// Bible, for 300 MB books of tiny items ("1," and the worst case, all commas), for a 100 MB book
// on one line and in many lines, and for 100 MB Russian books in Windows-1251 and UTF-16. Each book
// is loaded in a process of its own, so one book's peak never hides another's. The peak is taken
// twice: once the loader has read, decoded and split the book (the view has not laid the rows out
// yet), and once the view has. Fails when a book takes more than three times its file.
//
//   build/release/bench/orlavo_load_memory

#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

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

// In a child process: true when the book stays within three times its file.
bool MeasureOne(int argc, char** argv, const std::string& book) {
    QApplication application(argc, argv);
    const double bookMb = static_cast<double>(std::filesystem::file_size(book)) / 1e6;

    orlavo::bench::BenchLoader bench(book);
    const long emptyKb = PeakKilobytes();
    bench.loader.LoadEBook_Click();
    const long itemsKb = PeakKilobytes();
    QApplication::processEvents();
    const long loadedKb = PeakKilobytes();

    const auto over = [emptyKb](long kb) { return static_cast<double>(kb - emptyKb) * 1024 / 1e6; };
    const double overMb = over(loadedKb);
    std::printf("book: %s, %.1f MB, %d items\n", book.c_str(), bookMb, bench.model.rowCount());
    std::printf(
        "peak resident: empty %.1f MB, loaded %.1f MB, over empty %.1f MB = %.2fx book "
        "(read, decoded and split before the view's layout: %.2fx)\n",
        static_cast<double>(emptyKb) * 1024 / 1e6, static_cast<double>(loadedKb) * 1024 / 1e6,
        overMb, overMb / bookMb, over(itemsKb) / bookMb);
    std::fflush(stdout);
    return bench.model.rowCount() > 0 && overMb <= 3 * bookMb;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const std::vector<std::string> books = {
        orlavo::bench::Kjv10Path(),
        orlavo::bench::TinyItemsPath(300, "1,", "tiny300mb.txt"),
        orlavo::bench::TinyItemsPath(300, ",", "commas300mb.txt"),
        // The same size in the two shapes a book's lines can take: one line of 100 MB (a book
        // saved without line ends) and two million lines of ordinary length.
        orlavo::bench::TinyItemsPath(100, "and the old house stood by the river ",
                                     "oneline100mb.txt"),
        orlavo::bench::TinyItemsPath(100, "The old house stood at the edge of the village.\n",
                                     "lines100mb.txt"),
        orlavo::bench::RussianPath(100, "WINDOWS-1251"),
        orlavo::bench::RussianPath(100, "UTF-16"),
    };
    bool allWithin = true;
    for (const std::string& book : books) {
        const pid_t child = ::fork();
        if (child == 0) {
            std::_Exit(MeasureOne(argc, argv, book) ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        allWithin = allWithin && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return allWithin ? 0 : 1;
}
