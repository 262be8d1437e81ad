#include "form/dump.h"

#include "form/mainform.h"
#include "text/files.h"
#include "text/values.h"

#include <exception>
#include <initializer_list>

namespace {

using files::crlf;

QString joined(const MainForm& f, std::initializer_list<const char*> fields) {
    QStringList texts;
    for (const char* name : fields) {
        const QString control = QLatin1String(name);
        const auto& state = f.model.state(control);
        texts.append(state.design.kind == ControlKind::CheckBox
                         ? QString::number(f.model.value(control))
                         : state.text);
    }
    return texts.join(QStringLiteral(", "));
}

// The dump, one line-write at a time; a write that fails stops the rest, and what was written
// before it stays in the log.
void writeDump(MainForm& f, const QString& where, int location) {
    if (!f.FileSystem)
        return;
    const QString log = f.path(QStringLiteral("Log/") + f.ResultsLogName);
    if (f.ResultsLogName.isEmpty() || !files::fileExists(log))
        return;
    const QDateTime now = f.host.now();
    const QStringList writes = {
        values::shortDate(now.date()) + QLatin1Char(' ') + values::timeOfDay(now.time()),
        QStringLiteral("Voltrake") + crlf + QStringLiteral("Version ") + versionText() + crlf,
        QStringLiteral("******** ") + where + QLatin1Char(' ') + QString::number(location) +
            QStringLiteral(" ********") + crlf,
        QStringLiteral("Dump of configuration file and available program data follows:") + crlf +
            crlf,
        f.ConfigText + crlf,
        QStringLiteral("Electricity Data") + crlf + QString(16, QLatin1Char('-')),
        joined(f,
               {"NormalR1", "NormalR2", "SCharge", "Disc1", "Disc2", "CheapR", "VAT", "BPoint",
                "PRate", "DRate", "CO2", "Disc1P", "Period", "Disc2F", "NoHistory", "UpEnable1"}) +
            crlf,
        QStringLiteral("Program Internals") + crlf + QString(17, QLatin1Char('-')),
        QStringList{f.BreakPointUnits, f.BreakPointPerDay, QString::number(f.RunOnTop),
                    QString::number(f.DRateSetting), QString::number(f.LogLevel)}
                .join(QStringLiteral(", ")) +
            crlf,
        QStringLiteral("Program Data") + crlf + QString(12, QLatin1Char('-')),
        joined(f, {"Date1", "Date2", "NRead1", "NRead2"}) + QStringLiteral(", ") + crlf +
            f.text(QStringLiteral("Notes")) + crlf,
        QStringLiteral("Program Actual") + crlf + QString(14, QLatin1Char('-')),
        joined(f,
               {"TDays", "NRUnits", "CRUnits", "R1Units", "R2Units", "NR1Cost", "NR2Cost", "CRCost",
                "TSCharge", "D1Cost", "VCost", "D2Cost", "TVCost", "UDay", "CDay", "TCO2"}) +
            crlf,
        QStringLiteral("Program Predicted") + crlf + QString(17, QLatin1Char('-')),
        joined(f, {"TDaysP", "NRUnitsP", "CRUnitsP", "R1UnitsP", "R2UnitsP", "NR1CostP", "NR2CostP",
                   "CRCostP", "TSChargeP", "D1CostP", "VCostP", "D2CostP", "TVCostP", "TCO2P"}) +
            crlf,
        QStringLiteral("***** End of Error Dump *****") + crlf + crlf,
    };
    for (const QString& line : writes) {
        if (!files::append(log, line + crlf))
            return;
    }
}

} // namespace

void FatalErrorDump(MainForm& f, const QString& where, int location) {
    try {
        writeDump(f, where, location);
    } catch (const std::exception&) {
        // Whatever was written stays; the user is told all the same.
    }
    f.message(QStringLiteral("Voltrake Fatal Error"),
              QStringLiteral("Error Number ") + QString::number(location) + crlf +
                  QStringLiteral("A Fatal ") + where + QStringLiteral(" Has Occurred") + crlf +
                  QStringLiteral("The Program Will Now Terminate"),
              Host::Buttons::Ok, Host::Icon::Error);
    f.endProgram();
}
