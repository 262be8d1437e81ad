#pragma once

#include "calc/mainform.h"
#include "scriptedhost.h"
#include "shell/files.h"

#include <QTest>

// A workspace in en_GB with the two logs named as start-up names them.
struct Logs : Workspace {
    LocaleScope locale{"en_GB"};
    Logs() {
        form.ResultsLogName = "Voltrake.log";
        form.HistoryLogName = "Voltrake_H.log";
    }
};

// "Name=text;..." in order: "+Box" ticks a box, VATH sets that label's caption, the four
// cost-before texts go to their variables, anything else is a control's text.
inline void setFields(MainForm& f, const QString& spec) {
    const QMap<QString, QString*> vars = {
        {"CostBeforeDiscount1", &f.CostBeforeDiscount1},
        {"CostBeforeTax", &f.CostBeforeTax},
        {"PredictedCostBeforeDiscount1", &f.PredictedCostBeforeDiscount1},
        {"PredictedCostBeforeTax", &f.PredictedCostBeforeTax}};
    for (const QString& pair : spec.split(';', Qt::SkipEmptyParts)) {
        const QString name = pair.section('=', 0, 0), value = pair.section('=', 1);
        if (name.startsWith('+'))
            f.model.setChecked(name.mid(1), true);
        else if (name == "VATH")
            f.model.setCaption(name, value);
        else if (vars.contains(name))
            *vars[name] = value;
        else
            f.setText(name, value);
    }
}

// Each line followed by CR LF, in the code page the logs are written in.
inline QByteArray linesOf(const QStringList& lines) {
    return files::encode(lines.isEmpty() ? QString() : lines.join("\r\n") + "\r\n");
}

inline QStringList boxTexts(const ScriptedHost& host) {
    QStringList texts;
    for (const auto& box : host.boxes)
        texts.append(box.title + '|' + box.text);
    return texts;
}

inline const QString VersionLine = "Version " + versionText();
inline const QStringList Columns =
    QString("Date       , Normal , Cheap  , Normal , Normal , Break , Cheap  , Fixed  , VAT  , "
            "Disc  , Disc    , Time\n           , Reading, Reading, Rate 1 , Rate 2 , Point , "
            "Rate   , Charges, Rate , 1     , 2       ,     \n-----------, -------, -------, "
            "-------, -------, ------, -------, -------, -----, ------, --------, ----")
        .split('\n');

// The ten header lines of a history log created at the workspace clock.
inline QStringList historyHeader() {
    const QString top =
        "Voltrake History Log\n" + VersionLine + "\nFile Created\n05-Dec-26 04:40:50";
    return (top + "\n\n\n").split('\n') + Columns;
}

inline QString recordLine(const QString& date, const QString& normal, const QString& cheap = {}) {
    return date.rightJustified(11) + ", " + normal.rightJustified(7) + ", " +
           cheap.rightJustified(7) +
           ", .123456, .000000, F    0, .000000,  £30.00,  5.0%,       ,         ,  Qtr";
}

inline QString startLine(const QString& date, const QString& normal) {
    return date.rightJustified(11) + ", " + normal.rightJustified(7) +
           ",        ,        ,        ,       ,        ,        ,      ,       ,         ,     ";
}

// Header, start record and n records on consecutive days from 1 Jan 2020, with the column
// headers again before every 41st data line, as saves write them.
inline QStringList historyWith(int records) {
    QStringList lines = historyHeader() << startLine("01/01/2020", "1000");
    for (int i = 1; i <= records; ++i) {
        if (i % 40 == 0)
            lines += QStringList{"", ""} + Columns;
        lines << recordLine(QDate(2020, 1, 1).addDays(i).toString("dd/MM/yyyy"),
                            QString::number(1000 + i));
    }
    return lines;
}
