// Preloaded into the program under test: kills the process right before its n-th call that writes
// the file named by SVX_KILL_FILE (opening it, or a file beside it named after it, for writing;
// writing; syncing; renaming), n given by SVX_KILL_AT. A shutdown can so be cut at each step of
// writing the settings, wherever the time goes.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace {

bool Names(const char* path) {
    const char* name = std::getenv("SVX_KILL_FILE");
    return path != nullptr && name != nullptr && *name != '\0' &&
           std::strstr(path, name) != nullptr;
}

bool NamesDescriptor(int fd) {
    char link[64];
    char path[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, path, sizeof path - 1);
    if (length <= 0)
        return false;
    path[length] = '\0';
    return Names(path);
}

// Counts a call that writes the file; the n-th never happens.
void Step() {
    static int count = 0;
    const char* at = std::getenv("SVX_KILL_AT");
    if (at != nullptr && ++count == std::atoi(at))
        raise(SIGKILL);
}

template <typename T> T Real(const char* name) {
    return reinterpret_cast<T>(dlsym(RTLD_NEXT, name));
}

bool Writes(int flags) {
    return (flags & (O_WRONLY | O_RDWR)) != 0;
}

// Opening the settings file for writing is a step; then the real call named `name` runs.
int Open(const char* name, const char* path, int flags, mode_t mode) {
    if (Writes(flags) && Names(path))
        Step();
    return Real<int (*)(const char*, int, ...)>(name)(path, flags, mode);
}

} // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = va_arg(arguments, mode_t);
    va_end(arguments);
    return Open("open", path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = va_arg(arguments, mode_t);
    va_end(arguments);
    return Open("open64", path, flags, mode);
}

ssize_t write(int fd, const void* data, size_t count) {
    if (NamesDescriptor(fd))
        Step();
    return Real<ssize_t (*)(int, const void*, size_t)>("write")(fd, data, count);
}

int fsync(int fd) {
    if (NamesDescriptor(fd))
        Step();
    return Real<int (*)(int)>("fsync")(fd);
}

int rename(const char* from, const char* to) {
    if (Names(from) || Names(to))
        Step();
    return Real<int (*)(const char*, const char*)>("rename")(from, to);
}

} // extern "C"
