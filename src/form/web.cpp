#include "form/web.h"

#include "form/checkfiles.h"
#include "form/mainform.h"
#include "text/errors.h"
#include "text/files.h"

#include <QRegularExpression>
#include <QStringList>

#include <exception>

namespace {

using files::crlf;

void browserFailed(MainForm& f) {
    f.message(QStringLiteral("Voltrake Error"), QStringLiteral("Unable to launch Browser."),
              Host::Buttons::Ok, Host::Icon::None);
}

bool isWebScheme(const QUrl& url) {
    return url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
}

} // namespace

QUrl webPageAddress(const QString& root, const QString& page) {
    const QUrl base(root, QUrl::StrictMode);
    if (!base.isValid() || !isWebScheme(base) || base.host().isEmpty() ||
        !base.path(QUrl::FullyEncoded).endsWith(QLatin1Char('/')) || base.hasQuery() ||
        base.hasFragment())
        return {};

    // Characters an address cannot hold are percent-encoded, '%' among them unless it starts an
    // escape already. Query and fragment keep their separators.
    static const QRegularExpression escape(QStringLiteral("%25([0-9A-Fa-f]{2})"));
    const QByteArray text = QString::fromLatin1(QUrl::toPercentEncoding(page, "!$&'()*+,;=:@/?#~"))
                                .replace(escape, QStringLiteral("%\\1"))
                                .toLatin1();

    qsizetype pathEnd = text.size();
    for (const char separator : {'?', '#'}) {
        const qsizetype at = text.indexOf(separator);
        if (at >= 0 && at < pathEnd)
            pathEnd = at;
    }
    QByteArray tail = text.mid(pathEnd);
    if (const qsizetype hash = tail.indexOf('#'); hash >= 0)
        tail = tail.left(hash + 1) + tail.mid(hash + 1).replace("#", "%23");

    // Dot segments, also when written as escapes, are resolved here and may not climb above
    // the root: the page stays on the site.
    QStringList kept;
    const QList<QByteArray> segments = text.left(pathEnd).split('/');
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const QByteArray dots = segments[i].toLower().replace("%2e", ".");
        const bool last = i == segments.size() - 1;
        if (dots == "." || dots == "..") {
            if (dots == "..") {
                if (kept.isEmpty())
                    return {};
                kept.removeLast();
            }
            if (last)
                kept.append(QString()); // "a/.." names the folder "/", not the file "a"
        } else {
            kept.append(QString::fromLatin1(segments[i]));
        }
    }

    const QUrl url(base.toString(QUrl::FullyEncoded) + kept.join(QLatin1Char('/')) +
                       QString::fromLatin1(tail),
                   QUrl::StrictMode);
    // Whatever the page said, the address must still be on the site.
    if (!url.isValid() || url.scheme() != base.scheme() || url.authority() != base.authority() ||
        !url.path(QUrl::FullyEncoded).startsWith(base.path(QUrl::FullyEncoded)))
        return {};
    return url;
}

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
        // Only an address on the maker's site is ever handed on; a page that is no such address
        // is refused as a browser that cannot be started would be.
        const QUrl address = webPageAddress(f.webSiteRoot, page);
        if (address.isEmpty() || !f.host.openDocument(address.toString(QUrl::FullyEncoded)))
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
