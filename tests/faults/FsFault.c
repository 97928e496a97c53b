/* Interposes the libc file-system calls. Kept in C with no dependency beyond libc so that nothing
 * it does on its own behalf (path lookups, the report) passes through the calls it counts. */
#define _GNU_SOURCE
#include "FsFault.h"

#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <stdarg.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

#define MAX_FDS 65536

/* The stat entry points of older binaries: no longer declared by the headers. */
int __xstat(int ver, const char *path, struct stat *buf);
int __xstat64(int ver, const char *path, struct stat64 *buf);
int __lxstat(int ver, const char *path, struct stat *buf);
int __lxstat64(int ver, const char *path, struct stat64 *buf);
int __fxstat(int ver, int fd, struct stat *buf);
int __fxstat64(int ver, int fd, struct stat64 *buf);
int __fxstatat(int ver, int dirfd, const char *path, struct stat *buf, int flags);
int __fxstatat64(int ver, int dirfd, const char *path, struct stat64 *buf, int flags);
ssize_t __read_chk(int fd, void *buf, size_t n, size_t buflen);
ssize_t __pread_chk(int fd, void *buf, size_t n, off_t offset, size_t buflen);
ssize_t __pread64_chk(int fd, void *buf, size_t n, off64_t offset, size_t buflen);
int __open_2(const char *path, int flags);
int __open64_2(const char *path, int flags);
int __openat_2(int dirfd, const char *path, int flags);
int __openat64_2(int dirfd, const char *path, int flags);

enum Decision { Pass, Fail, Short };

static atomic_bool armed;
static atomic_long seen;
static atomic_int fired;
static atomic_int failNextWrite;
static atomic_uchar watchedFds[MAX_FDS];
/* The folder as given and as resolved through links; written only while disarmed. */
static char prefixes[2][PATH_MAX];
static size_t prefixLengths[2];
static unsigned faultOps;
static long faultAt;
static int faultErrno;
static int faultAction;
static char reportPath[PATH_MAX];
static pthread_mutex_t holdLock = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t holdChanged = PTHREAD_COND_INITIALIZER;
static int holding, released;

static void *resolve(void **cache, const char *name)
{
    void *fn = __atomic_load_n(cache, __ATOMIC_ACQUIRE);
    if (!fn) {
        fn = dlsym(RTLD_NEXT, name);
        if (!fn) /* compatibility-only versions, such as __xstat */
            fn = dlvsym(RTLD_NEXT, name, "GLIBC_2.2.5");
        if (!fn)
            fn = dlvsym(RTLD_NEXT, name, "GLIBC_2.4");
        __atomic_store_n(cache, fn, __ATOMIC_RELEASE);
    }
    return fn;
}

