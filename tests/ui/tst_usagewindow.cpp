// SPDX-License-Identifier: GPL-3.0-or-later
#include "scriptedhost.h"
#include "text/values.h"
#include "ui/frmusage.h"
#include "ui/menubar.h"
#include "ui/usageviews.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// The Voltrake CSV's times are read in the system's zone: a household in Great Britain.
[[maybe_unused]] const bool InLondon = qputenv("TZ", "Europe/London");
const QTimeZone London("Europe/London");

// Half-hours of local days [from, to) as Voltrake CSV; kWh from the hour of day.
QByteArray halfHours(const QDate& from, const QDate& to) {
    QByteArray csv = "start,end,kwh,direction,estimated\n";
    for (QDateTime a(from, QTime(0, 0), London); a.date() < to; a = a.addSecs(1800))
        csv += a.toString(Qt::ISODate).toUtf8() + ',' +
               a.addSecs(1800).toString(Qt::ISODate).toUtf8() + ',' +
               QByteArray::number(0.1 + a.time().hour() / 20.0) + ",import,0\n";
    return csv;
}

QByteArray tariff(const char* name, const char* clock, const char* bands) {
    return QString(R"({"name": "%1", "zone": "Europe/London", "clock": "%2", "periods": [{"from":
        "2024-01-01", "standing_p_per_day": 50, "vat_percent": 5, "bands": [%3]}]})")
        .arg(name, clock, bands)
        .toUtf8();
}
const QByteArray Flat = tariff("Flat", "local", R"({"name": "All day", "p_per_kwh": 24.5})");
const QByteArray Night = tariff("Night", "utc", R"({"name": "Night", "from": "00:30", "to":
    "07:30", "p_per_kwh": 13}, {"name": "Day", "p_per_kwh": 31})");
const QByteArray Broken = tariff("Broken", "local", R"({"name": "Day", "from": "25:00", "to":
    "07:00", "p_per_kwh": 13}, {"name": "Rest", "p_per_kwh": 31})");

struct UsageDesk : Workspace {
    LocaleScope locale{"en_GB"};
    QWidget* window = nullptr;

    ~UsageDesk() { delete usageWindow(); }
    void open() {
        window = showUsageWindow(form, nullptr);
        idle();
    }
    void idle() const { QTRY_VERIFY_WITH_TIMEOUT(!window->property("busy").toBool(), 60000); }
    template <typename T> T* get(const QString& name) const {
        T* w = window->findChild<T*>(name);
        return w ? w : (qFatal("no %s", qPrintable(name)), nullptr);
    }
    QStringList results() const {
        QStringList out;
        for (const auto* item : get<QListWidget>("UsageResults")->findItems("", Qt::MatchContains))
            out << item->text();
        return out;
    }
    QStringList paths(const QStringList& names) const {
        QStringList out;
        for (const QString& n : names)
            out << path("Data/" + n);
        return out;
    }
    void import(const QStringList& names) {
        QVERIFY(importUsageFiles(paths(names)));
        idle();
    }
    QString cell(int row, int column) const {
        return get<QTableWidget>("UsageRanking")->model()->index(row, column).data().toString();
    }
    QByteArray cli(const QStringList& args) const {
        QProcess p;
        p.start(VOLTRAKE_CLI, args + QStringList{"--dir", dir()});
        p.waitForFinished(60000);
        return p.readAllStandardOutput();
    }
};

} // namespace

class TestUsageWindow : public QObject {
    Q_OBJECT

  private slots:
    // View > Smart Meter Data… (Ctrl+M) opens one window; with nothing stored it says what to
    // do, and a file that is not a store is named in the window and left as it was. Access keys
    // are unique.
    void emptyAndForeignStore_data() {
        QTest::addColumn<QByteArray>("store");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no store") << QByteArray()
                                  << "Import the half-hourly data your supplier lets you download.";
        QTest::newRow("not a store") << QByteArray("just text\n") << "usage.sqlite";
    }
    void emptyAndForeignStore() {
        QFETCH(QByteArray, store);
        QFETCH(QString, shown);
        UsageDesk d;
        if (!store.isEmpty())
            d.write("Data/usage.sqlite", store);
        QWidget main;
        new QVBoxLayout(&main);
        attachMenuBar(d.form, &main);
        auto* action = main.findChild<QAction*>("actionUsageWindow");
        QCOMPARE(action->text(), QString("&Smart Meter Data…"));
        QCOMPARE(action->shortcut(), QKeySequence("Ctrl+M"));
        action->trigger();
        action->trigger();
        d.window = usageWindow();
        QCOMPARE(d.window->windowTitle(), QString("Voltrake Smart Meter Data"));
        QCOMPARE(main.findChildren<QWidget*>("frmUsage").size(), 1);
        d.idle();
        QVERIFY(d.get<QLabel>("UsageGuidance")->text().contains(shown));
        QCOMPARE(QFile::exists(d.path("Data/usage.sqlite")) ? d.read("Data/usage.sqlite") : "",
                 store);
        // Buttons and labels have a "text"; the tabs are the rest.
        QStringList texts, keys;
        for (const QWidget* w : d.window->findChildren<QWidget*>())
            texts << w->property("text").toString();
        for (int i = 0; i < d.get<QTabWidget>("UsageCharts")->count(); ++i)
            texts << d.get<QTabWidget>("UsageCharts")->tabText(i);
        for (const QString& t : texts)
            if (const auto m = QRegularExpression("&(.)").match(t); m.hasMatch())
                keys << m.captured(1).toLower();
        QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
        QVERIFY(keys.size() >= 15);
        QTest::keyClick(d.window, Qt::Key_Escape);
        QTRY_VERIFY(!usageWindow());
    }

