#include "records/records_log.h"

#include "calc/mainform.h"
#include "calc/values.h"
#include "records/results.h"
#include "shell/files.h"
#include "shell/startup.h"

namespace records {

QString versionLine() {
    return QStringLiteral("Version ") + versionText();
}

QString headerBlock(const QString& title, const QString& created) {
    return title + crlf + versionLine() + crlf + QStringLiteral("File Created") + crlf + created +
           crlf + crlf;
}

std::vector<std::pair<qsizetype, qsizetype>> lineSpans(QByteArrayView bytes) {
    std::vector<std::pair<qsizetype, qsizetype>> spans;
    const char* base = bytes.data();
    forEachLine(bytes,
                [&](QByteArrayView line) { spans.emplace_back(line.data() - base, line.size()); });
    return spans;
}

QString decode(QByteArrayView bytes) {
    const auto differs = [](char c) { return uchar(c) >= 0x80 && uchar(c) <= 0x9f; };
    if (std::any_of(bytes.begin(), bytes.end(), differs))
        return files::decode(bytes.toByteArray());
    return QString::fromLatin1(bytes);
}

QString lastLine(QByteArrayView bytes) {
    qsizetype end = bytes.size();
    if (end > 0 && bytes[end - 1] == '\n')
        end -= end > 1 && bytes[end - 2] == '\r' ? 2 : 1;
    else if (end > 0 && bytes[end - 1] == '\r')
        --end;
    qsizetype start = end;
    while (start > 0 && bytes[start - 1] != '\n' && bytes[start - 1] != '\r')
        --start;
    return decode(bytes.sliced(start, end - start));
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
    return isDataLine(QStringView(decode(line.first(std::min<qsizetype>(29, line.size())))),
                      locale);
}

QString historyDate(const QString& text) {
    if (text.size() <= 11)
        return text;
    const auto date = values::readDate(text);
    return date ? values::ddMmmYyyy(*date) : text;
}

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
