// Preloaded into a program under test (LD_PRELOAD): counts the calls that
// change files under TQKILL_DIR (open for writing, write, flush, sync,
// close, rename, unlink, truncate, copy) and, with TQKILL_AT=N, kills the
// process with SIGKILL just before the Nth of them, as a power cut or an
// OOM kill would at that very point. With TQKILL_COUNT=FILE the number of
// such calls is written there at exit, so a harness knows how many points a
// run has. Calls that glibc makes internally (fclose's close) are not seen:
// the public call in front of them is.
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <cstring>
#include <sys/sendfile.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

extern "C" {

static long killAt = -1;
static long seen = 0;
static const char* watched = nullptr;
static size_t watchedLength = 0;

__attribute__((constructor)) static void Start(void) {
    const char* at = getenv("TQKILL_AT");
    if (at) killAt = atol(at);
    watched = getenv("TQKILL_DIR");
    if (watched) watchedLength = strlen(watched);
}

__attribute__((destructor)) static void Finish(void) {
    const char* countFile = getenv("TQKILL_COUNT");
    if (!countFile) return;
    char text[32];
    const int length = snprintf(text, sizeof text, "%ld\n", seen);
    // Straight to the system call: this file is not under the watched folder.
    const int fd = (int)syscall(SYS_openat, AT_FDCWD, countFile, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    (void)!syscall(SYS_write, fd, text, (size_t)length);
    syscall(SYS_close, fd);
}

static int Inside(const char* path) {
    if (!watched || !path) return 0;
    if (path[0] == '/') return strncmp(path, watched, watchedLength) == 0;
    char here[PATH_MAX];
    return getcwd(here, sizeof here) && strncmp(here, watched, watchedLength) == 0;
}

static int DescriptorInside(int fd) {
    if (!watched || fd < 0) return 0;
    char link[64], target[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, target, sizeof target - 1);
    if (length <= 0) return 0;
    target[length] = 0;
    // The folder itself counts too: its flush after a rename is a point.
    const size_t folderLength = watchedLength - 1;  // without the trailing '/'
    return strncmp(target, watched, watchedLength) == 0 ||
           (static_cast<size_t>(length) == folderLength && strncmp(target, watched, folderLength) == 0);
}

// One point at which a kill may land.
static void Point(int counts) {
    if (!counts) return;
    if (++seen == killAt) kill(getpid(), SIGKILL);
}

// The real routine, looked up once.
#define NEXT(name)                                                             \
    ({                                                                         \
        static __typeof__(&name) real;                                         \
        if (!real) real = reinterpret_cast<__typeof__(&name)>(dlsym(RTLD_NEXT, #name));         \
        real;                                                                  \
    })

static int Writing(int flags) { return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0; }

int open(const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = (flags & O_CREAT) ? va_arg(rest, mode_t) : 0;
    va_end(rest);
    Point(Writing(flags) && Inside(path));
    return NEXT(open)(path, flags, mode);
}
// The same call on a 64-bit system.
int open64(const char* path, int flags, ...) __attribute__((alias("open")));
int openat(int dir, const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = (flags & O_CREAT) ? va_arg(rest, mode_t) : 0;
    va_end(rest);
    Point(Writing(flags) && Inside(path));
    return NEXT(openat)(dir, path, flags, mode);
}
FILE* fopen(const char* path, const char* mode) {
    Point(std::strpbrk(mode, "wa+") != nullptr && Inside(path));
    return NEXT(fopen)(path, mode);
}
FILE* fopen64(const char* path, const char* mode) __attribute__((alias("fopen")));
ssize_t write(int fd, const void* data, size_t size) {
    Point(DescriptorInside(fd));
    return NEXT(write)(fd, data, size);
}
ssize_t writev(int fd, const struct iovec* pieces, int count) {
    Point(DescriptorInside(fd));
    return NEXT(writev)(fd, pieces, count);
}
ssize_t pwrite(int fd, const void* data, size_t size, off_t at) {
    Point(DescriptorInside(fd));
    return NEXT(pwrite)(fd, data, size, at);
}
ssize_t pwrite64(int fd, const void* data, size_t size, off64_t at) {
    Point(DescriptorInside(fd));
    return NEXT(pwrite64)(fd, data, size, at);
}
size_t fwrite(const void* data, size_t size, size_t count, FILE* file) {
    Point(DescriptorInside(fileno(file)));
    return NEXT(fwrite)(data, size, count, file);
}
int fflush(FILE* file) {
    Point(file && DescriptorInside(fileno(file)));
    return NEXT(fflush)(file);
}
int fclose(FILE* file) {
    Point(DescriptorInside(fileno(file)));
    return NEXT(fclose)(file);
}
int close(int fd) {
    Point(DescriptorInside(fd));
    return NEXT(close)(fd);
}
int fsync(int fd) {
    Point(DescriptorInside(fd));
    return NEXT(fsync)(fd);
}
int fdatasync(int fd) {
    Point(DescriptorInside(fd));
    return NEXT(fdatasync)(fd);
}
int ftruncate(int fd, off_t length) {
    Point(DescriptorInside(fd));
    return NEXT(ftruncate)(fd, length);
}
int ftruncate64(int fd, off64_t length) {
    Point(DescriptorInside(fd));
    return NEXT(ftruncate64)(fd, length);
}
int rename(const char* from, const char* to) {
    Point(Inside(to));
    return NEXT(rename)(from, to);
}
int renameat(int fromDir, const char* from, int toDir, const char* to) {
    Point(Inside(to));
    return NEXT(renameat)(fromDir, from, toDir, to);
}
int unlink(const char* path) {
    Point(Inside(path));
    return NEXT(unlink)(path);
}
int remove(const char* path) {
    Point(Inside(path));
    return NEXT(remove)(path);
}
ssize_t sendfile(int out, int in, off_t* offset, size_t count) {
    Point(DescriptorInside(out));
    return NEXT(sendfile)(out, in, offset, count);
}
ssize_t sendfile64(int out, int in, off64_t* offset, size_t count) {
    Point(DescriptorInside(out));
    return NEXT(sendfile64)(out, in, offset, count);
}
ssize_t copy_file_range(int in, off64_t* inOffset, int out, off64_t* outOffset, size_t count, unsigned flags) {
    Point(DescriptorInside(out));
    return NEXT(copy_file_range)(in, inOffset, out, outOffset, count, flags);
}

}  // extern "C"
