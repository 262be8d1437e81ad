#pragma once

#include "form/mainform.h"
#include "form/presentation.h"
#include "scriptedhost.h"

#include <QtTest>

// A workspace whose form lives in the given locale.
struct Form : LocaleScope, Workspace {
    explicit Form(const char* locale) : LocaleScope(locale) {}
};

inline const QString AllResults =
    "TDays NRUnits CRUnits R1Units R2Units NR1Cost NR2Cost CRCost D1Cost D2Cost CDay UDay CO2Day "
    "TVCost TSCharge TCO2 VCost TDaysP NRUnitsP CRUnitsP R1UnitsP R2UnitsP NR1CostP NR2CostP "
    "CRCostP D1CostP D2CostP TVCostP TSChargeP TCO2P VCostP";

// Does what the user does, in order: "Field=text" typed, "Box" ticked, "!Box" cleared, "Calc"
// clicked; "Saved" disables Save as a save does; "-InhibitErrorCheck" as on the command line.
inline void apply(MainForm& f, const QString& changes) {
    for (const QString& c : changes.split(';', Qt::SkipEmptyParts)) {
        if (c == "Calc")
            f.buttonClicked(c);
        else if (c == "Saved")
            f.model.setEnabled("Save", false);
        else if (c == "-InhibitErrorCheck")
            f.RunMode = 1;
        else if (c.contains('='))
            f.userSetText(c.section('=', 0, 0), c.section('=', 1));
        else
            f.userSetChecked(c.mid(c.startsWith('!') ? 1 : 0), !c.startsWith('!'));
    }
}

// Quarterly, a single normal rate, no extras: 91 days and 1200 units; then the changes.
inline void fillForm(MainForm& f, const QString& changes = {}) {
    SetTaxWording(f);
    apply(f, "NormalR1=0.14;CO2=0.54;Date1=01-Jan-2012;Date2=01-Apr-2012;NRead1=1000;NRead2=2200;" +
                 changes);
}

// The texts of the blank-separated controls; "*" marks one shown in the credit colour.
inline QStringList shown(const MainForm& f, const QString& names) {
    QStringList out;
    for (const QString& name : names.split(' '))
        out.append(f.text(name) + (f.model.colour(name) == colour::Credit ? "*" : ""));
    return out;
}

// Compares "Name=text;..." with what the controls it names show.
inline void checkTexts(const MainForm& f, const QString& expected) {
    QStringList out;
    for (const QString& e : expected.split(';', Qt::SkipEmptyParts))
        out.append(e.section('=', 0, 0) + '=' + shown(f, e.section('=', 0, 0)).first());
    QCOMPARE(out.join(';'), expected);
}
