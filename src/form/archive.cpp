#include "form/archive.h"
#include "records/logformat.h"
#include "records/logscan.h"

#include "form/checkfiles.h"
#include "form/logs.h"
#include "form/mainform.h"
#include "text/files.h"
#include "text/values.h"

#include <QFile>
#include <QFileInfo>

void Archive_Click(MainForm& f) {
    f.setText(QStringLiteral("Status"), QString());
    f.model.setEnabled(QStringLiteral("Timer1"), false);

    CheckDirectory(f, QStringLiteral("Log"));
    if (!CheckFile(f, QStringLiteral("results log"), QStringLiteral("Log"), f.ResultsLogName))
        return;

    const QString title = QStringLiteral("Voltrake Results Log File Error");
    auto failed = [&f, &title] {
        f.message(title,
                  QStringLiteral("Unable to archive the results log file Voltrake.log.\r\n"
                                 "This may be a permissions problem."),
                  Host::Buttons::Ok, Host::Icon::Warning);
    };

    const QString log = f.path(QStringLiteral("Log/") + f.ResultsLogName);
    // The bytes are let go before the copy below reads the file again.
    auto bytes = files::readAll(log);
    if (!bytes)
        return failed();
    const bool hasData = records::holdsReports(*bytes);
    bytes.reset();

    const Host::Answer answer = f.message(
        QStringLiteral("Archive Voltrake Results Log File"),
        QStringLiteral("Do you want to archive the log file?\r\n"
                       "To Archive the results log file and create a new one click Yes\r\n"
                       "To Clear the results log file without archiving it click No\r\n"
                       "Click Cancel to return"),
        Host::Buttons::YesNoCancel, Host::Icon::Warning);

    if (answer == Host::Answer::Yes) {
        if (!hasData) {
            f.message(title,
                      QStringLiteral("There is no data to archive!\r\n"
                                     "Results log file not archived."),
                      Host::Buttons::Ok, Host::Icon::Warning);
            return;
        }
        const QString copy = records::firstFreeName(f, QStringLiteral("Voltrake"));
        if (copy.isEmpty() || !files::copy(log, f.path(copy)))
            return failed();
        f.setStatus(QStringLiteral("Results Log File Archived"));
    } else if (answer == Host::Answer::No) {
        if (hasData &&
            f.message(QStringLiteral("Voltrake Create New Log File"),
                      QStringLiteral("Are you sure you want to create a new results log file?"),
                      Host::Buttons::YesNo, Host::Icon::None) != Host::Answer::Yes)
            return;
        f.setStatus(QStringLiteral("Results Log File Cleared"));
    } else {
        return;
    }

    // The new log replaces the old one only once it is complete; a read-only old log is
    // replaced all the same.
    const QString fresh = f.path(QStringLiteral("Log/Voltrake.log"));
    QFileInfo info(fresh);
    if (info.exists() && !info.isWritable())
        QFile::setPermissions(fresh, info.permissions() | QFileDevice::WriteOwner);
    const QDateTime now = f.host.now();
    const QString created = values::shortDate(now.date()) + ' ' + values::timeOfDay(now.time());
    if (!files::replace(fresh,
                        records::headerBlock(QStringLiteral("Voltrake Results Log"), created) +
                            files::crlf))
        failed();
}