    // Two files, one refused with its line and column: each outcome listed, the good one kept,
    // its coverage above the charts; the heat map names the autumn day's repeated hour.
    void importAndHeatMap() {
        UsageDesk d;
        // Three days about the autumn change, less the half-hour at noon of the last.
        d.write("Data/autumn.csv", QString(halfHours(QDate(2025, 10, 25), QDate(2025, 10, 28)))
                                       .remove(QRegularExpression("\n2025-10-27T12:00.*"))
                                       .toUtf8());
        d.write("Data/bad.csv",
                "start,end,kwh\n2025-10-01T00:00:00+01:00,2025-10-01T00:30:00+01:00,"
                "0.2\n2025-10-01T00:30:00+01:00,soon,0.2\n");
        d.open();
        d.import({"autumn.csv", "bad.csv"});
        const QStringList results = d.results();
        QCOMPARE(results.size(), 2);
        QCOMPARE(results[0], QString("autumn.csv: Voltrake CSV, 145 new, 0 unchanged, 0 replaced "
                                     "(25 Oct 2025 to 27 Oct 2025)"));
        QVERIFY(
            results[1].startsWith("bad.csv: refused, nothing of it kept: Voltrake CSV, Line 3"));
        QCOMPARE(d.get<QLabel>("UsageCoverage")->text(),
                 QString("Meter without an id: 25 Oct 2025 to 27 Oct 2025, 145 slots of 30 "
                         "minutes, 1 missing, 0 estimated"));
        QCOMPARE(d.get<QPlainTextEdit>("UsageDayList")->toPlainText(),
                 QString("Days with missing slots: 27 Oct 2025\nDays with estimated slots: none"));

        auto* heat = d.get<HeatMapView>("HeatMap");
        d.get<QTabWidget>("UsageCharts")->setCurrentIndex(2);
        // The tab's layout settles first, so the cell is found where it will stay.
        QCoreApplication::processEvents();
        const QRect a = heat->cellArea();
        // The middle of Sunday's 01:00-01:30 cell (day 1 of 3, row 2 of 48).
        const QPoint p(a.left() + a.width() / 2, a.top() + int(a.height() * 2.5 / 48));
        QTest::mouseMove(heat, p);
        const QString hover = "Sun 26 Oct 2025, 01:00–01:30: 0.300 kWh (this time came twice, the "
                              "clocks went back: both slots added)";
        QCOMPARE(heat->accessibleDescription(), hover);
        // From the keyboard: the cursor starts on the last day at noon, the arrows move it.
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(heat, &in);
        QCOMPARE(heat->accessibleDescription(), QString("Mon 27 Oct 2025, 12:00–12:30: missing"));
        QTest::keyClick(heat, Qt::Key_Left);
        QCOMPARE(heat->accessibleDescription(), QString("Sun 26 Oct 2025, 12:00–12:30: 0.700 kWh"));
        // The same figures as a table.
        d.get<QAbstractButton>("UsageShowTable")->click();
        auto* table = d.get<QTableView>("HeatMapTable");
        QCOMPARE(table->model()->rowCount(), 3);
        QCOMPARE(table->model()->index(1, 2).data(Qt::AccessibleTextRole).toString(), hover);
    }

