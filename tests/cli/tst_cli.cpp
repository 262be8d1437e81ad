// SPDX-License-Identifier: GPL-3.0-or-later
// voltrake-cli as a user runs it: a separate process on a working directory, in a locale.
#include "records/csv.h"
#include "scriptedhost.h"
#include "text/files.h"
#include "text/values.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

struct Run {
    int exit = -1;
    QByteArray out;
    QString err;
};

Run run(const QString& locale, const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LC_ALL", "LANG", "LC_NUMERIC", "LC_TIME", "LC_MONETARY"})
        env.insert(name, locale + ".UTF-8");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VOLTRAKE_CLI), args);
    if (!p.waitForFinished(30000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

// A log with every moment (header and report first lines) made alike.
QByteArray momentless(QByteArray bytes) {
    static const QRegularExpression moment(QStringLiteral("(?m)^.*\\d\\d:\\d\\d:\\d\\d\r$"));
    return QString::fromLatin1(bytes).replace(moment, QStringLiteral("<moment>\r")).toLatin1();
}

QByteArray withoutFirstLine(const QByteArray& bytes) {
    return bytes.mid(bytes.indexOf('\n') + 1);
}

} // namespace

// installedIni(): Normal Rate 1 0.15, Cheap Rate 0.05, Fixed Charge 12.50 a quarter, VAT 17.5%,
// CO2 0.43, no prediction.
class TestCli : public QObject {
    Q_OBJECT
  private slots:
    void billSameAsSave_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QStringList>("fields"); // Date1 Date2 NRead1 NRead2 CRead1 CRead2 Notes
        const QStringList plain{"2012-01-01", "2012-04-01", "1000", "2000", "", "", ""};
        const QStringList cheap{"2012-01-05", "2012-07-20", "12345", "14000",
                                "300",        "900",        "Flat 2"};
        for (const char* locale : {"en_GB", "de_DE", "en_US"}) {
            QTest::addRow("%s normal", locale) << locale << installedIni() << plain;
            QTest::addRow("%s cheap, notes", locale) << locale << installedIni() << cheap;
            // Two quarters predicted, monthly periods, a break point: the prediction block.
            QTest::addRow("%s prediction", locale) << locale
                                                   << installedIni("Predict=1", "Predict=7")
                                                          .replace("PeriodT=1", "PeriodT=2")
                                                          .replace("BreakP=1", "BreakP=301")
                                                          .replace("NRate2=1", "NRate2=1.2")
                                                   << plain;
        }
    }

    // The report printed equals what Save appends, and --save writes the same logs.
    void billSameAsSave() {
        QFETCH(QString, locale);
        QFETCH(QByteArray, config);
        QFETCH(QStringList, fields);
        LocaleScope scope(locale);
        auto date = [](const QString& iso) {
            return values::shortDate(QDate::fromString(iso, Qt::ISODate));
        };
        const QStringList typed{date(fields[0]), date(fields[1]), fields[2], fields[3],
                                fields[4],       fields[5],       fields[6]};

        Workspace window;
        window.write("Data/Voltrake.ini", config);
        MainForm& f = window.form;
        f.load();
        QVERIFY(window.host.boxes.isEmpty());
        const QStringList names{"Date1", "Date2", "NRead1", "NRead2", "CRead1", "CRead2", "Notes"};
        for (int i = 0; i < names.size(); ++i)
            f.userSetText(names[i], typed[i]);
        f.buttonClicked("Calc");
        f.buttonClicked("Save");
        QCOMPARE(window.host.titles(), QStringList());

        QStringList args{"bill",   "--from",   typed[0], "--to",
                         typed[1], "--normal", typed[2], typed[3]};
        if (!typed[4].isEmpty())
            args << "--cheap" << typed[4] << typed[5];
        if (!typed[6].isEmpty())
            args << "--notes" << typed[6];

        Workspace cli;
        cli.write("Data/Voltrake.ini", config);
        const Run printed = run(locale, args + QStringList{"--dir", cli.dir()});
        QCOMPARE(printed.err, QString());
        QCOMPARE(printed.exit, 0);
        QCOMPARE(withoutFirstLine(printed.out), withoutFirstLine(files::encode(f.ReportText)));
        QVERIFY(!QFile::exists(cli.path("Log/Voltrake.log")));

        const Run saved = run(locale, args + QStringList{"--save", "--dir", cli.dir()});
        QCOMPARE(saved.exit, 0);
        QCOMPARE(momentless(cli.read("Log/Voltrake_H.log")),
                 momentless(window.read("Log/Voltrake_H.log")));
        // The window's log also has its start-up entry; the header and the report are the same.
        const QByteArray results = momentless(cli.read("Log/Voltrake.log"));
        const qsizetype header = results.indexOf("\r\n\r\n") + 4;
        QCOMPARE(results.left(header), momentless(window.read("Log/Voltrake.log")).left(header));
        QVERIFY(momentless(window.read("Log/Voltrake.log")).endsWith(results.mid(header)));

        // Saving the same readings again is refused, and nothing is written.
        const QByteArray history = cli.read("Log/Voltrake_H.log");
        const Run again = run(locale, args + QStringList{"--save", "--dir", cli.dir()});
        QCOMPARE(again.exit, 2);
        QCOMPARE(again.err, "Meter Reading Date 2 must be later than the last Meter Reading date "
                            "saved\nNo results or history data saved\n");
        QCOMPARE(cli.read("Log/Voltrake_H.log"), history);
    }

    void refused_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("err"); // the start of stderr; "%1" is the working directory
        const QStringList bill{"bill", "--from", "01/01/2012", "--to", "01/04/2012"};
        row("checks in order", "en_GB",
            QStringList{"bill", "--from", "31/02/2012", "--to", "x", "--normal", "0", "5"}, 2,
            "Date 1 must be a valid date\nDate 2 must be a valid date\nNormal Rate Reading 1 "
            "must "
            "be between 1 and 999900\nNormal Rate Reading 2 must be between 11 and 999999\n");
        row("decimal comma, de_DE", "de_DE",
            QStringList{"bill", "--from", "01.01.12", "--to", "01.04.12", "--normal", "1000,5",
                        "2000"},
            0, "");
        row("unknown option", "en_GB", bill + QStringList{"--normal", "1", "20", "--x"}, 64,
            "voltrake-cli: Unknown option 'x'.\nUsage: ");
        row("one reading", "en_GB", bill + QStringList{"--normal", "1000"}, 64,
            "voltrake-cli: --normal takes two readings\nUsage: ");
        row("no --to", "en_GB", QStringList{"bill", "--from", "01/01/2012"}, 64,
            "voltrake-cli: --to is required\nUsage: ");
        row("option of another command", "en_GB", QStringList{"history", "--save"}, 64,
            "voltrake-cli: option --save does not belong to history\nUsage: ");
        row("unknown command", "en_GB", QStringList{"bills"}, 64,
            "voltrake-cli: unknown command \"bills\"\nUsage: ");
        row("missing configuration", "en_GB",
            bill + QStringList{"--normal", "1000", "2000", "--config", "none.ini"}, 1,
            "voltrake-cli: none.ini: The configuration file is missing or corrupted.\n");
        row("version", "en_GB", QStringList{"--version"}, 0, "");
    }

    void refused() {
        QFETCH(QString, locale);
        QFETCH(QStringList, args);
        QFETCH(int, exit);
        QFETCH(QString, err);
        Workspace w;
        w.write("Data/Voltrake.ini", installedIni());
        const Run r = run(locale, args + QStringList{"--dir", w.dir()});
        QCOMPARE(r.exit, exit);
        QVERIFY2(err.isEmpty() ? r.err.isEmpty() : r.err.startsWith(err), qPrintable(r.err));
        if (exit == 0 && !args.contains("--version"))
            QVERIFY(r.out.contains("Total Cost"));
        if (args.contains("--version"))
            QCOMPARE(r.out, "voltrake-cli 3.1\n");
        QVERIFY(!QFile::exists(w.path("Log/Voltrake.log")));
    }

    // Bills under a plan, worked by hand: units x rate + days x standing charge, VAT on both,
    // export credited without VAT, each piece rounded to pence once.
    void planBill_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QByteArray>("plan");
        QTest::addColumn<QStringList>("args"); // after the plan
        QTest::addColumn<QByteArray>("out");
        const QByteArray header = "from,unit_p_per_kwh,standing_p_per_day,cheap_p_per_kwh,"
                                  "export_p_per_kwh,vat_percent\n";
        // (700 x 24.50 + 90 x 60.00) x 1.05 = 23677.5p, the half away from zero.
        row("one price, table", "en_GB", header + "2025-01-01,24.50,60.00,,,5\n",
            QStringList{"--from", "01/01/2025", "--to", "01/04/2025", "--normal", "12000", "12700"},
            QByteArray("From        To          Days   Units  Unit p/kWh  Standing p/day  VAT %  "
                       "  Cost\n"
                       "01/01/2025  01/04/2025    90  700.00       24.50           60.00      5 "
                       " 236.78\n"
                       "Total                     90  700.00                                    "
                       " 236.78\n\n"
                       "Cost per day: 2.63\nCost per unit: 0.34\n"));
        // 17 + 28 + 14 days share 590 normal and 118 cheap units. (170 x 20 + 34 x 8 + 17 x 50)
        // x 1.05 = 4748.1p; (280 x 30 + 56 x 12 + 28 x 40) x 1.05 = 10701.6p; 140 x 25 + 28 x 10
        // + 14 x 45 = 4410p without VAT. The CSV is the same in every locale.
        row("two price changes, csv", "de_DE",
            header + "2025-01-01,20,50,8,,5\n2025-02-01,30,40,12,,5\n2025-03-01,25,45,10,,\n",
            QStringList{"--from", "15.01.2025", "--to", "15.03.2025", "--normal", "1000", "1590",
                        "--cheap", "2000", "2118", "--format", "csv"},
            QByteArray("from,to,days,normal_units,unit_p_per_kwh,standing_p_per_day,cheap_units,"
                       "cheap_p_per_kwh,export_units,export_p_per_kwh,vat_percent,cost\n"
                       "2025-01-15,2025-02-01,17,170,20,50,34,8,0,,5,47.48\n"
                       "2025-02-01,2025-03-01,28,280,30,40,56,12,0,,5,107.02\n"
                       "2025-03-01,2025-03-15,14,140,25,45,28,10,0,,0,44.1\n"
                       "total,,59,590,,,118,,0,,,198.6\n"));
        // (300 x 25 + 100 x 10 + 30 x 50) x 1.05 = 10500p, less 200 x 15 exported.
        row("export, json", "en_US", header + "2025-01-01,25,50,10,15,5\n",
            QStringList{"--from", "1/1/2025", "--to", "1/31/2025", "--normal", "1000", "1300",
                        "--cheap", "500", "600", "--export", "0", "200", "--format", "json"},
            QByteArray(R"({"cheap_units":100,"cost_per_day":2.5,"cost_per_unit":0.1875,)"
                       R"("days":30,"export_units":200,"from":"2025-01-01","normal_units":300,)"
                       R"("pieces":[{"cheap_p_per_kwh":10,"cheap_units":100,"cost":75,)"
                       R"("days":30,"export_p_per_kwh":15,"export_units":200,)"
                       R"("from":"2025-01-01","normal_units":300,"standing_p_per_day":50,)"
                       R"("to":"2025-01-31","unit_p_per_kwh":25,"vat_percent":5}],)"
                       R"("to":"2025-01-31","total":75})"));
    }

    void planBill() {
        QFETCH(QString, locale);
        QFETCH(QByteArray, plan);
        QFETCH(QStringList, args);
        QFETCH(QByteArray, out);
        Workspace w;
        w.write("Data/Voltrake.ini", installedIni());
        w.write("mine.csv", plan);
        const Run r = run(locale, QStringList{"bill", "--plan", w.path("mine.csv")} + args +
                                      QStringList{"--dir", w.dir()});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.exit, 0);
        if (args.contains("json"))
            QCOMPARE(QJsonDocument::fromJson(r.out).toJson(QJsonDocument::Compact), out);
        else
            QCOMPARE(r.out, out);
    }

    // Plans and readings refused with the reason, nothing written; options that do not go
    // together are usage errors.
    void planRefused_data() {
        QTest::addColumn<QByteArray>("plan"); // null: no file
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("err"); // the start of stderr; %1 is the plan's path
        const QByteArray good = "from,unit_p_per_kwh,standing_p_per_day,cheap_p_per_kwh,"
                                "export_p_per_kwh,vat_percent\n2025-01-01,24.50,60.00,,,5\n";
        const QStringList quarter{"bill",       "--from",   "01/01/2025", "--to",
                                  "01/04/2025", "--normal", "12000",      "12700"};
        row("bad price", QByteArray(good).replace("24.50", "abc"), quarter, 2,
            "The plan %1 was refused.\nLine 2, column unit_p_per_kwh: \"abc\" is not a "
            "number.\n");
        row("no plan file", QByteArray(), quarter, 1,
            "voltrake-cli: %1: Unable to read the plan file.\n");
        row("one export reading", good, quarter + QStringList{"--export", "5"}, 64,
            "voltrake-cli: --export takes two readings\n");
        row("--save", good, quarter + QStringList{"--save"}, 64,
            "voltrake-cli: --save does not go with --plan: the logs hold "
            "bills of the configured tariff\nUsage: ");
        row("--format report", good, quarter + QStringList{"--format", "report"}, 64,
            "voltrake-cli: --format must be table, csv or json "
            "with --plan\n");
        row("compare with both", good, QStringList{"compare", "--config", "x.ini"}, 64,
            "voltrake-cli: one of --config and --plan is required\n");
    }

    void planRefused() {
        QFETCH(QByteArray, plan);
        QFETCH(QStringList, args);
        QFETCH(int, exit);
        QFETCH(QString, err);
        Workspace w;
        w.write("Data/Voltrake.ini", installedIni());
        w.write("Log/Voltrake_H.log", "");
        if (!plan.isNull())
            w.write("plan.csv", plan);
        const Run r =
            run("en_GB", args + QStringList{"--plan", w.path("plan.csv"), "--dir", w.dir()});
        QCOMPARE(r.exit, exit);
        QVERIFY2(r.err.startsWith(err.arg(w.path("plan.csv"))), qPrintable(r.err));
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(w.read("Log/Voltrake_H.log"), QByteArray());
        QVERIFY(!QFile::exists(w.path("Log/Voltrake.log")));
        QCOMPARE(w.read("plan.csv"), plan.isNull() ? QByteArray() : plan);
    }

    // Saved periods priced under a plan: one before its first date has no other total.
    // 01/02 to 01/03/2025 under the plan: (400 x 20 + 28 x 50) x 1.05 = 9870p.
    void comparePlan() {
        Workspace w;
        w.write("Data/Voltrake.ini", installedIni());
        QVERIFY(QDir(w.dir()).mkpath("Log"));
        w.write("plan.csv", "from,unit_p_per_kwh,standing_p_per_day,cheap_p_per_kwh,"
                            "export_p_per_kwh,vat_percent\n2025-02-01,20,50,,,5\n");
        for (const QStringList& period : {QStringList{"01/01/2025", "01/02/2025", "1000", "1300"},
                                          QStringList{"01/02/2025", "01/03/2025", "1300", "1700"}})
            QCOMPARE(run("en_GB", {"bill", "--from", period[0], "--to", period[1], "--normal",
                                   period[2], period[3], "--save", "--dir", w.dir()})
                         .exit,
                     0);
        const Run r = run("en_GB", {"compare", "--plan", w.path("plan.csv"), "--dir", w.dir()});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.exit, 0);
        QCOMPARE(r.out, "From        To          Own tariff   Plan  Difference\n"
                        "01/01/2025  01/02/2025       67.56\n"
                        "01/02/2025  01/03/2025       85.19  98.70       13.51\n"
                        "Total                        85.19  98.70       13.51\n");
    }

    // Periods saved come back from the history log in every format (the figures against the
    // saved reports are the history periods' own test), and compared with their own tariff they
    // differ by nothing. A break point per period and a second rate: the rate split is recomputed.
    void historyOfSaves_data() {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<bool>("cheap");
        row("en_GB", installedIni(), false);
        row("de_DE", installedIni("BreakP=1", "BreakP=301").replace("NRate2=1", "NRate2=1.2"),
            true);
    }

    void historyOfSaves() {
        QFETCH(QByteArray, config);
        QFETCH(bool, cheap);
        const QString locale = QTest::currentDataTag();
        LocaleScope scope(locale);
        Workspace w;
        w.write("Data/Voltrake.ini", config);
        const QList<QDate> dates{QDate(2012, 1, 5), QDate(2012, 4, 3), QDate(2012, 7, 11),
                                 QDate(2013, 1, 9)};
        const QStringList normal{"12345", "13107", "13650", "15990"},
            low{"300", "520", "610", "1490"};
        for (qsizetype i = 1; i < dates.size(); ++i) {
            QStringList args = QString("bill --from %1 --to %2 --save --normal %3 %4")
                                   .arg(values::shortDate(dates[i - 1]),
                                        values::shortDate(dates[i]), normal[i - 1], normal[i])
                                   .split(' ')
                               << "--dir" << w.dir();
            QCOMPARE(run(locale, cheap ? args << "--cheap" << low[i - 1] << low[i] : args).exit, 0);
        }
        const Run csv = run(locale, {"history", "--format", "csv", "--dir", w.dir()});
        QCOMPARE(csv.err + QString::number(csv.exit), "0");
        QVERIFY(!csv.out.contains('\r'));
        const QList<QStringList> rows = records::csv::parse(QString::fromUtf8(csv.out), u',');
        QCOMPARE(rows.size(), dates.size());
        QCOMPARE(rows.first(), records::columnNames());
        QCOMPARE(rows[1].size(), records::ColumnCount);
        QCOMPARE(rows[1][records::columnNames().indexOf("from")], values::isoDate(dates[0]));

        const QJsonArray json =
            QJsonDocument::fromJson(
                run(locale, {"history", "--format", "json", "--dir", w.dir()}).out)
                .array();
        QCOMPARE(json.size(), dates.size() - 1);
        QCOMPARE(json.last()["total"].toDouble(),
                 QLocale::c().toDouble(rows.last()[records::columnNames().indexOf("total")]));
        QCOMPARE(json.first()["cheap_from"].isNull(), !cheap);
        QCOMPARE(run(locale, {"history", "--dir", w.dir()}).out.count('\n'), dates.size());

        const Run compared = run(locale, {"compare", "--config", w.path("Data/Voltrake.ini"),
                                          "--format", "csv", "--dir", w.dir()});
        QCOMPARE(compared.err + QString::number(compared.exit), "0");
        const QList<QStringList> differences =
            records::csv::parse(QString::fromUtf8(compared.out), u',');
        QCOMPARE(differences.size(), dates.size() + 1); // header, periods, total
        for (qsizetype i = 1; i < differences.size(); ++i)
            QCOMPARE(QLocale::c().toDouble(differences[i].value(4)), 0.0);
    }

    // No history log is a file the message names (odd logs are the history parser's own test).
    void missingHistory() {
        Workspace w;
        w.write("Data/Voltrake.ini", installedIni());
        const Run missing = run("en_GB", {"history", "--dir", w.dir()});
        QCOMPARE(missing.exit, 1);
        QVERIFY2(missing.err.contains("Voltrake_H.log"), qPrintable(missing.err));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
