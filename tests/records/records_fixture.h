#pragma once

#include "scriptedhost.h"
#include "text/files.h"

#include <QTest>

// en_GB, and the logs named as start-up names them.
struct Logs : Workspace {
    LocaleScope locale{"en_GB"};
    MainForm& f = form;
    Logs() { f.ResultsLogName = "Voltrake.log", f.HistoryLogName = "Voltrake_H.log"; }
};

// "Name=text;..." in order; "+Box" ticks a box.
inline void setFields(MainForm& f, const QString& assignments) {
    for (const QString& pair : assignments.split(';', Qt::SkipEmptyParts))
        if (pair.startsWith('+'))
            f.model.setChecked(pair.mid(1), true);
        else
            f.setText(pair.section('=', 0, 0), pair.section('=', 1));
}

inline QByteArray linesOf(const QStringList& lines) {
    return files::encode(lines.isEmpty() ? QString() : lines.join("\r\n") + "\r\n");
}

inline const QString DateMessage =
    "Meter Reading Date 2 must be later than the last Meter Reading date saved\n";
inline const QString VersionLine = "Version " + versionText();
inline const QStringList Columns =
    QString("Date       , Normal , Cheap  , Normal , Normal , Break , Cheap  , Fixed  , VAT  , "
            "Disc  , Disc    , Time|           , Reading, Reading, Rate 1 , Rate 2 , Point , "
            "Rate   , Charges, Rate , 1     , 2       ,     |-----------, -------, -------, "
            "-------, -------, ------, -------, -------, -----, ------, --------, ----")
        .split('|');
// A new history log's header, made at the workspace clock.
inline const QStringList HistoryHeader =
    ("Voltrake History Log|" + VersionLine + "|File Created|05-Dec-26 04:40:50|||").split('|') +
    Columns;

// A quarterly record of the history log, or a start record with its blank tariff.
inline QString recordLine(const QString& date, const QString& normal, const QString& cheap = {},
                          bool start = false) {
    return date.rightJustified(11) + ", " + normal.rightJustified(7) + ", " +
           cheap.rightJustified(7) +
           (start ? ",        ,        ,       ,        ,        ,      ,       ,         ,     "
                  : ", .123456, .000000, F    0, .000000,  £30.00,  5.0%,       ,         ,  Qtr");
}

// Header, start record, n records a day apart from 1 Jan 2020, headers before data line 41.
inline QStringList historyWith(int records) {
    QStringList lines = HistoryHeader + QStringList{recordLine("01/01/2020", "1000", {}, true)};
    for (int i = 1; i <= records; ++i)
        lines += (i % 40 ? QStringList() : QStringList{"", ""} + Columns)
                 << recordLine(QDate(2020, 1, 1).addDays(i).toString("dd/MM/yyyy"),
                               QString::number(1000 + i));
    return lines;
}
