#include "dbase/fileio.h"

#include "dbase/error.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dbase
{

namespace
{
std::function<void(std::string_view)> &faultHook()
{
    static std::function<void(std::string_view)> hook;
    return hook;
}

std::function<void()> &writeHook()
{
    static std::function<void()> hook;
    return hook;
}

// Flushes the directory that holds `path`, so that a rename in it survives a power loss.
void syncDirectory(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string(".")
                            : slash == 0               ? std::string("/")
                                                       : path.substr(0, slash);
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
} // namespace

std::string fileLabel(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string errnoText()
{
    return std::strerror(errno);
}

bool readAt(int fd, void *buf, std::size_t size, uint64_t offset)
{
    auto *p = static_cast<char *>(buf);
    while (size > 0) {
        const ssize_t n = ::pread(fd, p, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

void readAtOrThrow(int fd, void *buf, std::size_t size, uint64_t offset, const std::string &path)
{
    errno = 0;
    if (!readAt(fd, buf, size, offset))
        throw Error("Cannot read " + fileLabel(path) + ": " +
                    (errno ? errnoText() : std::string("the file is shorter than expected")));
}

void writeAtOrThrow(int fd, const void *buf, std::size_t size, uint64_t offset,
                    const std::string &path)
{
    const auto *p = static_cast<const char *>(buf);
    writePoint();
    // Large writes go in pieces of 16 KB: the page cache keeps what one write brought in
    // in one unit of memory, and every later small write into such a unit (a record, a
    // header field, an index block) costs the kernel time in proportion to the unit's
    // size. A file written at once would make each later append several times dearer.
    constexpr std::size_t kPiece = 16 * 1024;
    while (size > 0) {
        const ssize_t n =
            ::pwrite(fd, p, std::min(size, kPiece - (offset % kPiece)), static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw Error("Cannot write " + fileLabel(path) + ": " + errnoText());
        }
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
}

uint64_t fileSize(int fd, const std::string &path)
{
    struct stat st {
    };
    if (::fstat(fd, &st) != 0) throw Error("Cannot read " + fileLabel(path) + ": " + errnoText());
    return static_cast<uint64_t>(st.st_size);
}

void putHeaderDate(char *p)
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    p[0] = static_cast<char>(tm.tm_year); // years since 1900
    p[1] = static_cast<char>(tm.tm_mon + 1);
    p[2] = static_cast<char>(tm.tm_mday);
}

void setFaultHook(std::function<void(std::string_view)> hook)
{
    faultHook() = std::move(hook);
}

void faultPoint(std::string_view name)
{
    if (faultHook()) faultHook()(name);
}

void keepModeOf(const std::string &path, int fd)
{
    struct stat st {
    };
    if (::stat(path.c_str(), &st) != 0) return; // a new file: the umask decides
    // The group first: changing it may clear the set-gid bit that the mode then restores.
    // Only the owner or root may change the group; others keep the directory's.
    if (::fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
    }
    if (::fchmod(fd, st.st_mode & 07777) != 0) {
    }
}

void setWriteHook(std::function<void()> hook)
{
    writeHook() = std::move(hook);
}

void writePoint()
{
    if (writeHook()) writeHook()();
}

void syncFile(int fd, const std::string &path)
{
    faultPoint("sync:" + fileLabel(path));
    int r;
    do {
        r = ::fdatasync(fd);
    } while (r != 0 && errno == EINTR);
    if (r != 0) throw Error("Cannot write " + fileLabel(path) + " to the disk: " + errnoText());
}

std::string newFilePath(const std::string &path)
{
    return path + ".new~";
}

void installNewFile(const std::string &path)
{
    const std::string tmp = newFilePath(path);
    writePoint();
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        const std::string why = errnoText();
        ::unlink(tmp.c_str());
        throw Error("Cannot replace " + fileLabel(path) + ": " + why);
    }
    syncDirectory(path);
}

int replaceFile(const std::string &path,
                const std::function<void(int fd, const std::string &tmp)> &fill,
                const char *faultName, const std::function<void(int fd)> &beforeRename,
                bool keepOpen, bool rename)
{
    const std::string tmp = newFilePath(path);
    writePoint();
    const int fd = ::open(tmp.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) throw Error("Cannot create " + fileLabel(tmp) + ": " + errnoText());
    try {
        keepModeOf(path, fd);
        fill(fd, tmp);
        if (::fsync(fd) != 0) throw Error("Cannot write " + fileLabel(tmp) + ": " + errnoText());
        faultPoint(faultName);
        if (beforeRename) beforeRename(fd);
        if (rename) {
            writePoint();
            if (::rename(tmp.c_str(), path.c_str()) != 0)
                throw Error("Cannot replace " + fileLabel(path) + ": " + errnoText());
        }
    } catch (...) {
        ::close(fd);
        ::unlink(tmp.c_str());
        throw;
    }
    if (rename) syncDirectory(path);
    if (keepOpen) return fd;
    ::close(fd);
    return -1;
}

} // namespace dbase
