// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/historyfiles.h"

#include "form/mainform.h"
#include "records/csv.h"
#include "records/logformat.h"
#include "records/tariffchecks.h"
#include "text/files.h"
#include "text/values.h"
#include "ui/frmhistory.h"
#include "ui/historymodel.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QSaveFile>

namespace {

const QString ExportError = QStringLiteral("Voltrake Export Error");
const QString ImportTitle = QStringLiteral("Voltrake Import Readings");

QString historyPath(const MainForm& f) {
    return f.path(QStringLiteral("Log/") + f.HistoryLogName);
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
    const QByteArray csv = records::csv::historyCsv(savedPeriods(f));
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
    // A save with a tariff that fails its checks is refused; so is an import with it.
    records::TariffCheckInput check;
    check.text = tariffTexts(f);
    check.breakPointUnits = f.BreakPointUnits;
    check.breakPointPerDay = f.BreakPointPerDay;
    check.monthly = f.ticked(QStringLiteral("Period"));
    check.disc1Percent = f.ticked(QStringLiteral("Disc1P"));
    check.perDay = f.ticked(QStringLiteral("DRate"));
    check.stripCurrency = true;
    check.currencySymbol = f.CurrencySymbol;
    check.inhibit = f.RunMode == 1;
    if (const QStringList faults = records::checkTariff(check).messages();
        !faults.isEmpty() && !check.inhibit) {
        f.message(ImportTitle, QStringLiteral("The tariff in the window does not pass its "
                                              "checks, so nothing was imported:\r\n") +
                                   faults.join(QString()));
        return false;
    }
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
    if (!path.isEmpty())
        importReadingsFrom(f, path);
}

bool importReadingsFrom(MainForm& f, const QString& csvPath) {
    const files::NamedFile file = files::readNamed(csvPath);
    if (!file.bytes) {
        f.message(ImportTitle, QStringLiteral("Unable to read ") +
                                   QDir::toNativeSeparators(csvPath) +
                                   (file.refused ? QStringLiteral(": ") + file.fault : QString()) +
                                   QStringLiteral("."));
        return false;
    }
    // Spreadsheets write UTF-8; the readings are digits and dates either way.
    const QString text = QString::fromUtf8(*file.bytes);

    records::csv::ImportBase base;
    if (const auto bytes = files::readAll(historyPath(f))) {
        const auto saved = records::parseHistory(*bytes);
        if (!saved.isEmpty()) {
            const domain::HistoryRecord& last = saved.last().record;
            base.lastDate = last.date;
            base.lastNormal = last.normalReading;
            base.lastCheap = last.cheapReading;
        }
    }
    const auto read = records::csv::importReadings(text, base);
    if (const auto* refusal = std::get_if<QString>(&read)) {
        f.message(ImportTitle, *refusal, Host::Buttons::Ok, Host::Icon::Warning);
        return false;
    }
    std::vector<records::ImportedReading> readings;
    for (const records::csv::ImportRow& row : std::get<QList<records::csv::ImportRow>>(read))
        readings.push_back({row.date, row.normal, row.cheap});
    return importReadings(f, readings);
}
