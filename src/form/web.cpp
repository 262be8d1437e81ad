#include "form/web.h"

#include "form/checkfiles.h"
#include "form/mainform.h"
#include "text/errors.h"
#include "text/files.h"

#include <exception>

namespace {

using files::crlf;

void browserFailed(MainForm& f) {
    f.message(QStringLiteral("Voltrake Error"), QStringLiteral("Unable to launch Browser."),
              Host::Buttons::Ok, Host::Icon::None);
}

} // namespace

void Help1_Click(MainForm& f) {
    try {
        CheckDirectory(f, QStringLiteral("Help"));
        const QString index = f.path(QStringLiteral("Help/index.htm"));
        if (!files::fileExists(index)) {
            f.message(QStringLiteral("Voltrake Help File Error"),
                      QStringLiteral("The help file is either missing or") + crlf +
                          QStringLiteral("corrupted. Reinstall the program") + crlf +
                          QStringLiteral("to correct the error.") + crlf,
                      Host::Buttons::Ok, Host::Icon::Warning);
            return;
        }
        if (!f.host.openDocument(index))
            browserFailed(f);
    } catch (const std::exception&) {
        f.message(QStringLiteral("Voltrake Help File Error"),
                  QStringLiteral("Unable to opem the help file.") + crlf +
                      QStringLiteral("This may be a permissions problem."),
                  Host::Buttons::Ok, Host::Icon::Warning);
    }
}

void OpenWebPage(MainForm& f, const QString& page) {
    int number = 0;
    QString description;
    try {
        if (!f.host.openDocument(f.webSiteRoot + page))
            browserFailed(f);
        return;
    } catch (const RuntimeError& e) {
        number = e.number();
        description = e.description();
    } catch (const std::exception& e) {
        description = QString::fromLocal8Bit(e.what());
    }
    f.message(QStringLiteral("Voltrake Error"),
              QStringLiteral("A program error has occured") + crlf +
                  QStringLiteral("Error Number: ") + QString::number(number) + crlf +
                  QStringLiteral("Error description: ") + description,
              Host::Buttons::Ok, Host::Icon::None);
}

void About_Click(MainForm& f) {
    f.host.showAbout();
}

void Logo_Click(MainForm& f) {
    OpenWebPage(f, QString());
}
