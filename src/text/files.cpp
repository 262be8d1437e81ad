#include "text/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

namespace files {

namespace {
// Windows-1252 is Latin-1 but for 0x80-0x9F; text that avoids that block takes the fast route.
bool latin1Safe(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80 && (u <= 0x9F || u > 0xFF))
            return false;
    }
    return true;
}
} // namespace

QByteArray encode(const QString& text) {
    if (latin1Safe(text))
        return text.toLatin1();
    QStringEncoder encoder("windows-1252");
    QByteArray bytes = encoder(text);
    if (!encoder.hasError())
        return bytes;
    // Rare path: encode one code point at a time so an unmappable one becomes "?".
    bytes.clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QStringEncoder one("windows-1252");
        QByteArray b = one(text.mid(i, len));
        bytes += one.hasError() || b.isEmpty() ? QByteArray("?") : b;
        i += len - 1;
    }
    return bytes;
}

QString decode(const QByteArray& bytes) {
    const bool latin1 = std::none_of(bytes.begin(), bytes.end(), [](char b) {
        return static_cast<unsigned char>(b) >= 0x80 && static_cast<unsigned char>(b) <= 0x9F;
    });
    if (latin1)
        return QString::fromLatin1(bytes);
    QStringDecoder decoder("windows-1252");
    return decoder(bytes);
}

bool fileExists(const QString& path) {
    QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool dirExists(const QString& path) {
    return QFileInfo(path).isDir();
}

bool append(const QString& path, const QString& text) {
    if (!fileExists(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = encode(text);
    const bool ok = file.write(bytes) == bytes.size();
    return file.flush() && ok;
}

namespace {
bool writeWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Flushed and checked before the commit: Qt 6.4's commit() does not notice a buffered
    // write that the disk refused (full disk) and would rename a truncated file into place.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
} // namespace

bool replace(const QString& path, const QString& text) {
    return writeWhole(path, encode(text));
}

bool replace(const QString& path, const QByteArray& bytes) {
    return writeWhole(path, bytes);
}

bool copy(const QString& source, const QString& target) {
    const auto bytes = readAll(source);
    return bytes && writeWhole(target, *bytes);
}

std::optional<QByteArray> readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

QString notRegularFault(const QString& path) {
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return info.isDir() ? QStringLiteral("it is a folder, not a file")
                            : QStringLiteral("it is not a regular file");
    return {};
}

NamedFile readNamed(const QString& path, qint64 limit) {
    NamedFile f;
    if (!QFileInfo::exists(path)) {
        f.fault = QStringLiteral("it does not exist");
        return f;
    }
    f.fault = notRegularFault(path);
    if (!f.fault.isEmpty()) {
        f.refused = true;
        return f;
    }
    const QString tooLarge = QStringLiteral("it is larger than ") +
                             QString::number(limit / (1024 * 1024)) + QStringLiteral(" MiB");
    QFile file(path);
    if (file.size() > limit) {
        f.fault = tooLarge;
        f.refused = true;
        return f;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        f.fault = QStringLiteral("it cannot be opened");
        return f;
    }
    // The size may have changed since it was looked at: never read past the limit.
    QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError)
        f.fault = QStringLiteral("it cannot be read");
    else if (bytes.size() > limit)
        f.fault = tooLarge, f.refused = true;
    else
        f.bytes = std::move(bytes);
    return f;
}

QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

std::optional<QStringList> readLines(const QString& path) {
    const auto bytes = readAll(path);
    if (!bytes)
        return std::nullopt;
    return splitLines(decode(*bytes));
}

} // namespace files