/* Declares var, the next definition of name (libc's). */
#define REAL_AS(var, name)                                                                         \
    static void *var##name##Cache;                                                                 \
    __typeof__(&name) var;                                                                         \
    do {                                                                                           \
        void *sym = resolve(&var##name##Cache, #name);                                             \
        memcpy(&var, &sym, sizeof var);                                                            \
    } while (0)
#define REAL(name) REAL_AS(real, name)

static int isArmed(void)
{
    return atomic_load_explicit(&armed, memory_order_acquire);
}

static int fdWatched(int fd)
{
    return fd >= 0 && fd < MAX_FDS && atomic_load_explicit(&watchedFds[fd], memory_order_relaxed);
}

static void markFd(int fd, int watched)
{
    if (fd >= 0 && fd < MAX_FDS && (watched || fdWatched(fd)))
        atomic_store_explicit(&watchedFds[fd], (unsigned char)watched, memory_order_relaxed);
}

/* Collapses "//", "." and ".." of an absolute path in place. */
static void normalize(char *path)
{
    char *out = path;
    const char *in = path;
    while (*in) {
        while (*in == '/')
            ++in;
        const char *end = strchrnul(in, '/');
        size_t len = (size_t)(end - in);
        if (len == 2 && in[0] == '.' && in[1] == '.') {
            while (out > path && *--out != '/')
                ;
        } else if (len > 0 && !(len == 1 && in[0] == '.')) {
            *out++ = '/';
            memmove(out, in, len);
            out += len;
        }
        in = end;
    }
    if (out == path)
        *out++ = '/';
    *out = '\0';
}

/* The absolute form of path, relative ones taken from dirfd (or the working folder). */
static int absolutePath(int dirfd, const char *path, char *out, size_t size)
{
    if (!path)
        return 0;
    size_t used = 0;
    if (path[0] != '/') {
        if (dirfd == AT_FDCWD) {
            if (!getcwd(out, size))
                return 0;
            used = strlen(out);
        } else {
            char link[32];
            snprintf(link, sizeof link, "/proc/self/fd/%d", dirfd);
            ssize_t n = readlink(link, out, size - 1);
            if (n <= 0 || out[0] != '/') /* pipes and sockets have no path */
                return 0;
            used = (size_t)n;
        }
    }
    int n = snprintf(out + used, size - used, "/%s", path);
    if (n < 0 || (size_t)n >= size - used)
        return 0;
    normalize(out);
    return 1;
}

static int underPrefix(const char *path)
{
    for (int i = 0; i < 2; ++i) {
        size_t len = prefixLengths[i];
        if (len == 1 || (len > 0 && strncmp(path, prefixes[i], len) == 0 &&
                         (path[len] == '\0' || path[len] == '/')))
            return 1;
    }
    return 0;
}

static int pathWatched(int dirfd, const char *path)
{
    char full[2 * PATH_MAX];
    return absolutePath(dirfd, path, full, sizeof full) && underPrefix(full);
}

static void writeReport(void)
{
    if (!reportPath[0])
        return;
    REAL_AS(realOpenat, openat);
    REAL_AS(realWrite, write);
    REAL_AS(realClose, close);
    int fd = realOpenat(AT_FDCWD, reportPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    char line[64];
    int n = snprintf(line, sizeof line, "count %ld fired %d\n", atomic_load(&seen),
                     atomic_load(&fired));
    if (realWrite(fd, line, (size_t)n) < 0)
        perror("vaulnix_fsfault report");
    realClose(fd);
}

/* Counts one matching call and says what becomes of it. */
static enum Decision decide(unsigned op)
{
    long n = atomic_fetch_add(&seen, 1) + 1;
    if (faultAction == FsFailFromThenOn && atomic_load(&fired))
        return Fail;
    if ((op & FsWrite) && atomic_exchange(&failNextWrite, 0))
        return Fail;
    if (faultAt == 0 || n != faultAt)
        return Pass;
    atomic_store(&fired, 1);
    writeReport();
    if (faultAction == FsKill)
        kill(getpid(), SIGKILL);
    if (faultAction == FsHold) {
        struct timespec until;
        clock_gettime(CLOCK_REALTIME, &until);
        until.tv_sec += 10;
        pthread_mutex_lock(&holdLock);
        for (holding = 1; !released;)
            if (pthread_cond_timedwait(&holdChanged, &holdLock, &until) == ETIMEDOUT)
                break;
        holding = 0;
        pthread_mutex_unlock(&holdLock);
        return Pass;
    }
    return faultAction == FsShortWrite && (op & FsWrite) ? Short : Fail;
}

static enum Decision fault(unsigned op)
{
    enum Decision d = decide(op);
    if (d == Fail)
        errno = faultErrno;
    return d;
}

static enum Decision fdFault(int fd, unsigned op)
{
    if (!isArmed() || !(faultOps & op) || !fdWatched(fd))
        return Pass;
    return fault(op);
}

static enum Decision pathFault(int dirfd, const char *path, unsigned op)
{
    if (!isArmed() || !(faultOps & op) || !pathWatched(dirfd, path))
        return Pass;
    return fault(op);
}

/* For the *at calls that name the descriptor itself with an empty path. */
static enum Decision atFault(int dirfd, const char *path, int flags, unsigned op)
{
    if ((flags & AT_EMPTY_PATH) && path && !path[0])
        return fdFault(dirfd, op);
    return pathFault(dirfd, path, op);
}

/* 1 when a write must fail; for a short write, halves *n and fails the next one. */
static int writeFails(int fd, size_t *n)
{
    enum Decision d = fdFault(fd, FsWrite);
    if (d != Short)
        return d == Fail;
    if (*n < 2) {
        errno = faultErrno;
        return 1;
    }
    *n /= 2;
    atomic_store(&failNextWrite, 1);
    return 0;
}

/* Every open variant comes here: the descriptor of a watched path is watched until closed. */
static int openTracked(int dirfd, const char *path, int flags, mode_t mode)
{
    REAL(openat);
    int watched = isArmed() && pathWatched(dirfd, path);
    if (watched && (faultOps & FsOpen) && fault(FsOpen) == Fail)
        return -1;
    int fd = real(dirfd, path, flags, mode);
    if (watched)
        markFd(fd, 1);
    return fd;
}

#define MODE_ARG(flags, mode)                                                                      \
    mode_t mode = 0;                                                                               \
    if ((flags) & (O_CREAT | __O_TMPFILE)) {                                                       \
        va_list args;                                                                              \
        va_start(args, flags);                                                                     \
        mode = va_arg(args, mode_t);                                                               \
        va_end(args);                                                                              \
    }

int open(const char *path, int flags, ...)
{
    MODE_ARG(flags, mode);
    return openTracked(AT_FDCWD, path, flags, mode);
}

int open64(const char *path, int flags, ...)
{
    MODE_ARG(flags, mode);
    return openTracked(AT_FDCWD, path, flags, mode);
}

int openat(int dirfd, const char *path, int flags, ...)
{
    MODE_ARG(flags, mode);
    return openTracked(dirfd, path, flags, mode);
}

int openat64(int dirfd, const char *path, int flags, ...)
{
    MODE_ARG(flags, mode);
    return openTracked(dirfd, path, flags, mode);
}

int __open_2(const char *path, int flags)
{
    return openTracked(AT_FDCWD, path, flags, 0);
}
int __open64_2(const char *path, int flags)
{
    return openTracked(AT_FDCWD, path, flags, 0);
}
int __openat_2(int dirfd, const char *path, int flags)
{
    return openTracked(dirfd, path, flags, 0);
}
int __openat64_2(int dirfd, const char *path, int flags)
{
    return openTracked(dirfd, path, flags, 0);
}

int creat(const char *path, mode_t mode)
{
    return openTracked(AT_FDCWD, path, O_CREAT | O_WRONLY | O_TRUNC, mode);
}

int creat64(const char *path, mode_t mode)
{
    return openTracked(AT_FDCWD, path, O_CREAT | O_WRONLY | O_TRUNC, mode);
}

static FILE *fopenTracked(FILE *(*real)(const char *, const char *), const char *path,
                          const char *mode)
{
    int watched = isArmed() && pathWatched(AT_FDCWD, path);
    if (watched && (faultOps & FsOpen) && fault(FsOpen) == Fail)
        return NULL;
    FILE *file = real(path, mode);
    if (watched && file)
        markFd(fileno(file), 1);
    return file;
}

FILE *fopen(const char *path, const char *mode)
{
    REAL(fopen);
    return fopenTracked(real, path, mode);
}

FILE *fopen64(const char *path, const char *mode)
{
    REAL(fopen64);
    return fopenTracked(real, path, mode);
}

int fclose(FILE *file)
{
    REAL(fclose);
    if (file)
        markFd(fileno(file), 0);
    return real(file);
}

int close(int fd)
{
    REAL(close);
    int watched = fdWatched(fd);
    markFd(fd, 0);
    if (!watched || !isArmed() || !(faultOps & FsClose) || fault(FsClose) != Fail)
        return real(fd);
    int error = errno;
    real(fd); /* a failed close still releases the descriptor */
    errno = error;
    return -1;
}

static int dupTracked(int from, int to)
{
    if (to >= 0)
        markFd(to, fdWatched(from));
    return to;
}

int dup(int fd)
{
    REAL(dup);
    return dupTracked(fd, real(fd));
}

int dup2(int fd, int to)
{
    REAL(dup2);
    return dupTracked(fd, real(fd, to));
}

int dup3(int fd, int to, int flags)
{
    REAL(dup3);
    return dupTracked(fd, real(fd, to, flags));
}

/* Reads. */
#define FD_CALL(op, name, ret, params, args)                                                       \
    ret name params                                                                                \
    {                                                                                              \
        REAL(name);                                                                                \
        if (fdFault(fd, op) == Fail)                                                               \
            return -1;                                                                             \
        return real args;                                                                          \
    }

FD_CALL(FsRead, read, ssize_t, (int fd, void *buf, size_t n), (fd, buf, n))
FD_CALL(FsRead, __read_chk, ssize_t, (int fd, void *buf, size_t n, size_t len), (fd, buf, n, len))
FD_CALL(FsRead, pread, ssize_t, (int fd, void *buf, size_t n, off_t at), (fd, buf, n, at))
FD_CALL(FsRead, pread64, ssize_t, (int fd, void *buf, size_t n, off64_t at), (fd, buf, n, at))
FD_CALL(FsRead, __pread_chk, ssize_t, (int fd, void *buf, size_t n, off_t at, size_t len),
        (fd, buf, n, at, len))
FD_CALL(FsRead, __pread64_chk, ssize_t, (int fd, void *buf, size_t n, off64_t at, size_t len),
        (fd, buf, n, at, len))
FD_CALL(FsRead, readv, ssize_t, (int fd, const struct iovec *iov, int count), (fd, iov, count))
FD_CALL(FsRead, preadv, ssize_t, (int fd, const struct iovec *iov, int count, off_t at),
        (fd, iov, count, at))
FD_CALL(FsRead, preadv64, ssize_t, (int fd, const struct iovec *iov, int count, off64_t at),
        (fd, iov, count, at))
FD_CALL(FsRead, getdents64, ssize_t, (int fd, void *buf, size_t n), (fd, buf, n))

/* Syncs. */
FD_CALL(FsSync, fsync, int, (int fd), (fd))
FD_CALL(FsSync, fdatasync, int, (int fd), (fd))
FD_CALL(FsSync, syncfs, int, (int fd), (fd))
FD_CALL(FsSync, sync_file_range, int, (int fd, off64_t at, off64_t n, unsigned int flags),
        (fd, at, n, flags))

/* Stats of a descriptor. */
FD_CALL(FsStat, fstat, int, (int fd, struct stat *buf), (fd, buf))
FD_CALL(FsStat, fstat64, int, (int fd, struct stat64 *buf), (fd, buf))
FD_CALL(FsStat, __fxstat, int, (int ver, int fd, struct stat *buf), (ver, fd, buf))
FD_CALL(FsStat, __fxstat64, int, (int ver, int fd, struct stat64 *buf), (ver, fd, buf))

/* Writes. */
ssize_t write(int fd, const void *buf, size_t n)
{
    REAL(write);
    return writeFails(fd, &n) ? -1 : real(fd, buf, n);
}

ssize_t pwrite(int fd, const void *buf, size_t n, off_t at)
{
    REAL(pwrite);
    return writeFails(fd, &n) ? -1 : real(fd, buf, n, at);
}

ssize_t pwrite64(int fd, const void *buf, size_t n, off64_t at)
{
    REAL(pwrite64);
    return writeFails(fd, &n) ? -1 : real(fd, buf, n, at);
}

/* The first `keep` bytes of a vector, in part (at most IOV_MAX entries). */
static int cutVector(const struct iovec *iov, int count, size_t keep, struct iovec *part)
{
    int used = 0;
    for (; used < count && keep > 0; ++used) {
        part[used] = iov[used];
        if (part[used].iov_len > keep)
            part[used].iov_len = keep;
        keep -= part[used].iov_len;
    }
    return used;
}

static size_t vectorSize(const struct iovec *iov, int count)
{
    size_t total = 0;
    for (int i = 0; i < count; ++i)
        total += iov[i].iov_len;
    return total;
}

#define VECTOR_WRITE(name, params, args)                                                           \
    ssize_t name params                                                                            \
    {                                                                                              \
        REAL(name);                                                                                \
        size_t total = vectorSize(iov, count), keep = total;                                       \
        if (writeFails(fd, &keep))                                                                 \
            return -1;                                                                             \
        struct iovec part[IOV_MAX];                                                                \
        if (keep < total && count <= IOV_MAX) {                                                    \
            count = cutVector(iov, count, keep, part);                                             \
            iov = part;                                                                            \
        }                                                                                          \
        return real args;                                                                          \
    }

VECTOR_WRITE(writev, (int fd, const struct iovec *iov, int count), (fd, iov, count))
VECTOR_WRITE(pwritev, (int fd, const struct iovec *iov, int count, off_t at), (fd, iov, count, at))
VECTOR_WRITE(pwritev64, (int fd, const struct iovec *iov, int count, off64_t at),
             (fd, iov, count, at))

/* Calls on paths. */
#define PATH_CALL(op, name, params, args, dirfd, path)                                             \
    int name params                                                                                \
    {                                                                                              \
        REAL(name);                                                                                \
        if (pathFault(dirfd, path, op) == Fail)                                                    \
            return -1;                                                                             \
        return real args;                                                                          \
    }

PATH_CALL(FsStat, stat, (const char *p, struct stat *b), (p, b), AT_FDCWD, p)
PATH_CALL(FsStat, stat64, (const char *p, struct stat64 *b), (p, b), AT_FDCWD, p)
PATH_CALL(FsStat, lstat, (const char *p, struct stat *b), (p, b), AT_FDCWD, p)
PATH_CALL(FsStat, lstat64, (const char *p, struct stat64 *b), (p, b), AT_FDCWD, p)
PATH_CALL(FsStat, __xstat, (int v, const char *p, struct stat *b), (v, p, b), AT_FDCWD, p)
PATH_CALL(FsStat, __xstat64, (int v, const char *p, struct stat64 *b), (v, p, b), AT_FDCWD, p)
PATH_CALL(FsStat, __lxstat, (int v, const char *p, struct stat *b), (v, p, b), AT_FDCWD, p)
PATH_CALL(FsStat, __lxstat64, (int v, const char *p, struct stat64 *b), (v, p, b), AT_FDCWD, p)
PATH_CALL(FsStat, access, (const char *p, int m), (p, m), AT_FDCWD, p)
PATH_CALL(FsStat, faccessat, (int d, const char *p, int m, int f), (d, p, m, f), d, p)
PATH_CALL(FsRemove, unlink, (const char *p), (p), AT_FDCWD, p)
PATH_CALL(FsRemove, rmdir, (const char *p), (p), AT_FDCWD, p)
PATH_CALL(FsRemove, remove, (const char *p), (p), AT_FDCWD, p)
PATH_CALL(FsRemove, unlinkat, (int d, const char *p, int f), (d, p, f), d, p)
PATH_CALL(FsMkdir, mkdir, (const char *p, mode_t m), (p, m), AT_FDCWD, p)
PATH_CALL(FsMkdir, mkdirat, (int d, const char *p, mode_t m), (d, p, m), d, p)

#define AT_CALL(name, params, args, dirfd, path, flags)                                            \
    int name params                                                                                \
    {                                                                                              \
        REAL(name);                                                                                \
        if (atFault(dirfd, path, flags, FsStat) == Fail)                                           \
            return -1;                                                                             \
        return real args;                                                                          \
    }

AT_CALL(fstatat, (int d, const char *p, struct stat *b, int f), (d, p, b, f), d, p, f)
AT_CALL(fstatat64, (int d, const char *p, struct stat64 *b, int f), (d, p, b, f), d, p, f)
AT_CALL(__fxstatat, (int v, int d, const char *p, struct stat *b, int f), (v, d, p, b, f), d, p, f)
AT_CALL(__fxstatat64, (int v, int d, const char *p, struct stat64 *b, int f), (v, d, p, b, f), d, p,
        f)
AT_CALL(statx, (int d, const char *p, int f, unsigned m, struct statx *b), (d, p, f, m, b), d, p, f)

/* Renames and links: watched when either end is. */
static enum Decision moveFault(int fromDir, const char *from, int flags, int toDir, const char *to)
{
    if (!isArmed() || !(faultOps & FsRename))
        return Pass;
    int watched = (flags & AT_EMPTY_PATH) && from && !from[0] ? fdWatched(fromDir)
                                                              : pathWatched(fromDir, from);
    if (!watched && !pathWatched(toDir, to))
        return Pass;
    return fault(FsRename);
}

#define MOVE_CALL(name, params, args, fromDir, from, flags, toDir, to)                             \
    int name params                                                                                \
    {                                                                                              \
        REAL(name);                                                                                \
        if (moveFault(fromDir, from, flags, toDir, to) == Fail)                                    \
            return -1;                                                                             \
        return real args;                                                                          \
    }

MOVE_CALL(rename, (const char *a, const char *b), (a, b), AT_FDCWD, a, 0, AT_FDCWD, b)
MOVE_CALL(renameat, (int ad, const char *a, int bd, const char *b), (ad, a, bd, b), ad, a, 0, bd, b)
MOVE_CALL(renameat2, (int ad, const char *a, int bd, const char *b, unsigned f), (ad, a, bd, b, f),
          ad, a, 0, bd, b)
MOVE_CALL(link, (const char *a, const char *b), (a, b), AT_FDCWD, a, 0, AT_FDCWD, b)
MOVE_CALL(linkat, (int ad, const char *a, int bd, const char *b, int f), (ad, a, bd, b, f), ad, a,
          f, bd, b)

/* Folder listings. */
DIR *opendir(const char *path)
{
    REAL(opendir);
    int watched = isArmed() && pathWatched(AT_FDCWD, path);
    if (watched && (faultOps & FsList) && fault(FsList) == Fail)
        return NULL;
    DIR *dir = real(path);
    if (watched && dir)
        markFd(dirfd(dir), 1);
    return dir;
}

DIR *fdopendir(int fd)
{
    REAL(fdopendir);
    return fdFault(fd, FsList) == Fail ? NULL : real(fd);
}

int closedir(DIR *dir)
{
    REAL(closedir);
    markFd(dirfd(dir), 0);
    return real(dir);
}

struct dirent *readdir(DIR *dir)
{
    REAL(readdir);
    return fdFault(dirfd(dir), FsList) == Fail ? NULL : real(dir);
}

struct dirent64 *readdir64(DIR *dir)
{
    REAL(readdir64);
    return fdFault(dirfd(dir), FsList) == Fail ? NULL : real(dir);
}

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
int readdir_r(DIR *dir, struct dirent *entry, struct dirent **result)
{
    REAL(readdir_r);
    if (fdFault(dirfd(dir), FsList) != Fail)
        return real(dir, entry, result);
    *result = NULL;
    return faultErrno;
}

int readdir64_r(DIR *dir, struct dirent64 *entry, struct dirent64 **result)
{
    REAL(readdir64_r);
    if (fdFault(dirfd(dir), FsList) != Fail)
        return real(dir, entry, result);
    *result = NULL;
    return faultErrno;
}

/* Control. */
static void setPrefix(const char *path)
{
    prefixLengths[0] = prefixLengths[1] = 0;
    if (!path || !absolutePath(AT_FDCWD, path, prefixes[0], sizeof prefixes[0]))
        return;
    prefixLengths[0] = strlen(prefixes[0]);
    if (realpath(prefixes[0], prefixes[1]) && strcmp(prefixes[0], prefixes[1]) != 0)
        prefixLengths[1] = strlen(prefixes[1]);
}

/* Descriptors that were open before arming count too. */
static void watchOpenFds(void)
{
    for (int fd = 0; fd < MAX_FDS; ++fd)
        atomic_store_explicit(&watchedFds[fd], 0, memory_order_relaxed);
    DIR *dir = opendir("/proc/self/fd");
    if (!dir)
        return;
    int own = dirfd(dir);
    for (struct dirent *entry; (entry = readdir(dir));) {
        int fd = atoi(entry->d_name);
        char path[2 * PATH_MAX];
        if (entry->d_name[0] != '.' && fd != own && absolutePath(fd, "", path, sizeof path) &&
            underPrefix(path))
            markFd(fd, 1);
    }
    closedir(dir);
}

void vaulnix_fsfault_arm(const char *pathPrefix, unsigned opMask, long at, int errnoValue,
                         int action)
{
    atomic_store(&armed, 0);
    setPrefix(pathPrefix);
    faultOps = opMask;
    faultAt = at;
    faultErrno = errnoValue;
    faultAction = action;
    atomic_store(&seen, 0);
    atomic_store(&fired, 0);
    atomic_store(&failNextWrite, 0);
    released = 0;
    watchOpenFds();
    atomic_store(&armed, 1);
}

void vaulnix_fsfault_disarm(void)
{
    atomic_store(&armed, 0);
}
int vaulnix_fsfault_release(void)
{
    pthread_mutex_lock(&holdLock);
    int was = holding;
    released = was;
    pthread_cond_broadcast(&holdChanged);
    pthread_mutex_unlock(&holdLock);
    return was;
}
long vaulnix_fsfault_count(void)
{
    return atomic_load(&seen);
}
int vaulnix_fsfault_fired(void)
{
    return atomic_load(&fired);
}

/* Control through the environment, for child processes. */
static long lookupName(const char *text, const char *const *names, const long *values, int count)
{
    if (text[0] >= '0' && text[0] <= '9')
        return strtol(text, NULL, 0);
    for (int i = 0; i < count; ++i)
        if (strcasecmp(text, names[i]) == 0)
            return values[i];
    fprintf(stderr, "vaulnix_fsfault: unknown name %s\n", text);
    return 0;
}

static unsigned opsFromText(const char *text)
{
    static const char *const names[] = {"open", "read",   "write", "sync",  "rename", "list",
                                        "stat", "remove", "mkdir", "close", "all"};
    static const long values[] = {FsOpen, FsRead,   FsWrite, FsSync,  FsRename, FsList,
                                  FsStat, FsRemove, FsMkdir, FsClose, 1023};
    if (text[0] >= '0' && text[0] <= '9')
        return (unsigned)strtoul(text, NULL, 0);
    unsigned mask = 0;
    char name[32];
    for (const char *at = text; *at;) {
        size_t len = strcspn(at, ",");
        snprintf(name, sizeof name, "%.*s", (int)len, at);
        mask |= (unsigned)lookupName(name, names, values, 11);
        at += len + (at[len] == ',');
    }
    return mask;
}

static int errnoFromText(const char *text)
{
    static const char *const names[] = {"EIO",    "ENOSPC", "EACCES", "EPERM",  "ENOENT",
                                        "EROFS",  "EDQUOT", "EFBIG",  "EEXIST", "ENOTDIR",
                                        "EISDIR", "EMFILE", "EINTR",  "EXDEV",  "ENOMEM"};
    static const long values[] = {EIO,    ENOSPC,  EACCES, EPERM,  ENOENT, EROFS, EDQUOT, EFBIG,
                                  EEXIST, ENOTDIR, EISDIR, EMFILE, EINTR,  EXDEV, ENOMEM};
    return (int)lookupName(text, names, values, 15);
}

static const char *env(const char *name, const char *fallback)
{
    const char *value = getenv(name);
    return value && value[0] ? value : fallback;
}

__attribute__((constructor)) static void armFromEnvironment(void)
{
    const char *path = getenv("VAULNIX_FSFAULT_PATH");
    if (!path || !path[0])
        return;
    static const char *const actions[] = {"fail", "dead", "short", "kill"};
    static const long actionValues[] = {FsFail, FsFailFromThenOn, FsShortWrite, FsKill};
    snprintf(reportPath, sizeof reportPath, "%s", env("VAULNIX_FSFAULT_REPORT", ""));
    /* The first armed process of a run replaces an older report; its children (a shell's
     * command) then only write one when they saw matching calls. */
    if (reportPath[0] && !getenv("VAULNIX_FSFAULT_REPORTING")) {
        writeReport();
        setenv("VAULNIX_FSFAULT_REPORTING", "1", 1);
    }
    vaulnix_fsfault_arm(
        path, opsFromText(env("VAULNIX_FSFAULT_OPS", "all")),
        strtol(env("VAULNIX_FSFAULT_AT", "0"), NULL, 10),
        errnoFromText(env("VAULNIX_FSFAULT_ERRNO", "EIO")),
        (int)lookupName(env("VAULNIX_FSFAULT_ACTION", "fail"), actions, actionValues, 4));
}

__attribute__((destructor)) static void reportAtExit(void)
{
    if (atomic_load(&seen) > 0)
        writeReport();
}
