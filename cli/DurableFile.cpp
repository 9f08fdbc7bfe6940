#include "cli/DurableFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {
QString SystemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

#ifdef _WIN32
constexpr int kOpenFlags = _O_RDWR | _O_CREAT | _O_APPEND | _O_BINARY | _O_NOINHERIT;
int OpenFile(const QString& path)
{
    return ::_wopen(reinterpret_cast<const wchar_t*>(path.utf16()), kOpenFlags, _S_IREAD | _S_IWRITE);
}
int WriteSome(int fd, const char* bytes, qsizetype count)
{
    return ::_write(fd, bytes, static_cast<unsigned>(count));
}
// Forces the file's buffers to the disk (FlushFileBuffers underneath).
bool ForceToDisk(int fd)
{
    return ::_commit(fd) == 0;
}
#else
int OpenFile(const QString& path)
{
    return ::open(path.toLocal8Bit().constData(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
}
ssize_t WriteSome(int fd, const char* bytes, qsizetype count)
{
    return ::write(fd, bytes, static_cast<size_t>(count));
}
bool ForceToDisk(int fd)
{
    return ::fsync(fd) == 0;
}
#endif
} // namespace

DurableFile::~DurableFile()
{
    Close();
}

void DurableFile::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool DurableFile::Open(const QString& path, QString& why)
{
    Close();
    m_path = path;
    m_fd = OpenFile(path);
    if (m_fd < 0)
        why = SystemReason();
    return m_fd >= 0;
}

std::optional<char> DurableFile::LastByte() const
{
    char last = 0;
    if (::lseek(m_fd, -1, SEEK_END) < 0 || ::read(m_fd, &last, 1) != 1)
        return std::nullopt;
    return last;
}

bool DurableFile::StillAtPath() const
{
#ifdef _WIN32
    return true;
#else
    struct stat open = {};
    struct stat named = {};
    return ::fstat(m_fd, &open) == 0 && ::stat(m_path.toLocal8Bit().constData(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
#endif
}

QByteArray DurableFile::Head(qsizetype count) const
{
    // Reading moves the file position, which only matters for reads: every write goes to the end.
    QByteArray head(count, '\0');
    if (::lseek(m_fd, 0, SEEK_SET) != 0)
        return {};
    qsizetype got = 0;
    while (got < count) {
        const auto n = ::read(m_fd, head.data() + got, static_cast<unsigned>(count - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    head.truncate(got);
    return head;
}

bool DurableFile::Append(const QByteArray& bytes, QString& why)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const auto n = WriteSome(m_fd, bytes.constData() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            why = SystemReason();
            return false;
        }
        written += n;
    }
    if (!ForceToDisk(m_fd)) {
        why = SystemReason();
        return false;
    }
    return true;
}
