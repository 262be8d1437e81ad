#pragma once

#include "calc/mainform.h"
#include "scriptedhost.h"
#include "shell/files.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <unistd.h>
#include <utility>

// Shared set-up for the records tests: a workspace in en_GB with the log names set, fields
// filled the way a finished calculation leaves them, and whole-file comparisons.
using Fields = std::initializer_list<std::pair<const char*, QString>>;

inline void setFields(MainForm& f, Fields fields) {
    for (const auto& [name, text] : fields)
        f.setText(QString::fromLatin1(name), text);
}

inline void nameLogs(MainForm& f) {
    f.ResultsLogName = QStringLiteral("Voltrake.log");
    f.HistoryLogName = QStringLiteral("Voltrake_H.log");
}

// Each line followed by CR LF.
inline QString crlf(const QStringList& lines) {
    QString s;
    for (const QString& l : lines)
        s += l + QStringLiteral("\r\n");
    return s;
}

// Bytes as the program stores text: Windows-1252.
inline QByteArray cp1252(const QString& text) {
    return files::encode(text);
}

// A report label: the words padded to 24 characters, then ": ".
inline QString label(const char* words) {
    return QString::fromLatin1(words).leftJustified(24, QLatin1Char(' ')) + QStringLiteral(": ");
}

inline QString versionLine() {
    return QStringLiteral("Version ") + versionText();
}

inline const QString H1 = QStringLiteral("Date       , Normal , Cheap  , Normal , Normal , Break , "
                                         "Cheap  , Fixed  , VAT  , Disc  , Disc    , Time");
inline const QString H2 = QStringLiteral("           , Reading, Reading, Rate 1 , Rate 2 , Point , "
                                         "Rate   , Charges, Rate , 1     , 2       ,     ");
inline const QString H3 = QStringLiteral("-----------, -------, -------, -------, -------, ------, "
                                         "-------, -------, -----, ------, --------, ----");

// The ten header lines of a history log created at the workspace clock.
inline QStringList historyHeader() {
    return {QStringLiteral("Voltrake History Log"),
            versionLine(),
            QStringLiteral("File Created"),
            QStringLiteral("05-Dec-26 04:40:50"),
            QString(),
            QString(),
            QString(),
            H1,
            H2,
            H3};
}

// A record as the log keeps it: the date in columns 1-11, the readings in 14-20 and 23-29.
inline QString recordLine(const QString& date, const QString& normal, const QString& cheap = {}) {
    return date.rightJustified(11) + QStringLiteral(", ") + normal.rightJustified(7) +
           QStringLiteral(", ") + cheap.rightJustified(7) +
           QStringLiteral(", .123456, .000000, F    0, .000000,  £30.00,  5.0%,       ,         "
                          ",  Qtr");
}

inline QString startLine(const QString& date, const QString& normal, const QString& cheap = {}) {
    return date.rightJustified(11) + QStringLiteral(", ") + normal.rightJustified(7) +
           QStringLiteral(", ") + cheap.rightJustified(7) +
           QStringLiteral(",        ,        ,       ,        ,        ,      ,       ,         "
                          ",     ");
}

// A history log: header, start record and n records on consecutive days from 1 Jan 2020,
// with the column headers again before every 41st data line, as saves write it.
inline QStringList historyWith(int records) {
    QStringList lines = historyHeader();
    const QDate first(2020, 1, 1);
    lines.append(startLine(first.toString(QStringLiteral("dd/MM/yyyy")), QStringLiteral("1000")));
    for (int i = 1; i <= records; ++i) {
        if (i % 40 == 0)
            lines << QString() << QString() << H1 << H2 << H3;
        lines.append(recordLine(first.addDays(i).toString(QStringLiteral("dd/MM/yyyy")),
                                QString::number(1000 + i)));
    }
    return lines;
}

inline QStringList boxTexts(const ScriptedHost& host) {
    QStringList texts;
    for (const auto& box : host.boxes)
        texts.append(box.title + QLatin1Char('|') + box.text);
    return texts;
}

// The Log directory made read-only for the life of the object. Root ignores permissions, so
// under root the test drops to an unprivileged effective user that owns the workspace.
class ReadOnlyLog {
  public:
    explicit ReadOnlyLog(Workspace& ws) : log_(ws.path(QStringLiteral("Log"))) {
        if (geteuid() == 0) {
            const uid_t nobody = 65534;
            chownAll(ws.dir(), nobody);
            dropped_ = seteuid(nobody) == 0;
        }
        QFile::setPermissions(log_, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                        QFileDevice::ReadOther | QFileDevice::ExeOther);
        QFile probe(log_ + QStringLiteral("/probe"));
        effective_ = !probe.open(QIODevice::WriteOnly);
        if (!effective_)
            probe.remove();
    }
    // False when the directory could still be written to: the test then proves nothing.
    bool effective() const { return effective_; }
    ~ReadOnlyLog() {
        QFile::setPermissions(log_, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ExeOwner);
        if (dropped_ && seteuid(0) != 0)
            qWarning("could not return to the original effective user");
    }
    ReadOnlyLog(const ReadOnlyLog&) = delete;
    ReadOnlyLog& operator=(const ReadOnlyLog&) = delete;

  private:
    static void chownAll(const QString& dir, uid_t owner) {
        [[maybe_unused]] int r = chown(QFile::encodeName(dir).constData(), owner, gid_t(-1));
        QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            r = chown(QFile::encodeName(it.next()).constData(), owner, gid_t(-1));
    }

    QString log_;
    bool dropped_ = false;
    bool effective_ = false;
};
