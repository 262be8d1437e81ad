#include "records/logformat.h"

#include "text/files.h"
#include "text/lines.h"
#include "text/programversion.h"
#include "text/values.h"

#include <algorithm>

namespace records {

using files::crlf;

QString versionLine() {
    return QStringLiteral("Version ") + versionText();
}

QString headerBlock(const QString& title, const QString& created) {
    return title + crlf + versionLine() + crlf + QStringLiteral("File Created") + crlf + created +
           crlf + crlf;
}

QString historyColumnHeaders(const QString& taxWord) {
    return crlf + crlf +
           "Date       , Normal , Cheap  , Normal , Normal , Break , Cheap  , Fixed  , " + taxWord +
           "  , Disc  , Disc    , Time" + crlf +
           "           , Reading, Reading, Rate 1 , Rate 2 , Point , Rate   , Charges, Rate , 1  "
           "   , 2       ,     " +
           crlf +
           "-----------, -------, -------, -------, -------, ------, -------, -------, -----, "
           "------, --------, ----";
}

QString dateColumn(QStringView line) {
    return line.left(11).trimmed().toString();
}

namespace {
// The characters of a view as a QString without copying them, for the length of one call that
// keeps no copy: a long log is tested line by line, and copies would dominate the cost.
QString borrowed(QStringView view) {
    return QString::fromRawData(view.data(), view.size());
}
} // namespace

double readingColumn(QStringView line, qsizetype column, const QLocale& locale) {
    return values::leadingValue(borrowed(line.mid(column - 1, 7).trimmed()), locale);
}

bool isDataLine(QStringView line, const QLocale& locale) {
    // The readings are cheap to test and rule out headers and empty lines before the date.
    if (readingColumn(line, 14, locale) <= 1 && readingColumn(line, 23, locale) <= 1)
        return false;
    return values::readsAsDate(borrowed(line.left(11).trimmed()), locale);
}

bool isDataLine(QByteArrayView line, const QLocale& locale) {
    // The date and both readings lie within the first 29 columns.
    return isDataLine(QStringView(lines::decode(line.first(std::min<qsizetype>(29, line.size())))),
                      locale);
}

QString historyDate(const QString& text, const QLocale& locale) {
    if (text.size() <= 11)
        return text;
    const auto date = values::readDate(text, locale);
    return date ? values::ddMmmYyyy(*date, locale) : text;
}

} // namespace records
