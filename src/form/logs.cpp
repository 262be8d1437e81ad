#include "form/logs.h"

#include "form/checkfiles.h"
#include "form/mainform.h"
#include "text/files.h"
#include "text/values.h"

namespace records {

QString firstFreeName(MainForm& f, const QString& stem) {
    const QString day = values::yymmdd(f.host.now().date());
    for (int n = 1; n <= 32767; ++n) {
        const QString name = QStringLiteral("Log/%1_%2_%3.log").arg(stem, day, QString::number(n));
        if (!files::fileExists(f.path(name)))
            return name;
    }
    return {};
}

void viewLog(MainForm& f, const QString& description, const QString& name) {
    CheckDirectory(f, QStringLiteral("Log"));
    if (!CheckFile(f, description, QStringLiteral("Log"), name))
        return;
    if (!f.host.startEditor(f.path(QStringLiteral("Log/") + name)))
        f.message(QStringLiteral("Voltrake Log File Error"),
                  QStringLiteral("Unable to run Notepad\r\nCheck that it exists and\r\n"
                                 "is working properly."),
                  Host::Buttons::Ok, Host::Icon::Warning);
}

} // namespace records
