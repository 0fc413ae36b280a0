// Books that are one endless line: the time from the chosen path to the confirming box for a
// 10 MB single-line book, and, with a 100 MB single-line book loaded, the time to repaint the
// list, to scroll it to the item and to highlight the item. Medians of several repetitions.
//
//   cmake --build build/release --target orlavo_long_line_benchmark
//   build/release/bench/orlavo_long_line_benchmark

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench_books.h"
#include "bench_loader.h"

namespace {

using orlavo::bench::BenchLoader;

// Words without a comma or a line end: the whole file is one item.
std::string SingleLineBook(std::size_t megabytes) {
    const std::filesystem::path path =
        orlavo::bench::BenchFolder() / ("line" + std::to_string(megabytes) + "mb.txt");
    const std::uintmax_t size = megabytes * 1'000'000;
    if (!std::filesystem::exists(path) || std::filesystem::file_size(path) != size) {
        std::ofstream out(path, std::ios::binary);
        const std::string words = "and the sea rolled on as it rolled five thousand years ago ";
        for (std::uintmax_t written = 0; written < size; written += words.size()) {
            out << words.substr(0, static_cast<std::size_t>(
                                       std::min<std::uintmax_t>(words.size(), size - written)));
        }
    }
    return path.string();
}

void BM_LoadSingleLine(benchmark::State& state, const std::string& path) {
    BenchLoader bench(path);
    for (auto _ : state) {
        bench.Load();
    }
}

// With the 100 MB line loaded once, each step the person would notice.
void BM_WithHugeLine(benchmark::State& state, const std::string& path, int what) {
    BenchLoader bench(path);
    bench.Load();
    for (auto _ : state) {
        switch (what) {
            case 0:
                bench.view.viewport()->repaint();
                break;
            case 1:
                bench.view.verticalScrollBar()->setValue(0);
                bench.view.scrollTo(bench.model.index(0));
                bench.view.viewport()->repaint();
                break;
            default:
                bench.list.Select(0);
                bench.view.viewport()->repaint();
                break;
        }
        QApplication::processEvents();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const std::string ten = SingleLineBook(10);
    const std::string hundred = SingleLineBook(100);
    const auto common = [](benchmark::internal::Benchmark* b) {
        b->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
    };
    common(
        benchmark::RegisterBenchmark("LoadSingleLine/10MB", BM_LoadSingleLine, ten)->Iterations(3));
    common(benchmark::RegisterBenchmark("HugeLine/repaint", BM_WithHugeLine, hundred, 0)
               ->Iterations(10));
    common(benchmark::RegisterBenchmark("HugeLine/scroll", BM_WithHugeLine, hundred, 1)
               ->Iterations(10));
    common(benchmark::RegisterBenchmark("HugeLine/highlight", BM_WithHugeLine, hundred, 2)
               ->Iterations(10));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
