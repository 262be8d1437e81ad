#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// Text files as the program keeps them: single-byte Windows-1252 with CR LF line ends on every
// platform. Every operation opens, uses and closes its file.
namespace files {

// The line end of every file and message the program writes.
inline const QString crlf = QStringLiteral("\r\n");

// A character outside the code page is written as "?".
QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);

bool fileExists(const QString& path);
bool dirExists(const QString& path);

// Appends the text as one write to an existing file; never creates it. False on failure.
bool append(const QString& path, const QString& text);

// Writes the text to a temporary file beside path and renames it into place, so a failure
// never leaves a half-written file and never loses the old one. False on failure.
bool replace(const QString& path, const QString& text);
// The same for bytes that are already in the file's form, written as they are.
bool replace(const QString& path, const QByteArray& bytes);

// Copies a file onto target (replacing it) through the same temporary-file route.
bool copy(const QString& source, const QString& target);

// The file's lines, split at CR LF, LF or CR; a final line without line end counts as a
// line, a trailing line end adds none. nullopt when the file cannot be read.
std::optional<QStringList> readLines(const QString& path);
std::optional<QByteArray> readAll(const QString& path);

// Files a person names (a plan, a configuration file, readings to import) are read whole, so
// only a regular file no larger than its kind can be is read: a device such as /dev/zero, a
// pipe or a huge file picked by mistake is refused before it can eat the memory.
inline constexpr qint64 NamedFileLimit = 4 * 1024 * 1024;
struct NamedFile {
    std::optional<QByteArray> bytes;
    QString fault;        // why there are no bytes: "it is not a regular file", ...
    bool refused = false; // it is there but not a regular file, or too large to read
};
NamedFile readNamed(const QString& path, qint64 limit = NamedFileLimit);
// "it is not a regular file" when path names something else that exists, else empty.
QString notRegularFault(const QString& path);

QStringList splitLines(const QString& text);

} // namespace files
