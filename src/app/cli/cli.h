// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// What the commands of voltrake-cli share: where they work, how they end, how they write.
namespace cli {

enum Exit { Done = 0, FileError = 1, Refused = 2, Usage = 64 };

struct Context {
    QString dir; // holds Data/ and Log/
    QString path(const QString& relative) const { return dir + u'/' + relative; }
};

// Bytes to stdout as they are (CR LF stays CR LF); text to stderr, one line each.
void out(const QByteArray& bytes);
void err(const QString& text);
// A message for a file that could not be read or written, naming it.
int fileError(const QString& path, const QString& message);
// Plain-text columns, each as wide as its widest cell; the first `leftColumns` left, the rest
// (numbers) right; LF line ends.
QByteArray table(const QList<QStringList>& rows, int leftColumns);

} // namespace cli
