#include "records/instance.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// The marks this process holds, by name: an open lock file each. They are never closed; the
// kernel drops the lock when the process ends, however it ends.
QHash<QString, int>& heldMarks() {
    static QHash<QString, int> held;
    return held;
}

QString markPath(const QString& name) {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
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
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false; // no place for the mark: run as if alone
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