    // Cancel during the second of three files: the first stays, the second is rolled back, the
    // third is not read. Then three tariffs, one refused: ranked cheapest first with the same
    // figures as `voltrake-cli rank --format json`, the refused one listed with its reason, its
    // CSV the command's bytes; the tariff list is remembered in the store.
    void cancelAndRank() {
        UsageDesk d;
        d.write("Data/jan.csv", halfHours(QDate(2025, 1, 1), QDate(2025, 2, 1)));
        d.write("Data/big.csv", halfHours(QDate(2024, 1, 1), QDate(2025, 1, 1)));
        d.write("Data/third.csv", halfHours(QDate(2025, 2, 1), QDate(2025, 2, 2)));
        d.write("Data/flat.json", Flat);
        d.write("Data/night.json", Night);
        d.write("Data/broken.json", Broken);
        d.open();
        // Cancel as soon as the first file's outcome is listed.
        auto* results = d.get<QListWidget>("UsageResults");
        connect(results->model(), &QAbstractItemModel::rowsInserted, results, [&d, results] {
            if (results->count() == 1)
                d.get<QAbstractButton>("UsageCancel")->click();
        });
        d.import({"jan.csv", "big.csv", "third.csv"});
        const QStringList outcomes = d.results();
        QCOMPARE(outcomes.size(), 3);
        QVERIFY(outcomes[0].startsWith("jan.csv: Voltrake CSV, 1,488 new"));
        // The second file is rolled back, or not begun if the click came first.
        QVERIFY2(outcomes[1] == "big.csv: cancelled, nothing of it kept" ||
                     outcomes[1] == "big.csv: not read, the import was cancelled",
                 qPrintable(outcomes[1]));
        QCOMPARE(outcomes[2], QString("third.csv: not read, the import was cancelled"));
        QVERIFY(d.get<QLabel>("UsageCoverage")->text().contains("to 31 Jan 2025, 1,488 slots"));
        QVERIFY(!d.get<QWidget>("UsageProgress")->isVisible());

        const QStringList files = d.paths({"flat.json", "night.json", "broken.json"});
        QVERIFY(addUsageTariffs(files));
        auto* list = d.get<QListWidget>("UsageTariffs");
        list->setCurrentRow(1);
        d.get<QAbstractButton>("UsageSetCurrent")->click();
        d.get<QAbstractButton>("UsageRank")->click();
        d.idle();

        const QStringList args{"rank",       "--tariff", files[0],    "--tariff", files[1],
                               "--tariff",   files[2],   "--current", files[1],   "--from",
                               "2025-01-01", "--to",     "2025-02-01"};
        const QJsonObject json =
            QJsonDocument::fromJson(d.cli(args + QStringList{"--format", "json"})).object();
        const QJsonArray ranked = json["tariffs"].toArray();
        QCOMPARE(ranked.size(), 2);
        auto* table = d.get<QTableWidget>("UsageRanking");
        QCOMPARE(table->rowCount(), 3);
        for (int r = 0; r < 2; ++r) {
            const QJsonObject t = ranked[r].toObject();
            QCOMPARE(d.cell(r, 0),
                     t["name"].toString() + (t["name"] == "Night" ? " (current)" : ""));
            int c = 1;
            for (const QString key :
                 {"total", "difference", "%", "energy", "standing", "vat", "export_credit"})
                QCOMPARE(d.cell(r, c++),
                         key == "%" ? QLocale().toString(t["difference_percent"].toDouble(), 'f', 1)
                                    : values::moneyResult(t[key].toDouble()));
        }
        QCOMPARE(d.cell(2, 0), QString("broken.json"));
        const QString reason = json["refused"].toArray()[0].toObject()["reason"].toString();
        QCOMPARE(d.cell(2, 1), "refused: " + reason);
        QVERIFY(list->item(2)->text().endsWith("refused, " + reason));
        // The first row's bands, as the JSON has them.
        table->selectRow(0);
        const QJsonArray bands = ranked[0].toObject()["bands"].toArray();
        QCOMPARE(d.get<QTableWidget>("UsageBands")->rowCount(), bands.size());
        QCOMPARE(d.get<QTableWidget>("UsageBands")->item(0, 2)->text(),
                 values::moneyResult(bands[0].toObject()["cost"].toDouble()));
        QCOMPARE(d.get<QTableWidget>("UsageMonths")->rowCount(), 1);

        QVERIFY(exportUsageRanking(d.path("ranking.csv")));
        QCOMPARE(d.read("ranking.csv"), d.cli(args + QStringList{"--format", "csv"}));

        // Opened again: the list and the current tariff come back from the store.
        d.idle();
        delete d.window;
        d.open();
        list = d.get<QListWidget>("UsageTariffs");
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(1)->text(), QString("night.json (current)"));
    }
};

QTEST_MAIN(TestUsageWindow)
#include "tst_usagewindow.moc"
