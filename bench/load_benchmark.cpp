// How fast a book loads: Orlavo's loader (path to list filled, title set) for the King James
// Bible, for ten copies of it and for a 4 MB Russian book in Windows-1251, against the naive way
// of splitting the text into a QStringList and adding each item to a QListWidget. Medians of
// several repetitions; the naive/Orlavo ratio and the other medians are printed at the end.
//
//   cmake --build build/release --target orlavo_load_benchmark
//   build/release/bench/orlavo_load_benchmark

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <map>
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
        if (const auto ten = m_medians.find("OrlavoLoad/kjv10"); ten != m_medians.end()) {
            std::printf("10xKJV median: Orlavo %.1f ms\n", ten->second);
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
    const std::string cp1251 = orlavo::bench::Cp1251Path();

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
    common(benchmark::RegisterBenchmark("NaiveLoad/kjv", BM_NaiveLoad, kjv)->Iterations(1));

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio();
    benchmark::Shutdown();
    return 0;
}
