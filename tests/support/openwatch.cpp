#include "tests/support/openwatch.h"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

struct Opened {
    std::string path;
    bool onWindowThread = false;
};

std::mutex g_lock;
std::vector<Opened> g_opened;
std::vector<std::string> g_replaced;

// The window thread is the process's first thread: its id is the process id.
bool onWindowThread() { return syscall(SYS_gettid) == getpid(); }

void note(const char* path)
{
    if (!path)
        return;
    const bool window = onWindowThread();
    const std::lock_guard<std::mutex> lock(g_lock);
    g_opened.push_back(Opened{path, window});
}

QStringList opened(bool windowThread, const QString& part)
{
    const std::string wanted = part.toStdString();
    const std::lock_guard<std::mutex> lock(g_lock);
    QStringList paths;
    for (const Opened& o : g_opened)
        if (o.onWindowThread == windowThread && o.path.find(wanted) != std::string::npos)
            paths << QString::fromStdString(o.path);
    return paths;
}

template <typename Function>
Function nextDefinition(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" void* dlopen(const char* file, int mode)
{
    static const auto real = nextDefinition<void* (*)(const char*, int)>("dlopen");
    note(file);
    return real(file, mode);
}

extern "C" DIR* opendir(const char* name)
{
    static const auto real = nextDefinition<DIR* (*)(const char*)>("opendir");
    note(name);
    return real(name);
}

extern "C" int rename(const char* from, const char* to)
{
    static const auto real = nextDefinition<int (*)(const char*, const char*)>("rename");
    const int result = real(from, to);
    if (result == 0) {
        const std::lock_guard<std::mutex> lock(g_lock);
        g_replaced.push_back(to);
    }
    return result;
}

namespace testsupport {

QStringList openedOnWindowThread(const QString& part) { return opened(true, part); }

QStringList openedOnOtherThreads(const QString& part) { return opened(false, part); }

int timesReplaced(const QString& path)
{
    const std::string wanted = path.toStdString();
    const std::lock_guard<std::mutex> lock(g_lock);
    return static_cast<int>(std::count(g_replaced.begin(), g_replaced.end(), wanted));
}

} // namespace testsupport
