#include "records/instance.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The marks this process holds, by name: an open lock file each. They are never closed; the
// kernel drops the lock when the process ends, however it ends.
QHash<QString, int>& heldMarks() {
    static QHash<QString, int> held;
    return held;
}

QString markPath(const QString& name) {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    // The temporary directory is shared by every user: the name there carries the user id so
    // that one user's mark never stands for, or blocks, another's.
    if (dir.isEmpty())
        return QDir::tempPath() + QLatin1Char('/') + name + QLatin1Char('-') +
               QString::number(::getuid()) + QStringLiteral(".lock");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name + QStringLiteral(".lock");
}

} // namespace

bool IsRunning(const QString& name) {
    if (heldMarks().contains(name))
        return false;
    const QByteArray path = QFile::encodeName(markPath(name));
    // Close-on-exec: an editor or browser started from here must not inherit the lock and
    // keep the mark alive after this copy has ended.
    // No following links, and only a plain file of this user's own: in a directory others can
    // write to, a planted link or file must not decide what is opened or locked.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false; // no place for the mark: run as if alone
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::getuid()) {
        ::close(fd);
        return false; // not a mark this copy can trust: run as if alone
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        heldMarks().insert(name, fd);
        return false;
    }
    const bool taken = errno == EWOULDBLOCK;
    ::close(fd);
    return taken;
}
