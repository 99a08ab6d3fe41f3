// The main of a window benchmark built on the benchmark library: the
// offscreen platform unless another is set, the application, the benchmarks.
#pragma once

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>

// atEnd runs while the application still exists (to drop windows kept
// between benchmarks).
inline int runQtBenchmarks(int argc, char** argv, const std::function<void()>& atEnd = {})
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (atEnd)
        atEnd();
    return 0;
}
