// How fast a book loads: Orlavo's loader (path to list filled, title set) for the King James
// Bible, for ten copies of it and for a 4 MB Russian book in Windows-1251, against the naive way
// of splitting the text into a QStringList and adding each item to a QListWidget, and against the
// floor: a bare read of the file into a buffer and a memchr scan for its delimiters. Medians of
// several repetitions; the ratios and the other medians are printed at the end.
//
//   cmake --build build/release --target orlavo_load_benchmark
//   build/release/bench/orlavo_load_benchmark

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench_books.h"
#include "bench_loader.h"

namespace {

using orlavo::bench::BenchLoader;

void BM_OrlavoLoad(benchmark::State& state, const std::string& path) {
    BenchLoader bench(path);
    for (auto _ : state) {
        bench.Load();
    }
    state.counters["items"] = bench.model.rowCount();
    state.SetBytesProcessed(state.iterations() * QFile(QString::fromStdString(path)).size());
}

// The least any loader must do: read the file into a fresh buffer (not cleared first) and find
// every comma, line feed and carriage return in it, each with memchr.
void BM_ReadAndScan(benchmark::State& state, const std::string& path) {
    std::size_t delimiters = 0;
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat status {};
        if (fd < 0 || ::fstat(fd, &status) != 0) {
            state.SkipWithError("cannot open the book");
            return;
        }
        const auto size = static_cast<std::size_t>(status.st_size);
        const std::unique_ptr<char[]> buffer(new char[size]);
        std::size_t used = 0;
        for (ssize_t got = 1; used < size && got > 0; used += static_cast<std::size_t>(got)) {
            got = ::read(fd, buffer.get() + used, size - used);
            if (got < 0) {
                got = 0;
            }
        }
        ::close(fd);
        delimiters = 0;
        for (const char delimiter : {',', '\n', '\r'}) {
            const char* at = buffer.get();
            const char* const end = buffer.get() + used;
            while ((at = static_cast<const char*>(std::memchr(at, delimiter, end - at)))) {
                ++delimiters;
                ++at;
            }
        }
        benchmark::DoNotOptimize(delimiters);
    }
    state.counters["delimiters"] = static_cast<double>(delimiters);
}

// What a first attempt would do: the whole text as a QString, split into lines and items, each
// item added to a QListWidget on its own.
void BM_NaiveLoad(benchmark::State& state, const std::string& path) {
    QListWidget widget;
    widget.resize(600, 400);
    widget.show();
    QApplication::processEvents();
    for (auto _ : state) {
        widget.clear();
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot open the book");
            return;
        }
        const QString text = QString::fromUtf8(file.readAll());
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (const QString& line : lines) {
            for (const QString& item : line.split(QLatin1Char(','))) {
                widget.addItem(item.trimmed());
            }
        }
        QApplication::processEvents();
    }
    state.counters["items"] = widget.count();
}

// Keeps the medians so the ratio can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                m_medians[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatio() const {
        const auto ours = m_medians.find("OrlavoLoad/kjv");
        const auto naive = m_medians.find("NaiveLoad/kjv");
        if (ours == m_medians.end() || naive == m_medians.end() || ours->second <= 0) {
            return;
        }
        std::printf("\nKJV median: Orlavo %.1f ms, naive %.1f ms, naive/Orlavo = %.1fx\n",
                    ours->second, naive->second, naive->second / ours->second);
        for (const char* book : {"kjv", "kjv10"}) {
            const auto load = m_medians.find(std::string("OrlavoLoad/") + book);
            const auto floor = m_medians.find(std::string("ReadAndScan/") + book);
            if (load != m_medians.end() && floor != m_medians.end() && floor->second > 0) {
                std::printf(
                    "%s median: Orlavo %.1f ms, read + scan %.1f ms, Orlavo/floor = %.2fx\n", book,
                    load->second, floor->second, load->second / floor->second);
            }
        }
        if (const auto russian = m_medians.find("OrlavoLoad/cp1251"); russian != m_medians.end()) {
            std::printf("4 MB Windows-1251 median: Orlavo %.1f ms\n", russian->second);
        }
    }

  private:
    std::map<std::string, double> m_medians;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const std::string kjv = orlavo::bench::KjvPath();
    const std::string kjv10 = orlavo::bench::Kjv10Path();
    const std::string cp1251 = orlavo::bench::RussianPath();

    const auto common = [](benchmark::internal::Benchmark* b) {
        b->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Repetitions(7)
            ->ReportAggregatesOnly(true)
            ->ComputeStatistics("min", [](const std::vector<double>& v) {
                return *std::min_element(v.begin(), v.end());
            });
    };
    common(benchmark::RegisterBenchmark("OrlavoLoad/kjv", BM_OrlavoLoad, kjv)->Iterations(5));
    common(benchmark::RegisterBenchmark("OrlavoLoad/kjv10", BM_OrlavoLoad, kjv10)->Iterations(2));
    common(benchmark::RegisterBenchmark("OrlavoLoad/cp1251", BM_OrlavoLoad, cp1251)->Iterations(5));
    common(benchmark::RegisterBenchmark("ReadAndScan/kjv", BM_ReadAndScan, kjv)->Iterations(5));
    common(benchmark::RegisterBenchmark("ReadAndScan/kjv10", BM_ReadAndScan, kjv10)->Iterations(2));
    common(benchmark::RegisterBenchmark("NaiveLoad/kjv", BM_NaiveLoad, kjv)->Iterations(1));

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio();
    benchmark::Shutdown();
    return 0;
}
