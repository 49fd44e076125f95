#pragma once

// The longest time the window thread went without running its events: a 5 ms
// timer notes the gap between its ticks; a gap far above 5 ms is a stall. A
// gap is split by the kernel's own account of the thread (schedstat): time on
// a processor, time runnable but waiting for one (the machine's load), and
// the rest, time asleep (a lock, a blocking call, or the event loop itself
// waiting too long).
//
// With VANTORA_STALL_STACKS set, a watcher thread samples the window thread's
// stack every 10 ms while it is late and prints the samples of each gap over
// that many ms (for finding what a stall is). With VANTORA_STALL_LOG set, each
// gap over that many ms is printed with its wall-clock start, in the form of
// bench_pollgap's lines, to set beside that witness's gaps.
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <cxxabi.h>
#include <execinfo.h>
#include <functional>
#include <map>
#include <memory>
#include <pthread.h>
#include <signal.h>
#include <string>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace bench {

// One gap between two ticks of the probe.
struct Gap {
    double atMs = 0; // since the probe started
    double lengthMs = 0;
    double cpuMs = 0;    // the thread on a processor
    double queuedMs = 0; // runnable, waiting for a processor
    double asleepMs() const { return std::max(0.0, lengthMs - cpuMs - queuedMs); }
};

namespace detail {

// The calling thread's processor and run-queue time, in ms.
struct SchedTimes {
    double cpuMs = 0;
    double queuedMs = 0;
};

inline SchedTimes schedTimes()
{
    SchedTimes t;
    QFile f(QStringLiteral("/proc/thread-self/schedstat"));
    if (f.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> v = f.readAll().split(' ');
        t.cpuMs = v.value(0).toDouble() / 1e6;
        t.queuedMs = v.value(1).toDouble() / 1e6;
    } else {
        timespec c{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c);
        t.cpuMs = double(c.tv_sec) * 1e3 + double(c.tv_nsec) / 1e6;
    }
    return t;
}

inline std::string demangled(const char* frame)
{
    std::string s(frame);
    const auto open = s.find('(');
    const auto plus = s.find('+', open);
    if (open == std::string::npos || plus == std::string::npos || plus == open + 1)
        return s.substr(s.rfind('/') == std::string::npos ? 0 : s.rfind('/') + 1);
    const std::string name = s.substr(open + 1, plus - open - 1);
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> d(abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status), std::free);
    return status == 0 ? std::string(d.get()) : name;
}

// Samples one thread's stack from another: a signal makes the thread write
// its own frames into a slot the watcher then reads.
class StackSampler {
public:
    static constexpr int kDepth = 48;

    static StackSampler& instance()
    {
        static StackSampler s;
        return s;
    }

    // The frames of `tid` now (empty when it did not answer within 50 ms).
    std::vector<std::string> sample(pid_t tid)
    {
        m_done.store(false);
        if (syscall(SYS_tgkill, getpid(), tid, SIGURG) != 0)
            return {};
        for (int i = 0; i < 500 && !m_done.load(); ++i)
            usleep(100);
        if (!m_done.load())
            return {};
        std::vector<std::string> frames;
        char** names = backtrace_symbols(m_frames, m_count);
        for (int i = 2; i < m_count; ++i) // the handler and the signal trampoline
            frames.push_back(demangled(names[i]));
        std::free(names);
        return frames;
    }

private:
    StackSampler()
    {
        void* warm[1];
        backtrace(warm, 1); // loads libgcc before any signal needs it
        struct sigaction sa {};
        sa.sa_handler = [](int) {
            StackSampler& s = instance();
            s.m_count = backtrace(s.m_frames, kDepth);
            s.m_done.store(true);
        };
        sa.sa_flags = SA_RESTART;
        sigaction(SIGURG, &sa, nullptr);
    }

    void* m_frames[kDepth]{};
    int m_count = 0;
    std::atomic<bool> m_done{false};
};

} // namespace detail

