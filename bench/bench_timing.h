#pragma once
// Timing shared by the benchmark programs: the best of several runs, in seconds.
#include <algorithm>
#include <chrono>

namespace bench {

inline double seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// Runs f the given number of times and returns the shortest run.
template <typename F>
double bestOf(int runs, F f) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        f();
        best = std::min(best, seconds(std::chrono::steady_clock::now() - t0));
    }
    return best;
}

}  // namespace bench
