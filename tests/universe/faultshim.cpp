// Makes the save path's system calls fail on demand; preloaded (LD_PRELOAD)
// into gamefile_fault_tests only, so the program itself carries no hook.
//
// ZV_FAIL="call@n=e[,call@n=e...]": the n-th call of call (pwrite, fsync,
// close on a descriptor open for writing, rename, or stat), counted from when
// ZV_FAIL got its present value, fails with errno e when e > 0, writes only
// half the bytes when e = 0 (pwrite), and waits -e ms first when e < 0.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
int ZvFaultShim = 1; // the tests look for it
}

namespace {

char Armed[256];
int Counts[5];

// Whether this call (the Call-th name of the list) fails, is cut or waits;
// then Action says how, as e above.
bool Fault(int Call, const char *Name, int Fd, int &Action)
{
    const char *plan = std::getenv("ZV_FAIL");
    if (!plan || (Fd >= 0 && (::fcntl(Fd, F_GETFL) & O_ACCMODE) == O_RDONLY))
        return false;
    if (std::strncmp(plan, Armed, sizeof Armed - 1) != 0) {
        std::strncpy(Armed, plan, sizeof Armed - 1);
        std::memset(Counts, 0, sizeof Counts);
    }
    const int n = ++Counts[Call];
    const size_t length = std::strlen(Name);
    for (const char *at = plan; at; at = std::strchr(at, ','), at = at ? at + 1 : nullptr) {
        char *end = nullptr;
        if (std::strncmp(at, Name, length) == 0 && at[length] == '@' && std::strtol(at + length + 1, &end, 10) == n &&
            *end == '=') {
            Action = int(std::strtol(end + 1, nullptr, 10));
            if (Action < 0) {
                const timespec wait{-Action / 1000, (-Action % 1000) * 1000000L};
                ::nanosleep(&wait, nullptr);
            }
            return Action >= 0;
        }
    }
    return false;
}

template <class TFunction> TFunction Real(const char *Name)
{
    return reinterpret_cast<TFunction>(::dlsym(RTLD_NEXT, Name));
}

} // namespace

extern "C" ssize_t pwrite(int Fd, const void *Bytes, size_t Size, off_t At)
{
    static const auto real = Real<ssize_t (*)(int, const void *, size_t, off_t)>("pwrite");
    int action = 0;
    const bool fault = Fault(0, "pwrite", Fd, action);
    if (fault && action > 0)
        return errno = action, -1;
    return real(Fd, Bytes, fault ? Size / 2 : Size, At);
}

extern "C" int fsync(int Fd)
{
    static const auto real = Real<int (*)(int)>("fsync");
    int action = 0;
    return Fault(1, "fsync", Fd, action) ? (errno = action, -1) : real(Fd);
}

extern "C" int close(int Fd)
{
    static const auto real = Real<int (*)(int)>("close");
    int action = 0;
    // Linux frees the descriptor even when close() fails.
    return Fault(2, "close", Fd, action) ? (real(Fd), errno = action, -1) : real(Fd);
}

extern "C" int stat(const char *Path, struct stat *Info) noexcept
{
    static const auto real = Real<int (*)(const char *, struct stat *)>("stat");
    int action = 0;
    return Fault(4, "stat", -1, action) ? (errno = action, -1) : real(Path, Info);
}

extern "C" int rename(const char *From, const char *To) noexcept
{
    static const auto real = Real<int (*)(const char *, const char *)>("rename");
    int action = 0;
    return Fault(3, "rename", -1, action) ? (errno = action, -1) : real(From, To);
}
