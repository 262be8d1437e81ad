#pragma once

#include "calc/mainform.h"
#include "calc/presentation.h"
#include "scriptedhost.h"

#include <QStringList>
#include <initializer_list>
#include <utility>

// Shared set-up for the calculator tests, in whatever locale the test has set.
using Fields = std::initializer_list<std::pair<const char*, QString>>;

inline void setFields(MainForm& f, Fields fields) {
    for (const auto& [name, text] : fields)
        f.setText(QString::fromLatin1(name), text);
}

// The texts of the blank-separated controls.
inline QStringList texts(const MainForm& f, const QString& names) {
    QStringList out;
    for (const QString& name : names.split(' '))
        out.append(f.text(name));
    return out;
}

// Quarterly, a single normal rate, no extras: 91 days and 1200 units from fillReadings.
inline void fillTariff(MainForm& f) {
    f.ResultsLogName = QStringLiteral("Voltrake.log");
    f.HistoryLogName = QStringLiteral("Voltrake_H.log");
    SetTaxWording(f);
    setFields(f, {{"NormalR1", "0.14"}, {"CO2", "0.54"}});
}

inline void fillReadings(MainForm& f, const QString& date1 = QStringLiteral("01-Jan-2012"),
                         const QString& date2 = QStringLiteral("01-Apr-2012")) {
    setFields(f, {{"Date1", date1}, {"Date2", date2}, {"NRead1", "1000"}, {"NRead2", "2200"}});
}

inline QStringList boxTexts(const ScriptedHost& host) {
    QStringList out;
    for (const auto& box : host.boxes)
        out.append(box.title + QLatin1Char('|') + box.text);
    return out;
}
