// A witness for the machine: a thread that only polls with a 4 ms timeout,
// as an idle event loop does, and reports each gap between two returns of
// poll() longer than a threshold, split like the stall probe's gaps into
// processor, queued (runnable, waiting for a processor) and asleep time. Run
// beside a benchmark: gaps that this program shows at the same moments are
// the machine's (a paused virtual machine, a loaded host), not the program's.
// Run: bench_pollgap [seconds=60] [threshold-ms=30]
// Each line: "gap <start, s since the epoch> <length ms> <processor>/<queued>/<asleep> ms".
#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

double nowMs(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// This thread's processor and run-queue time in ms (the kernel's schedstat).
void schedMs(double& cpu, double& queued)
{
    cpu = queued = 0;
    if (FILE* f = std::fopen("/proc/thread-self/schedstat", "r")) {
        unsigned long long run = 0, wait = 0;
        if (std::fscanf(f, "%llu %llu", &run, &wait) == 2) {
            cpu = double(run) / 1e6;
            queued = double(wait) / 1e6;
        }
        std::fclose(f);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60;
    const double threshold = argc > 2 ? std::atof(argv[2]) : 30;
    const double start = nowMs(CLOCK_MONOTONIC);
    double last = start, longest = 0;
    double cpu0 = 0, queued0 = 0;
    schedMs(cpu0, queued0);
    int over = 0;
    while (last - start < seconds * 1000) {
        poll(nullptr, 0, 4);
        const double now = nowMs(CLOCK_MONOTONIC);
        double cpu = 0, queued = 0;
        schedMs(cpu, queued);
        const double gap = now - last;
        longest = std::max(longest, gap);
        if (gap > threshold) {
            ++over;
            const double wall = nowMs(CLOCK_REALTIME) - gap;
            std::printf("gap %.3f %.0f %.0f/%.0f/%.0f ms\n", wall / 1000, gap, cpu - cpu0, queued - queued0,
                        std::max(0.0, gap - (cpu - cpu0) - (queued - queued0)));
            std::fflush(stdout);
        }
        last = now;
        cpu0 = cpu;
        queued0 = queued;
    }
    std::printf("longest %.0f ms, %d gaps over %.0f ms in %.0f s\n", longest, over, threshold, seconds);
    return 0;
}