class StallProbe {
public:
    StallProbe()
    {
        QObject::connect(&m_tick, &QTimer::timeout, [this] { note(); });
        m_clock.start();
        m_last = detail::schedTimes();
        m_tick.start(5);
        m_logOverMs = qEnvironmentVariableIsSet("VANTORA_STALL_LOG") ? qEnvironmentVariableIntValue("VANTORA_STALL_LOG")
                                                                     : -1;
        if (qEnvironmentVariableIsSet("VANTORA_STALL_STACKS"))
            startWatcher(qEnvironmentVariableIntValue("VANTORA_STALL_STACKS"));
    }

    ~StallProbe()
    {
        if (m_watcher.joinable()) {
            m_stop.store(true);
            m_watcher.join();
        }
    }

    // The longest gap so far, the time since the last tick included.
    qint64 longestMs() { return qint64(longest().lengthMs); }
    Gap longest()
    {
        note();
        return m_worst;
    }
    // The most processor time the window thread spent between two ticks.
    double longestBusyMs()
    {
        note();
        return m_worstBusy;
    }

private:
    void note()
    {
        const double now = double(m_clock.nsecsElapsed()) / 1e6;
        const detail::SchedTimes t = detail::schedTimes();
        const Gap gap{m_lastMs, now - m_lastMs, t.cpuMs - m_last.cpuMs, t.queuedMs - m_last.queuedMs};
        if (gap.lengthMs > m_worst.lengthMs)
            m_worst = gap;
        m_worstBusy = std::max(m_worstBusy, gap.cpuMs);
        if (m_logOverMs >= 0 && gap.lengthMs > m_logOverMs) {
            timespec wall{};
            clock_gettime(CLOCK_REALTIME, &wall);
            const double startS = double(wall.tv_sec) + double(wall.tv_nsec) / 1e9 - gap.lengthMs / 1000;
            std::fprintf(stderr, "stall %.3f %.0f %.0f/%.0f/%.0f ms\n", startS, gap.lengthMs, gap.cpuMs, gap.queuedMs,
                         gap.asleepMs());
        }
        m_lastMs = now;
        m_last = t;
        m_lastTickMs.store(now);
    }

    // Samples the window thread while it is more than `thresholdMs` late and
    // prints the distinct stacks of each such gap with their sample counts.
    void startWatcher(int thresholdMs)
    {
        const pid_t tid = pid_t(syscall(SYS_gettid));
        detail::StackSampler::instance();
        m_watcher = std::thread([this, tid, thresholdMs] {
            std::map<std::vector<std::string>, int> seen;
            double gapStart = -1;
            while (!m_stop.load()) {
                usleep(10000);
                const double now = double(m_clock.nsecsElapsed()) / 1e6;
                const double last = m_lastTickMs.load();
                if (now - last > thresholdMs) {
                    gapStart = last;
                    ++seen[detail::StackSampler::instance().sample(tid)];
                } else if (!seen.empty()) {
                    std::fprintf(stderr, "--- gap from %.0f ms, %.0f ms long:\n", gapStart, last - gapStart);
                    for (const auto& [frames, count] : seen) {
                        std::fprintf(stderr, "  %d samples:\n", count);
                        for (const std::string& f : frames)
                            std::fprintf(stderr, "    %s\n", f.c_str());
                    }
                    seen.clear();
                }
            }
        });
    }

    QElapsedTimer m_clock;
    QTimer m_tick;
    double m_lastMs = 0;
    detail::SchedTimes m_last;
    Gap m_worst;
    double m_worstBusy = 0;
    int m_logOverMs = -1;
    std::atomic<double> m_lastTickMs{0};
    std::atomic<bool> m_stop{false};
    std::thread m_watcher;
};

// The longest window-thread stall while `work` runs (it runs the event loop itself).
inline Gap longestStall(const std::function<void()>& work)
{
    StallProbe probe;
    work();
    return probe.longest();
}

inline double longestStallMs(const std::function<void()>& work) { return longestStall(work).lengthMs; }

} // namespace bench
