#include "form/checkfiles.h"

#include "form/mainform.h"
#include "text/files.h"

namespace {

using files::crlf;

// First letter of each word upper case, the rest lower case.
QString properCase(const QString& text) {
    QString out = text;
    bool wordStart = true;
    for (QChar& c : out) {
        if (c.isSpace()) {
            wordStart = true;
            continue;
        }
        c = wordStart ? c.toUpper() : c.toLower();
        wordStart = false;
    }
    return out;
}

} // namespace

void CheckDirectory(MainForm& f, const QString& name) {
    if (files::dirExists(f.path(name)))
        return;
    f.message(QStringLiteral("Voltrake ") + name + QStringLiteral(" Directory Error"),
              QStringLiteral("The ") + name + QStringLiteral(" directory does not exist.") + crlf +
                  QStringLiteral("To restore the ") + name + QStringLiteral(" directory") + crlf +
                  QStringLiteral("reinstall the program.") + crlf +
                  QStringLiteral("The program will now terminate."),
              Host::Buttons::Ok, Host::Icon::Error);
    f.endProgram();
}

bool CheckFile(MainForm& f, const QString& description, const QString& directory,
               const QString& fileName) {
    if (files::fileExists(f.path(directory + QLatin1Char('/') + fileName)))
        return true;
    f.message(QStringLiteral("Voltrake ") + properCase(description) + QStringLiteral(" File Error"),
              QStringLiteral("The ") + description + QStringLiteral(" file is either missing or") +
                  crlf + QStringLiteral("corrupted. Delete the ") + description +
                  QStringLiteral(" file if") + crlf +
                  QStringLiteral("it exists and restart the program."),
              Host::Buttons::Ok, Host::Icon::Warning);
    return false;
}
