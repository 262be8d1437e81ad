// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/configformat.h"
#include "records/csv.h"
#include "records/historyimport.h"
#include "records/historyperiods.h"
#include "records_fixture.h"
#include "text/values.h"

using namespace records;

namespace {

// The configuration as shipped, as lines.
QStringList iniLines(const QString& replace = {}, const QString& with = {}) {
    QString text = QString::fromLatin1(installedIni());
    if (!replace.isEmpty())
        text.replace(replace, with);
    return text.split("\r\n");
}

} // namespace

class TestHistCore : public QObject {
    Q_OBJECT

  private slots:
    void configuration_data() {
        QTest::addColumn<QString>("replace");
        QTest::addColumn<QString>("with");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QString>("messages");
        row("as shipped", "", "", true, "");
        row("switch", "Disc1PT=1", "Disc1PT=3", false, "Disc1PT must be 1 or 2");
        row("other switch", "Disc2FT=1", "Disc2FT=0", false, "Disc2FT must be 1 or 2");
        row("whole setting rounded", "LogLevel=1", "LogLevel=0.6", true, "");
        row("range", "NRate1=0.150000", "NRate1=1.5", false,
            "Normal Rate 1 must be between 0.010000 and 0.990000");
        row("missing key", "VRate=18.5", "", false, "");
        row("missing section", "[Run]", "", false, "");
        row("overflow", "LogLevel=1", "LogLevel=99999", false, "");
        row("commented", "\nDRate=1", "\n#DRate=1", false, "");
    }
    void configuration() {
        QFETCH(QString, replace);
        QFETCH(QString, with);
        QFETCH(bool, read);
        QFETCH(QString, messages);
        LocaleScope locale("en_GB");
        const Configuration c = readConfiguration(iniLines(replace, with));
        QCOMPARE(c.ok(), read);
        QCOMPARE(c.messages.join('\n'), messages);
        if (!read)
            return;
        QCOMPARE(c.text.value("NormalR1"), "£0.150000");
        QCOMPARE(c.text.value("VAT"), "17.5");
        QCOMPARE(c.text.value("CO2"), "0.43");
        const auto t = c.tariff();
        QVERIFY(t);
        QCOMPARE(t->normalRate1, 0.15);
        QCOMPARE(t->fixedCharge, 12.5);
        // What Save Defaults would write reads back the same.
        ConfigFileInput in;
        // Save Defaults writes the fields after the checks took the symbol away.
        for (auto it = c.text.cbegin(); it != c.text.cend(); ++it)
            in.text[it.key()] = withoutSymbol(it.value(), "£");
        in.breakPointUnits = c.settings.breakPointUnits;
        in.breakPointPerDay = c.settings.breakPointPerDay;
        const Configuration again = readConfiguration(configurationFileText(in).split(files::crlf));
        QVERIFY(again.ok());
        QCOMPARE(again.text, c.text);
    }

