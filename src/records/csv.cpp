// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/csv.h"

#include "text/values.h"

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace records::csv {

QString field(const QString& text, QChar separator) {
    if (!text.contains(separator) && !text.contains(u'"') && !text.contains(u'\r') &&
        !text.contains(u'\n'))
        return text;
    QString quoted = text;
    quoted.replace(u"\""_s, u"\"\""_s);
    return u'"' + quoted + u'"';
}

namespace {

void appendRow(QString& out, const QStringList& row) {
    for (qsizetype i = 0; i < row.size(); ++i) {
        if (i > 0)
            out += u',';
        out += field(row.at(i));
    }
    out += u'\n';
}

} // namespace

QByteArray document(const QList<QStringList>& rows) {
    QString out;
    for (const QStringList& row : rows)
        appendRow(out, row);
    return out.toUtf8();
}

QList<QStringList> parse(const QString& text, QChar separator, QList<qsizetype>* lineNumbers) {
    QList<QStringList> rows;
    QStringList row;
    QString current;
    bool quoted = false;
    bool rowStarted = false;
    qsizetype line = 1;
    qsizetype rowLine = 1;
    auto endField = [&] {
        row << current;
        current.clear();
    };
    auto endRow = [&] {
        endField();
        rows << row;
        if (lineNumbers)
            lineNumbers->append(rowLine);
        row.clear();
        rowStarted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!rowStarted) {
            rowStarted = true;
            rowLine = line;
        }
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text.at(i + 1) == u'"') {
                    current += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n')
                    ++line;
                current += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == separator) {
            endField();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            ++line;
            endRow();
        } else {
            current += c;
        }
    }
    if (rowStarted)
        endRow();
    return rows;
}

QString cell(const QVariant& value) {
    if (!value.isValid())
        return QString();
    if (value.typeId() == QMetaType::QDate)
        return values::isoDate(value.toDate());
    return values::plainNumber(value.toDouble(), QLocale::c());
}

static_assert(int(Column::From) == 0 && int(Column::To) == 1, "rows start with the dates");

QByteArray historyCsv(const QList<Period>& periods) {
    // Straight into the bytes, with no text per cell: a long history has hundreds of thousands
    // of cells. Dates and plain numbers never need quoting.
    QByteArray out;
    out.reserve((periods.size() + 1) * 128);
    QString header;
    appendRow(header, columnNames());
    out += header.toUtf8();
    for (const Period& p : periods) {
        out += values::isoDate(p.readings.date1).toLatin1();
        out += ',';
        out += values::isoDate(p.readings.date2).toLatin1();
        for (int c = int(Column::To) + 1; c < ColumnCount; ++c) {
            out += ',';
            if (const auto v = periodNumber(p, Column(c)))
                values::appendPlainNumber(out, *v);
        }
        out += '\n';
    }
    return out;
}

QByteArray comparisonCsv(const Comparison& comparison) {
    QList<QStringList> rows;
    rows << QStringList{u"from"_s, u"to"_s, u"own"_s, u"other"_s, u"difference"_s};
    auto number = [](const std::optional<double>& v) { return v ? cell(*v) : QString(); };
    for (const ComparedPeriod& r : comparison.rows) {
        rows << QStringList{cell(r.period->readings.date1), cell(r.period->readings.date2),
                            number(r.own), number(r.other), number(r.difference())};
    }
    rows << QStringList{u"total"_s, QString(), cell(comparison.own), cell(comparison.other),
                        cell(comparison.difference())};
    return document(rows);
}

namespace {

// A reading with a full stop or a decimal comma; grouping is not expected in a reading.
std::optional<double> reading(const QString& text) {
    const bool comma = text.contains(u',') && !text.contains(u'.');
    const QLocale locale = comma ? QLocale(QLocale::German, QLocale::Germany) : QLocale::c();
    if (!values::readsAsNumber(text, locale))
        return std::nullopt;
    return values::strictValue(text, locale);
}

bool readingInRange(double v) {
    return v >= 1 && v <= 999999;
}

} // namespace

std::variant<QList<ImportRow>, QString> importReadings(const QString& text, const ImportBase& base,
                                                       const QLocale& locale) {
    const qsizetype firstEnd = text.indexOf(u'\n');
    const QChar separator = text.left(firstEnd).contains(u';') ? u';' : u',';
    QList<qsizetype> lineNumbers;
    const QList<QStringList> cells = parse(text, separator, &lineNumbers);

    QList<std::pair<qsizetype, QString>> refusals;
    QList<ImportRow> rows;
    bool header = true;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        QStringList row = cells.at(i);
        for (QString& c : row)
            c = c.trimmed();
        while (!row.isEmpty() && row.back().isEmpty())
            row.removeLast();
        const qsizetype line = lineNumbers.at(i);
        if (row.isEmpty())
            continue;
        if (header) {
            header = false;
            if (values::readsAsDate(row.first(), locale))
                refusals.append({line, u"a header row must come first"_s});
            continue;
        }
        ImportRow r;
        r.line = line;
        bool ok = true;
        auto refuse = [&](const QString& reason) {
            refusals.append({line, reason});
            ok = false;
        };
        if (row.size() > 3)
            refuse(u"more than three columns"_s);
        if (const auto date = values::readDate(row.first(), locale))
            r.date = *date;
        else
            refuse(u"\"%1\" is not a date"_s.arg(row.first()));
        const auto normal = reading(row.value(1));
        if (!normal)
            refuse(u"the normal reading is not a number"_s);
        else if (!readingInRange(*normal))
            refuse(u"the normal reading must be between 1 and 999999"_s);
        else
            r.normal = *normal;
        if (row.size() > 2 && !row.at(2).isEmpty()) {
            const auto cheap = reading(row.at(2));
            if (!cheap)
                refuse(u"the cheap reading is not a number"_s);
            else if (*cheap != 0 && !readingInRange(*cheap))
                refuse(u"the cheap reading must be 0 or between 1 and 999999"_s);
            else
                r.cheap = *cheap;
        }
        if (ok)
            rows.append(r);
    }
    if (refusals.isEmpty() && rows.isEmpty())
        return u"The file holds no readings."_s;

    std::stable_sort(rows.begin(), rows.end(),
                     [](const ImportRow& a, const ImportRow& b) { return a.date < b.date; });
    std::optional<QDate> previous;
    std::optional<double> lastNormal = base.lastNormal;
    std::optional<double> lastCheap = base.lastCheap;
    for (const ImportRow& r : rows) {
        if (base.lastDate && r.date <= *base.lastDate)
            refusals.append({r.line, u"the date is not after the last saved date"_s});
        else if (previous && r.date <= *previous)
            refusals.append({r.line, u"the date is not after the previous row's date"_s});
        if (lastNormal && r.normal < *lastNormal)
            refusals.append({r.line, u"the normal reading is lower than the one before"_s});
        if (lastCheap && r.cheap && *r.cheap < *lastCheap)
            refusals.append({r.line, u"the cheap reading is lower than the one before"_s});
        previous = r.date;
        lastNormal = r.normal;
        if (r.cheap)
            lastCheap = r.cheap;
    }
    if (refusals.isEmpty())
        return rows;

    std::stable_sort(refusals.begin(), refusals.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QString message = u"No readings were imported:"_s;
    for (const auto& [line, reason] : refusals)
        message += u"\nLine %1: %2"_s.arg(line).arg(reason);
    return message;
}

} // namespace records::csv
