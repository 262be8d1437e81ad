// SPDX-License-Identifier: GPL-3.0-or-later
#include "darkpalette.h"
#include "records/usagecharts.h"
#include "scriptedhost.h"
#include "text/values.h"
#include "ui/contrast.h"
#include "ui/frmusage.h"
#include "ui/menubar.h"
#include "ui/usageviews.h"

#include <QAbstractButton>
#include <QAction>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// The Voltrake CSV's times are read in the system's zone: a household in Great Britain.
const bool InLondon = qputenv("TZ", "Europe/London");
const QTimeZone London("Europe/London");

// Half-hours of local days [from, to) as Voltrake CSV; kWh from the hour of day.
QByteArray halfHours(const QDate& from, const QDate& to) {
    QByteArray csv = "start,end,kwh,direction,estimated\n";
    const qint64 end = QDateTime(to, QTime(0, 0), London).toSecsSinceEpoch();
    for (qint64 t = QDateTime(from, QTime(0, 0), London).toSecsSinceEpoch(); t < end; t += 1800) {
        const QDateTime a = QDateTime::fromSecsSinceEpoch(t, London);
        const QDateTime b = QDateTime::fromSecsSinceEpoch(t + 1800, London);
        csv += a.toString(Qt::ISODate).toUtf8() + ',' + b.toString(Qt::ISODate).toUtf8() + ',' +
               QByteArray::number(0.1 + a.time().hour() / 20.0) + ",import,0\n";
    }
    return csv;
}

QByteArray tariff(const QByteArray& name, const QByteArray& bands,
                  const QByteArray& clock = "local") {
    return R"({"name": ")" + name + R"(", "zone": "Europe/London", "clock": ")" + clock +
           R"(", "periods": [{"from": "2024-01-01", "standing_p_per_day": 50, "vat_percent": 5,
           "bands": )" +
           bands + "}]}";
}
const QByteArray Flat = tariff("Flat", R"([{"name": "All day", "p_per_kwh": 24.5}])");
const QByteArray Night = tariff("Night", R"([{"name": "Night", "from": "00:30", "to": "07:30",
    "p_per_kwh": 13}, {"name": "Day", "p_per_kwh": 31}])",
                                "utc");
const QByteArray Broken = tariff("Broken", R"([{"name": "Day", "from": "25:00", "to": "07:00",
    "p_per_kwh": 13}, {"name": "Rest", "p_per_kwh": 31}])");

struct UsageDesk : Workspace {
    LocaleScope locale{"en_GB"};
    QWidget* window = nullptr;

