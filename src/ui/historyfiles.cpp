// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/historyfiles.h"

#include "form/mainform.h"
#include "records/logformat.h"
#include "text/files.h"
#include "text/values.h"
#include "ui/frmhistory.h"
#include "ui/historymodel.h"

#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QSaveFile>

namespace {

const QString ExportError = QStringLiteral("Voltrake Export Error");
const QString ImportTitle = QStringLiteral("Voltrake Import Readings");

QString historyPath(const MainForm& f) {
    return f.path(QStringLiteral("Log/") + f.HistoryLogName);
}

// The saved periods as CSV: a header row, ISO dates, "." decimals, no grouping, LF.
QByteArray periodsCsv(const std::vector<PeriodFigures>& periods) {
    const QLocale c = QLocale::c();
    auto n = [&c](double v) { return values::plainNumber(v, c).toUtf8(); };
    auto reading = [&n](const std::optional<double>& v) { return v ? n(*v) : QByteArray(); };
    QByteArray out = "from,to,days,normal_from,normal_to,cheap_from,cheap_to,normal_units,cheap_"
                     "units,units_per_day,rate1_cost,rate2_cost,"
                     "cheap_cost,fixed_charges,discount1,vat,discount2,total,cost_per_day\n";
    for (const PeriodFigures& p : periods) {
        out += p.from.toString(Qt::ISODate).toUtf8() + ',' + p.to.toString(Qt::ISODate).toUtf8() +
               ',' + n(double(p.days)) + ',' + n(p.normalFrom) + ',' + n(p.normalTo) + ',' +
               reading(p.cheapFrom) + ',' + reading(p.cheapTo) + ',' + n(p.normalUnits) + ',' +
               n(p.cheapUnits) + ',' + n(p.unitsPerDay) + ',' + n(p.rate1Cost) + ',' +
               n(p.rate2Cost) + ',' + n(p.cheapCost) + ',' + n(p.fixedCharges) + ',' +
               n(p.discount1) + ',' + n(p.vat) + ',' + n(p.discount2) + ',' + n(p.total) + ',' +
               n(p.costPerDay) + '\n';
    }
    return out;
}

// The tariff fields and switches as the window holds them now.
QMap<QString, QString> tariffTexts(const MainForm& f) {
    QMap<QString, QString> texts;
    for (const char* name :
         {"NormalR1", "NormalR2", "BPoint", "CheapR", "SCharge", "Disc1", "Disc2", "VAT", "CO2"})
        texts[QLatin1String(name)] = f.text(QLatin1String(name));
    return texts;
}

billformat::Modes modes(const MainForm& f) {
    billformat::Modes m;
    m.perDay = f.ticked(QStringLiteral("DRate"));
    m.monthly = f.ticked(QStringLiteral("Period"));
    m.disc1Percent = f.ticked(QStringLiteral("Disc1P"));
    m.disc2Fixed = f.ticked(QStringLiteral("Disc2F"));
    return m;
}

} // namespace

bool exportHistoryTo(MainForm& f, const QString& path) {
    const auto bytes = files::readAll(historyPath(f));
    const QByteArray csv = periodsCsv(periodsFromLog(bytes ? files::decode(*bytes) : QString()));
    // Written beside the target and renamed into place: a failure leaves no partial file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size() || !file.commit()) {
        f.message(ExportError,
                  QStringLiteral("Unable to write the history to ") +
                      QDir::toNativeSeparators(path) +
                      QStringLiteral(".\r\nThis may be a permissions problem."),
                  Host::Buttons::Ok, Host::Icon::Warning);
        return false;
    }
    f.setStatus(QStringLiteral("History Exported"));
    return true;
}

void exportHistoryCsv(MainForm& f, QWidget* parent) {
    const QString suggested =
        QDir::home().filePath(QStringLiteral("Voltrake_History_") +
                              QDate::currentDate().toString(Qt::ISODate) + QStringLiteral(".csv"));
    const QString path =
        QFileDialog::getSaveFileName(parent, QStringLiteral("Export History as CSV"), suggested,
                                     QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (!path.isEmpty())
        exportHistoryTo(f, path);
}

bool importReadings(MainForm& f, const std::vector<records::ImportedReading>& readings) {
    const QString path = historyPath(f);
    const QString taxWord = f.model.caption(QStringLiteral("VATH")).left(3);
    QString log;
    if (files::fileExists(path)) {
        const auto bytes = files::readAll(path);
        if (!bytes) {
            f.message(ImportTitle, QStringLiteral("Unable to read the history log ") +
                                       f.HistoryLogName + QStringLiteral("."));
            return false;
        }
        log = files::decode(*bytes);
    } else {
        log = records::headerBlock(QStringLiteral("Voltrake History Log"),
                                   values::ddMmmYyTime(f.host.now())) +
              records::historyColumnHeaders(taxWord) + files::crlf;
    }
    const auto imported =
        records::historyWithReadings(log, readings, tariffTexts(f), modes(f), taxWord);
    if (!imported) {
        f.message(ImportTitle, QStringLiteral("The readings cannot be priced with the current "
                                              "tariff. Nothing was imported."));
        return false;
    }
    if (!files::replace(path, imported->text)) {
        f.message(ImportTitle, QStringLiteral("Unable to write to the history log ") +
                                   f.HistoryLogName +
                                   QStringLiteral(".\r\nThis may be a permissions problem."));
        return false;
    }
    refreshHistoryWindow();
    f.message(ImportTitle,
              QString::number(imported->readings) +
                  (imported->readings == 1 ? QStringLiteral(" reading was imported.")
                                           : QStringLiteral(" readings were imported.")),
              Host::Buttons::Ok, Host::Icon::None);
    return true;
}

void importReadingsCsv(MainForm& f, QWidget* parent) {
    const QString path = QFileDialog::getOpenFileName(
        parent, QStringLiteral("Import Readings from CSV"), QDir::homePath(),
        QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    f.message(ImportTitle, QStringLiteral("Reading readings files is not available yet."),
              Host::Buttons::Ok, Host::Icon::None);
}
