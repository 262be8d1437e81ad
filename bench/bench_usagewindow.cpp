// SPDX-License-Identifier: GPL-3.0-or-later
// Times the Smart Meter Data window on five years of half-hours (offscreen): opening it with
// every chart drawn, moving the range, cancelling an import of the five years, and a ranking
// of ten tariffs (one a day-ahead price series over the whole span) in the window against
// `voltrake-cli rank` as a whole process on the same store.
// Usage: bench_usagewindow [runs]
//        bench_usagewindow --screenshot STEM   (STEM.png and STEM-dark.png: the example year
//                                               and three shipped tariffs, light and dark)
#include "benchsupport.h"
#include "darkpalette.h"
#include "form/mainform.h"
#include "quiethost.h"
#include "records/usagestore.h"
#include "ui/frmusage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateEdit>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimeZone>
#include <cmath>
#include <cstdio>

namespace {

const QTimeZone London("Europe/London");

// Half-hours of local days [from, to) as Voltrake CSV: an evening peak, a car some nights.
QByteArray halfHours(const QDate& from, const QDate& to) {
    QByteArray csv = "start,end,kwh,direction,estimated\n";
    const qint64 end = QDateTime(to, QTime(0, 0), London).toSecsSinceEpoch();
    int n = 0;
    for (qint64 t = QDateTime(from, QTime(0, 0), London).toSecsSinceEpoch(); t < end;
         t += 1800, ++n) {
        const QDateTime a = QDateTime::fromSecsSinceEpoch(t, London);
        const int h = a.time().hour();
        double kwh = 0.1 + 0.6 * std::exp(-(h - 18.5) * (h - 18.5) / 3.0) + (n % 7) * 0.01;
        if (h < 3 && a.date().dayOfWeek() % 3 == 0)
            kwh += 3.4;
        csv += a.toString(Qt::ISODate).toUtf8() + ',' +
               QDateTime::fromSecsSinceEpoch(t + 1800, London).toString(Qt::ISODate).toUtf8() +
               ',' + QByteArray::number(kwh, 'f', 3) + ",import,0\n";
    }
    return csv;
}

QByteArray bandTariff(int i) {
    const QByteArray p = QByteArray::number(20 + i);
    switch (i % 3) {
    case 0:
        return R"({"name": "Flat )" + p + R"(", "zone": "Europe/London", "periods": [{"from":
            "2019-01-01", "standing_p_per_day": 50, "vat_percent": 5, "bands": [{"name": "All
            day", "p_per_kwh": )" +
               p + "}]}]}";
    case 1:
        return R"({"name": "Night )" + p + R"(", "zone": "Europe/London", "clock": "utc",
            "periods": [{"from": "2019-01-01", "standing_p_per_day": 55, "vat_percent": 5,
            "bands": [{"name": "Night", "from": "00:30", "to": "07:30", "p_per_kwh": 12},
            {"name": "Day", "p_per_kwh": )" +
               p + "}]}]}";
    default:
        return R"({"name": "Weekend )" + p + R"(", "zone": "Europe/London", "periods": [{"from":
            "2019-01-01", "standing_p_per_day": 45, "vat_percent": 5, "bands": [{"name":
            "Weekend", "days": ["sat", "sun"], "p_per_kwh": 15}, {"name": "EV", "from": "23:30",
            "to": "05:30", "p_per_kwh": 8}, {"name": "Peak", "p_per_kwh": )" +
               p + "}]}]}";
    }
}

// A day-ahead price for every half-hour of [from, to).
QByteArray series(const QDate& from, const QDate& to) {
    QByteArray csv = "start,end,p_per_kwh\n";
    const qint64 end = QDateTime(to, QTime(0, 0), London).toSecsSinceEpoch();
    for (qint64 t = QDateTime(from, QTime(0, 0), London).toSecsSinceEpoch(); t < end; t += 1800)
        csv += QDateTime::fromSecsSinceEpoch(t, Qt::UTC).toString(Qt::ISODate).toUtf8() + ',' +
               QDateTime::fromSecsSinceEpoch(t + 1800, Qt::UTC).toString(Qt::ISODate).toUtf8() +
               ',' + QByteArray::number(10 + (t / 1800) % 48 * 0.5, 'f', 2) + '\n';
    return csv;
}

bool write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

void waitIdle(QWidget* w) {
    QApplication::processEvents();
    while (w->property("busy").toBool())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

template <typename T> T* child(QWidget* w, const char* name) {
    return w->findChild<T*>(QLatin1String(name));
}

int screenshot(const QString& stem, MainForm& form, const QString& dir) {
    const QString source = QStringLiteral(VOLTRAKE_SOURCE_DIR) + "/dist/Data/";
    QWidget* w = showUsageWindow(form, nullptr);
    waitIdle(w);
    importUsageFiles({source + "usage-example.csv"});
    waitIdle(w);
    // A flat rate, a night rate and an EV tariff; made-up ones where none are shipped.
    QStringList tariffs;
    for (const char* name : {"price-cap-2025.json", "night-utc-example.json", "ev-example.json"})
        if (QFile::exists(source + "tariffs/" + name))
            tariffs << source + "tariffs/" + name;
    for (int i = 0; tariffs.size() < 3; ++i)
        if (write(dir + QString("/Data/example-%1.json").arg(i), bandTariff(i + 3)))
            tariffs << dir + QString("/Data/example-%1.json").arg(i);
    addUsageTariffs(tariffs.mid(0, 3));
    child<QAbstractButton>(w, "UsageRank")->click();
    waitIdle(w);
    child<QListWidget>(w, "UsageTariffs")->setCurrentRow(1);
    w->resize(1280, 800);
    for (int tab : {0, 1, 2}) {
        child<QTabWidget>(w, "UsageCharts")->setCurrentIndex(tab);
        QApplication::processEvents();
        const QString suffix = tab == 2 ? QString() : QString("-tab%1").arg(tab);
        w->grab().save(stem + suffix + ".png");
        w->setPalette(darkPalette());
        QApplication::processEvents();
        w->grab().save(stem + suffix + "-dark.png");
        w->setPalette(QPalette());
    }
    delete w;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("TZ", "Europe/London");
    offscreenUnlessChosen();
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale("en_GB"));
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("Data");
    QuietHost host;
    MainForm form(host);
    form.baseDir = dir.path();
    if (argc > 2 && QByteArray(argv[1]) == "--screenshot")
        return screenshot(QString::fromLocal8Bit(argv[2]), form, dir.path());
    const int runs = runsArgument(argc, argv, 5);

    const QDate from(2020, 1, 1), to(2025, 1, 1);
    const QString five = dir.path() + "/five.csv";
    if (!write(five, halfHours(from, to)))
        return 1;
    QStringList tariffs;
    for (int i = 0; i < 9; ++i) {
        tariffs << dir.path() + QString("/Data/t%1.json").arg(i);
        write(tariffs.back(), bandTariff(i));
    }
    tariffs << dir.path() + "/Data/dayahead.json";
    write(tariffs.back(), R"({"name": "Day ahead", "zone": "Europe/London", "periods": [{"from":
        "2019-01-01", "standing_p_per_day": 48, "vat_percent": 5, "bands": [{"name": "Day
        ahead", "prices": "dayahead.csv"}]}]})");
    write(dir.path() + "/Data/dayahead.csv", series(from, to));

    // The store, through the window: cancelled a quarter of a second into the five years,
    // then imported whole.
    QWidget* w = showUsageWindow(form, nullptr);
    waitIdle(w);
    importUsageFiles({five});
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 250)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    QElapsedTimer cancel;
    cancel.start();
    child<QAbstractButton>(w, "UsageCancel")->click();
    waitIdle(w);
    const double cancelled = double(cancel.nsecsElapsed()) / 1e6;
    QElapsedTimer whole;
    whole.start();
    importUsageFiles({five});
    waitIdle(w);
    const double imported = double(whole.nsecsElapsed()) / 1e6;
    // The tariffs are in the list from here on: the average day shades the current one's bands.
    addUsageTariffs(tariffs);
    waitIdle(w);
    delete w;

    const Timing open = timeMs(
        runs, [] {},
        [&] {
            QWidget* v = showUsageWindow(form, nullptr);
            waitIdle(v);
            for (int tab : {0, 1, 2}) {
                child<QTabWidget>(v, "UsageCharts")->setCurrentIndex(tab);
                v->grab(); // every chart drawn once, as the screen would
            }
            delete v;
        });

    w = showUsageWindow(form, nullptr);
    waitIdle(w);
    auto* fromEdit = child<QDateEdit>(w, "UsageFrom");
    auto* tabs = child<QTabWidget>(w, "UsageCharts");
    int step = 0;
    const Timing move = timeMs(
        runs * 4, [] {},
        [&] {
            // A year's window moved on by a month, the shown chart drawn again.
            fromEdit->setDate(QDate(2021, 1, 1).addMonths(++step % 24));
            child<QDateEdit>(w, "UsageTo")->setDate(fromEdit->date().addYears(1));
            tabs->setCurrentIndex(step % 3);
            tabs->currentWidget()->grab();
        });
    fromEdit->setDate(QDate(2020, 1, 1));
    child<QDateEdit>(w, "UsageTo")->setDate(QDate(2024, 12, 31));
    const Timing rankWindow = timeMs(
        runs, [] {},
        [&] {
            child<QAbstractButton>(w, "UsageRank")->click();
            waitIdle(w);
        });
    delete w;

    QStringList args{"rank",     "--from", "2020-01-01", "--to",    "2025-01-01",
                     "--format", "csv",    "--dir",      dir.path()};
    for (const QString& f : tariffs)
        args << "--tariff" << f;
    const Timing rankCli = timeMs(
        runs, [] {},
        [&] {
            QProcess p;
            p.start(VOLTRAKE_CLI, args);
            p.waitForFinished(-1);
        });

    std::printf("five years of half-hours (%lld bytes)\n", QFileInfo(five).size());
    std::printf("import in the window: %.0f ms; cancelled after 250 ms, idle again in %.1f ms\n",
                imported, cancelled);
    std::printf("window opened, every chart drawn: median %.1f ms, fastest %.1f ms\n", open.median,
                open.fastest);
    std::printf("range moved, chart drawn again: median %.1f ms, fastest %.1f ms\n", move.median,
                move.fastest);
    std::printf("rank of ten tariffs in the window: median %.1f ms, fastest %.1f ms\n",
                rankWindow.median, rankWindow.fastest);
    std::printf("voltrake-cli rank, whole process: median %.1f ms, fastest %.1f ms (window/cli "
                "%.2f)\n",
                rankCli.median, rankCli.fastest, rankWindow.median / rankCli.median);
    return 0;
}
