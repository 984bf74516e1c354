/* Preloaded by bench_latency: every open and read of a file under
 * $PELMORA_LATENCY_DIR waits $PELMORA_LATENCY_US microseconds first (default
 * 2000), as on a network share. Other files are untouched. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdatomic.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#define MAX_FD 65536
static atomic_char slow_fd[MAX_FD];

static const char* slow_dir(void) {
    static const char* dir;
    static int done;
    if (!done) {
        dir = getenv("PELMORA_LATENCY_DIR");
        done = 1;
    }
    return dir;
}

static void wait_latency(void) {
    const char* us = getenv("PELMORA_LATENCY_US");
    long n = us ? atol(us) : 2000;
    struct timespec t = {n / 1000000, (n % 1000000) * 1000};
    while (nanosleep(&t, &t) != 0) {
    }
}

static int is_slow_path(const char* path) {
    const char* dir = slow_dir();
    return dir && *dir && path && strncmp(path, dir, strlen(dir)) == 0;
}

static int note_open(int fd, const char* path) {
    if (fd >= 0 && fd < MAX_FD) atomic_store(&slow_fd[fd], (char)is_slow_path(path));
    return fd;
}

static int is_slow_fd(int fd) { return fd >= 0 && fd < MAX_FD && atomic_load(&slow_fd[fd]); }

#define NEXT(name) ((name##_fn)dlsym(RTLD_NEXT, #name))
typedef int (*open_fn)(const char*, int, ...);
typedef int (*openat_fn)(int, const char*, int, ...);
typedef ssize_t (*read_fn)(int, void*, size_t);
typedef ssize_t (*pread_fn)(int, void*, size_t, off_t);
typedef int (*close_fn)(int);

static mode_t mode_of(int flags, va_list ap) {
    return (flags & (O_CREAT | O_TMPFILE)) ? (mode_t)va_arg(ap, int) : 0;
}

static int open_via(const char* symbol, const char* path, int flags, mode_t mode) {
    if (is_slow_path(path)) wait_latency();
    open_fn next = (open_fn)dlsym(RTLD_NEXT, symbol);
    return note_open(next(path, flags, mode), path);
}

int open(const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = mode_of(flags, ap);
    va_end(ap);
    return open_via("open", path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = mode_of(flags, ap);
    va_end(ap);
    return open_via("open64", path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = mode_of(flags, ap);
    va_end(ap);
    if (is_slow_path(path)) wait_latency();
    static openat_fn next;
    if (!next) next = NEXT(openat);
    return note_open(next(dirfd, path, flags, mode), path);
}

ssize_t read(int fd, void* buf, size_t n) {
    if (is_slow_fd(fd)) wait_latency();
    static read_fn next;
    if (!next) next = NEXT(read);
    return next(fd, buf, n);
}

ssize_t pread(int fd, void* buf, size_t n, off_t off) {
    if (is_slow_fd(fd)) wait_latency();
    static pread_fn next;
    if (!next) next = NEXT(pread);
    return next(fd, buf, n, off);
}

ssize_t pread64(int fd, void* buf, size_t n, off_t off) {
    if (is_slow_fd(fd)) wait_latency();
    static pread_fn next;
    if (!next) next = (pread_fn)dlsym(RTLD_NEXT, "pread64");
    return next(fd, buf, n, off);
}

int close(int fd) {
    if (fd >= 0 && fd < MAX_FD) atomic_store(&slow_fd[fd], 0);
    static close_fn next;
    if (!next) next = NEXT(close);
    return next(fd);
}