    // Odd logs give the data lines they have and never fail.
    void parseOddLogs_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("periods");
        row("empty", QByteArray(), 0, 0);
        row("headers and 3", linesOf(historyWith(3)), 4, 3);
        row("binary", QByteArray(5000, '\x9d') + linesOf(historyWith(2)), 3, 2);
        row("enormous line", linesOf(historyWith(1)) + QByteArray(2'000'000, '7') + "\r\n", 2, 1);
        row("older layout", linesOf({"01/01/2020;1000;0", recordLine("01/02/2020", "1100")}), 1, 0);
        QByteArray zeros(300, '\0');
        row("nul bytes", zeros + linesOf(historyWith(1)) + zeros, 2, 1);
    }
    void parseOddLogs() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, records);
        QFETCH(int, periods);
        LocaleScope locale("en_GB");
        const auto parsed = parseHistory(bytes);
        QCOMPARE(parsed.size(), records);
        QCOMPARE(historyPeriods(parsed, 0.43).size(), periods);
        QCOMPARE(historyPeriods(QByteArrayView(bytes), 0.43).size(), periods);
    }

    // Saves through the form; every period's figures are those of the report saved for it.
    void periodsEqualSavedReports() {
        Logs ws;
        ws.write("Data/Voltrake.ini", installedIni());
        ws.f.baseDir = ws.dir();
        ws.f.load();
        QVERIFY(!ws.f.ended());
        const QStringList inputs = {
            "01/01/2012 01/04/2012 1000 1850 100 300", "01/04/2012 15/08/2012 1850 2400 300 777",
            "15/08/2012 01/09/2012 2400 2411 777 790", "01/09/2012 01/01/2013 2411 4000 790 950"};
        QList<QStringList> saved;
        int round = 0;
        for (const QString& row : inputs) {
            const QStringList v = row.split(' ');
            for (int i = 0; i < 6; ++i)
                ws.f.userSetText(
                    QStringList{"Date1", "Date2", "NRead1", "NRead2", "CRead1", "CRead2"}[i], v[i]);
            if (++round == 3)
                ws.f.userSetChecked("DRate", true);
            if (round == 3)
                ws.f.userSetText("BPoint", "2.5");
            if (round == 3)
                ws.f.userSetText("NormalR2", "0.1");
            ws.f.buttonClicked("Calc");
            QCOMPARE(ws.f.DataErrors, QString());
            ws.f.buttonClicked("Save");
            QCOMPARE(ws.f.text("Status"), "Calculation Saved");
            saved.append({ws.f.text("TVCost"), ws.f.text("TSCharge"), ws.f.text("VCost"),
                          ws.f.text("NR2Cost"), ws.f.text("TCO2"), ws.f.text("TDays")});
        }
        const QByteArray log = ws.read("Log/Voltrake_H.log");
        const auto periods = historyPeriods(QByteArrayView(log), 0.43);
        QCOMPARE(periods.size(), inputs.size());
        for (int i = 0; i < periods.size(); ++i) {
            const Period& p = periods.at(i);
            QVERIFY(p.bill);
            const auto money = [](Column c, const Period& p) {
                return values::moneyResult(periodValue(p, c).toDouble());
            };
            QCOMPARE(money(Column::Total, p), saved[i][0]);
            QCOMPARE(money(Column::FixedCharges, p), saved[i][1]);
            QCOMPARE(money(Column::Vat, p), saved[i][2]);
            if (!saved[i][3].isEmpty())
                QCOMPARE(money(Column::Rate2Cost, p), saved[i][3]);
            QCOMPARE(values::plainNumber(periodValue(p, Column::Co2).toDouble()), saved[i][4]);
            QCOMPARE(values::plainNumber(periodValue(p, Column::Days).toDouble()), saved[i][5]);
        }
        // Priced under its own tariff, no period costs more or less.
        const Comparison same = compareTariff(periods, periods.last().tariff);
        QCOMPARE(same.rows.size(), periods.size());
        QCOMPARE(same.rows.last().difference().value_or(1), 0.0);

        // The CSV reads back: header, one row per period, totals as saved.
        const QByteArray bytes = csv::historyCsv(periods);
        const auto rows = csv::parse(QString::fromUtf8(bytes), ',');
        QCOMPARE(rows.size(), periods.size() + 1);
        QCOMPARE(rows.first(), columnNames());
        const int total = columnNames().indexOf("total");
        for (int i = 0; i < periods.size(); ++i)
            QCOMPARE(values::moneyResult(rows[i + 1][total].toDouble()), saved[i][0]);
    }

    void csvQuoting_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        row("plain", "12.5", "12.5");
        row("comma", "a,b", "\"a,b\"");
        row("quote", "say \"hi\"", "\"say \"\"hi\"\"\"");
        row("line end", "a\r\nb", "\"a\r\nb\"");
        row("unicode", "£€", "£€");
    }
    void csvQuoting() {
        QFETCH(QString, text);
        QFETCH(QString, field);
        QCOMPARE(csv::field(text), field);
        const QByteArray doc = csv::document({{text, "x"}, {"y", text}});
        const auto back = csv::parse(QString::fromUtf8(doc), ',');
        QCOMPARE(back, (QList<QStringList>{{text, "x"}, {"y", text}}));
    }

    void importReadings_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result"); // rows "date normal cheap|..." or the message
        const QString last = "the date is not after the last saved date";
        row("sorted, ISO and short dates, ;",
            "Date;Normal;Cheap\n2021-03-01;1300,5;20\n01/02/2021;1200;10\n",
            "2021-02-01 1200 10|2021-03-01 1300.5 20");
        row("comma, quoted decimal comma, no cheap", "date,normal\r\n2021-02-01,\"1200,5\"\r\n\r\n",
            "2021-02-01 1200.5 -");
        row("every bad line named",
            "d,n,c\n2020-12-01,1200\nnonsense,5\n2021-02-01,abc\n2021-03-01,1000000\n",
            "No readings were imported:\nLine 2: " + last +
                "\nLine 3: \"nonsense\" is not a date"
                "\nLine 4: the normal reading is not a number"
                "\nLine 5: the normal reading must be between 1 and 999999");
        row("backwards and repeated date",
            "d,n,c\n2021-02-01,1200,50\n2021-03-01,1100,40\n2021-03-01,1300\n",
            "No readings were imported:\nLine 3: the normal reading is lower than the one "
            "before\nLine 3: the cheap reading is lower than the one before\nLine 4: the date "
            "is not after the previous row's date");
        row("no header", "2021-02-01,1200\n",
            "No readings were imported:\nLine 1: a header row must "
            "come first");
        row("nothing", "", "The file holds no readings.");
    }
    void importReadings() {
        QFETCH(QString, text);
        QFETCH(QString, result);
        LocaleScope locale("en_GB");
        const auto out = csv::importReadings(text, {QDate(2021, 1, 1), 1000.0, 5.0});
        if (const auto* message = std::get_if<QString>(&out)) {
            QCOMPARE(*message, result);
            return;
        }
        QStringList rows;
        for (const csv::ImportRow& r : std::get<QList<csv::ImportRow>>(out))
            rows << r.date.toString(Qt::ISODate) + ' ' + QString::number(r.normal) + ' ' +
                        (r.cheap ? QString::number(*r.cheap) : "-");
        QCOMPARE(rows.join('|'), result);
    }

    // Imported readings of later decades are written so that they read back as the same
    // dates, also where the short date has a two-digit year.
    void importedLaterDates() {
        for (const char* name : {"en_US", "de_DE"}) {
            LocaleScope locale(name);
            const std::vector<ImportedReading> readings{{QDate(2026, 12, 7), 1000, {}},
                                                        {QDate(2035, 3, 1), 2000, {}},
                                                        {QDate(2099, 12, 31), 3000, {}}};
            const auto imported =
                historyWithReadings(HistoryHeader.join("\r\n") + "\r\n", readings,
                                    {{"NormalR1", "0.14"}, {"CO2", "0.54"}}, {}, "VAT");
            QVERIFY(imported);
            const auto periods = historyPeriods(QByteArrayView(files::encode(imported->text)), 0.5);
            QCOMPARE(periods.size(), 2);
            QCOMPARE(periods[0].readings.date1, QDate(2026, 12, 7));
            QCOMPARE(periods[1].readings.date1, QDate(2035, 3, 1));
            QCOMPARE(periods[1].readings.date2, QDate(2099, 12, 31));
        }
    }

    // Column headers before every 41st data line, as saves write them, counting the lines
    // already in the log.
    void importedHeaderBlocks() {
        LocaleScope locale("en_GB");
        std::vector<ImportedReading> readings;
        for (int i = 0; i < 45; ++i)
            readings.push_back({QDate(2016, 1, 1).addDays(30 * i), 1000.0 + 300 * i, {}});
        const QMap<QString, QString> tariff{{"NormalR1", "0.14"}, {"CO2", "0.54"}};
        const auto first =
            historyWithReadings(HistoryHeader.join("\r\n") + "\r\n",
                                {readings.begin(), readings.begin() + 39}, tariff, {}, "VAT");
        QVERIFY(first && first->text.count("Date       , Normal") == 1);
        const auto more = historyWithReadings(first->text, {readings.begin() + 39, readings.end()},
                                              tariff, {}, "VAT");
        QVERIFY(more);
        QCOMPARE(more->text.count("Date       , Normal"), 2);
        QCOMPARE(parseHistory(files::encode(more->text)).size(), 45);
    }
};

QTEST_GUILESS_MAIN(TestHistCore)
#include "tst_histcore.moc"
