#include "exchange/file_copy.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace filecopy
{

QString joinPath(const QString &directory, const QString &name)
{
    if (directory.isEmpty()) return name;
    return directory.endsWith(QLatin1Char('/')) ? directory + name
                                                : directory + QLatin1Char('/') + name;
}

QString findFile(const QString &directory, const QString &name)
{
    const QString exact = joinPath(directory, name);
    if (QFileInfo::exists(exact)) return exact;
    const QStringList entries = QDir(directory).entryList(QDir::Files | QDir::Hidden);
    for (const QString &entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return joinPath(directory, entry);
    return exact;
}

bool sameFile(const QString &a, const QString &b)
{
    const QString pathA = QDir::cleanPath(QFileInfo(a).absoluteFilePath());
    const QString pathB = QDir::cleanPath(QFileInfo(b).absoluteFilePath());
    if (pathA.compare(pathB, Qt::CaseInsensitive) == 0) return true;
    struct stat sa {
    }, sb{};
    if (::stat(QFile::encodeName(pathA).constData(), &sa) != 0 ||
        ::stat(QFile::encodeName(pathB).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

qint64 freeSpace(const QString &directory)
{
    std::error_code error;
    const std::filesystem::space_info info = std::filesystem::space(
        std::filesystem::path(QFile::encodeName(directory).toStdString()), error);
    if (error || info.available == static_cast<std::uintmax_t>(-1)) return -1;
    return static_cast<qint64>(info.available);
}

namespace
{

QString errnoText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// A file size limit ends a write with an error instead of the process.
class IgnoreFileSizeSignal
{
public:
    IgnoreFileSizeSignal()
    {
        struct sigaction ignore {
        };
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        m_saved = ::sigaction(SIGXFSZ, &ignore, &m_previous) == 0;
    }
    ~IgnoreFileSizeSignal()
    {
        if (m_saved) ::sigaction(SIGXFSZ, &m_previous, nullptr);
    }
    IgnoreFileSizeSignal(const IgnoreFileSizeSignal &) = delete;
    IgnoreFileSizeSignal &operator=(const IgnoreFileSizeSignal &) = delete;

private:
    struct sigaction m_previous {
    };
    bool m_saved = false;
};

class Fd
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0) ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    // Closes now; false when the close reports a failed write.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool fail(QString *why, const QString &text)
{
    if (why) *why = text;
    return false;
}

} // namespace

bool copyFile(const QString &source, const QString &destination, QString *why,
              const std::function<void(qint64 done, qint64 total)> &progress)
{
    const IgnoreFileSizeSignal quiet;
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(QFileInfo(destination).absoluteFilePath());

    Fd in(::open(from.constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return fail(why, source + QStringLiteral(": ") + errnoText(errno));
    struct stat sourceStat {
    };
    if (::fstat(in.get(), &sourceStat) != 0 || !S_ISREG(sourceStat.st_mode))
        return fail(why, source + QStringLiteral(" is not a file"));

    // The new bytes go beside the destination, so the rename replaces it in one step.
    QByteArray pattern = to + ".XXXXXX~";
    Fd out(::mkostemps(pattern.data(), 1, O_CLOEXEC));
    if (out.get() < 0) return fail(why, destination + QStringLiteral(": ") + errnoText(errno));
    const QByteArray temporary = pattern;
    auto abandon = [&](const QString &text) {
        out.close();
        ::unlink(temporary.constData());
        return fail(why, text);
    };

    // The permissions of the file it replaces, or those a newly created file gets.
    struct stat destinationStat {
    };
    mode_t mode;
    if (::stat(to.constData(), &destinationStat) == 0) {
        mode = destinationStat.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(out.get(), mode);

    std::vector<char> block(64 * 1024);
    qint64 copied = 0;
    for (;;) {
        const ssize_t got = ::read(in.get(), block.data(), block.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            return abandon(source + QStringLiteral(": ") + errnoText(errno));
        }
        if (got == 0) break;
        ssize_t written = 0;
        while (written < got) {
            const ssize_t put =
                ::write(out.get(), block.data() + written, static_cast<size_t>(got - written));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0)
                return abandon(destination + QStringLiteral(": ") +
                               errnoText(put < 0 ? errno : ENOSPC));
            written += put;
        }
        copied += got;
        if (progress) progress(copied, static_cast<qint64>(sourceStat.st_size));
    }
    if (::fsync(out.get()) != 0 || !out.close())
        return abandon(destination + QStringLiteral(": ") + errnoText(errno));
    if (::rename(temporary.constData(), to.constData()) != 0) {
        const int code = errno;
        ::unlink(temporary.constData());
        return fail(why, destination + QStringLiteral(": ") + errnoText(code));
    }
    // The rename itself on the disk.
    Fd directory(::open(QFile::encodeName(QFileInfo(destination).absolutePath()).constData(),
                        O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) ::fsync(directory.get());
    return true;
}

bool openElsewhere(const QString &path)
{
    Fd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return false;
    // The open byte of the dBase lock protocol; a write lock there conflicts with any
    // other handle's lock.
    struct flock probe {
    };
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = 0x7FFFFFFF;
    probe.l_len = 1;
    if (::fcntl(fd.get(), F_OFD_GETLK, &probe) != 0) return false;
    return probe.l_type != F_UNLCK;
}

} // namespace filecopy