    ~UsageDesk() { delete usageWindow(); }
    QWidget* open() {
        window = showUsageWindow(form, nullptr);
        idle();
        return window;
    }
    void idle() const { QTRY_VERIFY_WITH_TIMEOUT(!window->property("busy").toBool(), 60000); }
    template <typename T> T* get(const QString& name) const {
        T* w = window->findChild<T*>(name);
        if (!w)
            qFatal("no %s", qPrintable(name));
        return w;
    }
    QStringList results() const {
        QStringList out;
        auto* list = get<QListWidget>("UsageResults");
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    QString text(const char* label) const { return get<QLabel>(label)->text(); }
    void import(const QStringList& names) {
        QStringList paths;
        for (const QString& n : names)
            paths << path("Data/" + n);
        QVERIFY(importUsageFiles(paths));
        idle();
    }
    QString cell(int row, int column) const {
        const QTableWidgetItem* item = get<QTableWidget>("UsageRanking")->item(row, column);
        return item ? item->text() : QString();
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
    void initTestCase() { QVERIFY(InLondon); }

    // View > Smart Meter Data… (Ctrl+M) opens one window; with nothing stored it says what to
    // do, and a file that is not a store is named in the window and left as it was.
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
        QCOMPARE(d.window->objectName(), QString("frmUsage"));
        QCOMPARE(d.window->windowTitle(), QString("Voltrake Smart Meter Data"));
        QCOMPARE(main.findChildren<QWidget*>("frmUsage").size(), 1);
        d.idle();
        QVERIFY(d.text("UsageGuidance").contains(shown));
        QCOMPARE(QFile::exists(d.path("Data/usage.sqlite")), !store.isEmpty());
        if (!store.isEmpty())
            QCOMPARE(d.read("Data/usage.sqlite"), store);
        QTest::keyClick(d.window, Qt::Key_Escape);
        QTRY_VERIFY(!usageWindow());
    }

    // Three files, one refused with its line and column, one not a file at all: each outcome
    // listed, the good one kept, its coverage above the charts; the heat map names the autumn
    // day's repeated hour.
    void importAndHeatMap() {
        UsageDesk d;
        // Three days about the autumn change, less the half-hour at noon of the last.
        QByteArray autumn = halfHours(QDate(2025, 10, 25), QDate(2025, 10, 28));
        const qsizetype noon = autumn.indexOf("\n2025-10-27T12:00") + 1;
        autumn.remove(noon, autumn.indexOf('\n', noon) + 1 - noon);
        d.write("Data/autumn.csv", autumn);
        d.write("Data/bad.csv",
                "start,end,kwh\n2025-10-01T00:00:00+01:00,2025-10-01T00:30:00+01:00,"
                "0.2\n2025-10-01T00:30:00+01:00,soon,0.2\n");
        d.open();
        QDir(d.path("Data")).mkdir("folder.csv");
        d.import({"autumn.csv", "bad.csv", "folder.csv"});
        const QStringList results = d.results();
        QCOMPARE(results.size(), 3);
        QCOMPARE(results[2], QString("folder.csv: not imported: it is a folder, not a file"));
        QCOMPARE(results[0], QString("autumn.csv: Voltrake CSV, 145 new, 0 unchanged, 0 replaced "
                                     "(25 Oct 2025 to 27 Oct 2025)"));
        QVERIFY2(
            results[1].startsWith("bad.csv: refused, nothing of it kept: Voltrake CSV, Line 3, "
                                  "column end"),
            qPrintable(results[1]));
        QCOMPARE(d.text("UsageCoverage"),
                 QString("Meter without an id: 25 Oct 2025 to 27 Oct 2025, 145 slots of 30 "
                         "minutes, 1 missing, 0 estimated"));
        QCOMPARE(d.get<QPlainTextEdit>("UsageDayList")->toPlainText(),
                 QString("Days with missing slots: 27 Oct 2025\nDays with estimated slots: none"));

        auto* heat = d.get<HeatMapView>("HeatMap");
        d.get<QTabWidget>("UsageCharts")->setCurrentIndex(2);
        heat->resize(600, 400);
        const QRect a = heat->cellArea();
        // The middle of Sunday's 01:00-01:30 cell (day 1 of 3, row 2 of 48).
        const QPoint p(a.left() + a.width() / 2, a.top() + int(a.height() * 2.5 / 48));
        QMouseEvent move(QEvent::MouseMove, p, heat->mapToGlobal(p), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(heat, &move);
        const QString hover = "Sun 26 Oct 2025, 01:00–01:30: 0.300 kWh (this time came twice, the "
                              "clocks went back: both slots added)";
        QCOMPARE(heat->textAt(p), hover);
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
    // third is not read.
    void cancelBetweenFiles() {
        UsageDesk d;
        d.write("Data/first.csv", halfHours(QDate(2025, 1, 1), QDate(2025, 1, 2)));
        d.write("Data/big.csv", halfHours(QDate(2024, 1, 1), QDate(2025, 1, 1)));
        d.write("Data/third.csv", halfHours(QDate(2025, 2, 1), QDate(2025, 2, 2)));
        d.open();
        QStringList paths;
        for (const char* n : {"first.csv", "big.csv", "third.csv"})
            paths << d.path(QString("Data/") + n);
        // Cancel as soon as the first file's outcome is listed.
        auto* list = d.get<QListWidget>("UsageResults");
        connect(list->model(), &QAbstractItemModel::rowsInserted, list, [&d, list] {
            if (list->count() == 1)
                d.get<QAbstractButton>("UsageCancel")->click();
        });
        QVERIFY(importUsageFiles(paths));
        d.idle();
        const QStringList results = d.results();
        QCOMPARE(results.size(), 3);
        QVERIFY(results[0].startsWith("first.csv: Voltrake CSV, 48 new"));
        // The second file is rolled back, or not begun if the click came first.
        QVERIFY2(results[1] == "big.csv: cancelled, nothing of it kept" ||
                     results[1] == "big.csv: not read, the import was cancelled",
                 qPrintable(results[1]));
        QCOMPARE(results[2], QString("third.csv: not read, the import was cancelled"));
        QVERIFY(d.text("UsageCoverage").contains("1 Jan 2025 to 1 Jan 2025, 48 slots"));
        QVERIFY(!d.get<QWidget>("UsageProgress")->isVisible());
    }

    // Three tariffs, one refused: ranked cheapest first with the same figures as
    // `voltrake-cli rank --format json`, the refused one listed with its reason, its CSV the
    // command's bytes; the tariff list is remembered in the store.
    void rank() {
        UsageDesk d;
        d.write("Data/jan.csv", halfHours(QDate(2025, 1, 1), QDate(2025, 2, 1)));
        d.write("Data/flat.json", Flat);
        d.write("Data/night.json", Night);
        d.write("Data/broken.json", Broken);
        d.open();
        d.import({"jan.csv"});
        QStringList files;
        for (const char* n : {"flat.json", "night.json", "broken.json"})
            files << d.path(QString("Data/") + n);
        QVERIFY(addUsageTariffs(files));
        auto* list = d.get<QListWidget>("UsageTariffs");
        list->setCurrentRow(1);
        d.get<QAbstractButton>("UsageSetCurrent")->click();
        QCOMPARE(list->item(1)->text(), QString("night.json (current)"));
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
            QStringList expected{t["name"].toString() + (t["name"] == "Night" ? " (current)" : "")};
            for (const char* key : {"total", "difference"})
                expected << values::moneyResult(t[key].toDouble());
            expected << QLocale().toString(t["difference_percent"].toDouble(), 'f', 1);
            for (const char* key : {"energy", "standing", "vat", "export_credit"})
                expected << values::moneyResult(t[key].toDouble());
            QStringList shown;
            for (int c = 0; c < 8; ++c)
                shown << d.cell(r, c);
            QCOMPARE(shown, expected);
        }
        QCOMPARE(d.cell(2, 0), QString("broken.json"));
        const QString reason = json["refused"].toArray()[0].toObject()["reason"].toString();
        QVERIFY(reason.contains("25:00"));
        QCOMPARE(d.cell(2, 1), "refused: " + reason);
        QVERIFY(list->item(2)->text().endsWith("refused, " + reason));
        // The first row's bands, as the JSON has them.
        table->selectRow(0);
        auto* bands = d.get<QTableWidget>("UsageBands");
        const QJsonArray bandJson = ranked[0].toObject()["bands"].toArray();
        QCOMPARE(bands->rowCount(), bandJson.size());
        QCOMPARE(bands->item(0, 2)->text(),
                 values::moneyResult(bandJson[0].toObject()["cost"].toDouble()));
        QCOMPARE(d.get<QTableWidget>("UsageMonths")->rowCount(), 1);

        QVERIFY(exportUsageRanking(d.path("ranking.csv")));
        QCOMPARE(d.read("ranking.csv"), d.cli(args + QStringList{"--format", "csv"}));

        // Opened again: the list and the current tariff come back from the store.
        delete d.window;
        d.open();
        list = d.get<QListWidget>("UsageTariffs");
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(1)->text(), QString("night.json (current)"));

        // For looking at it: VOLTRAKE_SCREENSHOT=stem writes stem-usage.png and
        // stem-usage-dark.png.
        const QString stem = qEnvironmentVariable("VOLTRAKE_SCREENSHOT");
        if (!stem.isEmpty()) {
            d.get<QAbstractButton>("UsageRank")->click();
            d.idle();
            d.window->grab().save(stem + "-usage.png");
            d.window->setPalette(darkPalette());
            d.idle();
            d.window->grab().save(stem + "-usage-dark.png");
        }
    }

    // Access keys are unique, and under a dark palette the window's text keeps 4.5:1.
    void keysAndContrast() {
        UsageDesk d;
        d.open();
        QStringList keys;
        auto key = [&](const QString& text) {
            const qsizetype at = text.indexOf('&');
            if (at >= 0 && at + 1 < text.size())
                keys << text.mid(at + 1, 1).toLower();
        };
        for (auto* b : d.window->findChildren<QAbstractButton*>())
            key(b->text());
        for (auto* l : d.window->findChildren<QLabel*>())
            key(l->text());
        auto* tabs = d.get<QTabWidget>("UsageCharts");
        for (int i = 0; i < tabs->count(); ++i)
            key(tabs->tabText(i));
        QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
        QVERIFY(keys.size() >= 15);
        d.window->setPalette(darkPalette());
        const QPalette p = d.get<QLabel>("UsageGuidance")->palette();
        QVERIFY(contrastRatio(p.color(QPalette::WindowText), p.color(QPalette::Window)) >= 4.5);
    }
};

QTEST_MAIN(TestUsageWindow)
#include "tst_usagewindow.moc"
