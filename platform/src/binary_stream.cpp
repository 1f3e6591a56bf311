#include "platform/binary_stream.h"

#include "platform/exceptions.h"
#include "file_paths.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

using detail::joinPath;

namespace {

[[noreturn]] void raise(int errorNumber, const QString& path)
{
    throw IOException(errorNumber, QStringLiteral("%1: %2").arg(
                                       QString::fromLocal8Bit(std::strerror(errorNumber)), path));
}

// Reads until count bytes or the end of the file; the bytes read, or -1 with errno set.
ssize_t readFully(int fd, char* buffer, size_t count)
{
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd, buffer + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

bool writeFully(int fd, const char* buffer, size_t count)
{
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd, buffer + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Makes a completed rename survive a power cut; a failure here loses nothing already
// in place, so it is not reported.
void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

struct BinaryStream::Impl {
    int fd = -1;
    QString path;
    // Set for a created stream: the file that Close() renames over path.
    QByteArray temporary;

    ~Impl()
    {
        if (fd >= 0)
            ::close(fd);
        if (!temporary.isEmpty())
            ::unlink(temporary.constData());
    }
};

BinaryStream::~BinaryStream() = default;

std::unique_ptr<BinaryStream> BinaryStream::Open(const FolderItem& item)
{
    const QByteArray path = QFile::encodeName(item.NativePath());
    int fd;
    do
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        item.setLastErrorCode(error);
        raise(error, item.NativePath());
    }
    std::unique_ptr<BinaryStream> stream(new BinaryStream);
    stream->impl_ = std::make_unique<Impl>();
    stream->impl_->fd = fd;
    stream->impl_->path = item.NativePath();
    return stream;
}

std::unique_ptr<BinaryStream> BinaryStream::Create(const FolderItem& item)
{
    const auto fail = [&item](int error) {
        item.setLastErrorCode(error);
        raise(error, item.NativePath());
    };
    const QByteArray target = QFile::encodeName(item.NativePath());
    struct stat status;
    if (::lstat(target.constData(), &status) == 0 && S_ISDIR(status.st_mode))
        fail(EISDIR);
    const std::unique_ptr<FolderItem> folder = item.Parent();
    if (!folder)
        fail(EISDIR);

    // mkostemp creates with O_CREAT | O_EXCL and mode 0600, so no other user can open the
    // file at any moment; fchmod then undoes a umask that took the owner's own bits.
    QByteArray temporary = QFile::encodeName(
        joinPath(folder->NativePath(), u'.' + item.Name() + QStringLiteral(".XXXXXX")));
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        fail(errno);
    if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(temporary.constData());
        fail(error);
    }
    std::unique_ptr<BinaryStream> stream(new BinaryStream);
    stream->impl_ = std::make_unique<Impl>();
    stream->impl_->fd = fd;
    stream->impl_->path = item.NativePath();
    stream->impl_->temporary = temporary;
    return stream;
}

QString BinaryStream::ReadPString()
{
    const auto fail = [this](int error) {
        lastErrorCode_ = error;
        raise(error, impl_ ? impl_->path : QString());
    };
    if (!impl_ || impl_->fd < 0)
        fail(EBADF);
    char length = 0;
    const ssize_t got = readFully(impl_->fd, &length, 1);
    if (got < 0)
        fail(errno);
    if (got == 0)
        return {};
    QByteArray bytes(static_cast<unsigned char>(length), Qt::Uninitialized);
    const ssize_t n = readFully(impl_->fd, bytes.data(), static_cast<size_t>(bytes.size()));
    if (n < 0)
        fail(errno);
    bytes.truncate(n);
    return QString::fromUtf8(bytes);
}

void BinaryStream::WritePString(const QString& text)
{
    const auto fail = [this](int error) {
        lastErrorCode_ = error;
        raise(error, impl_ ? impl_->path : QString());
    };
    if (!impl_ || impl_->fd < 0)
        fail(EBADF);
    const QByteArray bytes = text.toUtf8();
    // One length byte holds no more; a cut string would not read back as what was given.
    if (bytes.size() > 255)
        fail(EOVERFLOW);
    QByteArray record;
    record.reserve(bytes.size() + 1);
    record.append(static_cast<char>(static_cast<unsigned char>(bytes.size())));
    record.append(bytes);
    if (!writeFully(impl_->fd, record.constData(), static_cast<size_t>(record.size())))
        fail(errno);
}

void BinaryStream::Close()
{
    if (!impl_ || impl_->fd < 0)
        return;
    const int fd = std::exchange(impl_->fd, -1);
    int error = 0;
    if (impl_->temporary.isEmpty()) {
        if (::close(fd) != 0 && errno != EINTR)
            error = errno;
    } else {
        if (::fsync(fd) != 0)
            error = errno;
        if (::close(fd) != 0 && errno != EINTR && error == 0)
            error = errno;
        if (error == 0) {
            const QByteArray target = QFile::encodeName(impl_->path);
            if (::rename(impl_->temporary.constData(), target.constData()) != 0)
                error = errno;
        }
        if (error != 0)
            ::unlink(impl_->temporary.constData());
        impl_->temporary.clear();
        if (error == 0)
            syncFolder(QFileInfo(impl_->path).path());
    }
    if (error != 0) {
        lastErrorCode_ = error;
        raise(error, impl_->path);
    }
}

} // namespace platform
