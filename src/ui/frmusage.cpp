// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frmusage.h"

#include "form/mainform.h"
#include "records/usagecharts.h"
#include "records/usagestore.h"
#include "records/usagesummary.h"
#include "text/files.h"
#include "text/values.h"
#include "ui/toolwindow.h"
#include "ui/usagerank.h"
#include "ui/usageviews.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>

namespace usage = records::usage;

namespace {

const QString Guidance = QStringLiteral(
    "Import the half-hourly data your supplier lets you download.\n\n"
    "Most suppliers and network operators let you download your smart meter's half-hours (or "
    "quarter-hours, or hours) from their web site or app as a CSV or JSON file. Choose Import… "
    "and pick one or more of those files; Voltrake recognises the format from the file itself. "
    "To try the window first, import Data/usage-example.csv, a made-up year of a household "
    "with an electric car.");
const QString ErrorTitle = QStringLiteral("Voltrake Smart Meter Data");
const QString TariffsKey = QStringLiteral("window.tariffs");
const QString CurrentKey = QStringLiteral("window.currentTariff");
const QString MeterKey = QStringLiteral("window.meter");

QString money(double amount) {
    return values::currencyDecimals() == 2 ? values::moneyResult(amount)
                                           : values::fixed(amount, values::Fixed::Two);
}
QString kwh(double v, int decimals = 1) {
    return QLocale().toString(v, 'f', decimals);
}
QString count(qint64 n) {
    return QLocale().toString(n);
}
QString longDate(const QDate& d) {
    return QLocale().toString(d, QStringLiteral("d MMM yyyy"));
}
QDate localDay(qint64 utc, const QTimeZone& zone) {
    return QDateTime::fromSecsSinceEpoch(utc, zone).date();
}

// The store, opened and used on one thread of its own: SQLite's connection is never used by
// two threads at once, and the window stays responsive while a file is read or tariffs priced.
class StoreThread {
  public:
    explicit StoreThread(QString path) : path_(std::move(path)) {
        context_ = new QObject;
        context_->moveToThread(&thread_);
        QObject::connect(&thread_, &QThread::finished, context_, &QObject::deleteLater);
        thread_.start();
    }
    ~StoreThread() {
        cancel = true;
        thread_.quit();
        thread_.wait();
    }
    // Runs job(access) on the store's thread, then done(result) on the receiver's.
    template <typename Job, typename Done> void run(QObject* receiver, Job job, Done done) {
        QMetaObject::invokeMethod(context_, [this, receiver, job, done] {
            auto result = job(*this);
            QMetaObject::invokeMethod(receiver, [done, result] { done(result); });
        });
    }
    // On the store's thread only: the store, opened (and made, with create) on first use.
    usage::Store* store(bool create, QString* error) {
        if (store_ && (store_->exists() || !create))
            return store_.get();
        store_.reset();
        auto opened = usage::Store::open(path_, create);
        if (auto* message = std::get_if<QString>(&opened)) {
            *error = *message;
            return nullptr;
        }
        store_ = std::move(std::get<std::unique_ptr<usage::Store>>(opened));
        return store_.get();
    }
    // Posts to the receiver from the store's thread.
    template <typename F> static void tell(QObject* receiver, F f) {
        QMetaObject::invokeMethod(receiver, std::move(f));
    }

    std::atomic<bool> cancel{false};

  private:
    QString path_;
    QThread thread_;
    QObject* context_ = nullptr;
    std::unique_ptr<usage::Store> store_;
};

// What the window shows of the store: one meter's slots and their coverage.
struct Loaded {
    QString error;
    QStringList meters; // meters with import slots
    QString meter;
    QTimeZone zone;
    QList<domain::Slot> imports, exports;
    std::optional<usage::SeriesSummary> summary;
    usage::Coverage coverage;
};

enum RankColumn {
    CName,
    CTotal,
    CDifference,
    CPercent,
    CEnergy,
    CStanding,
    CVat,
    CExport,
    RankColumns
};

class UsageWindow : public ToolWindow {
  public:
    UsageWindow(MainForm& f, QWidget* parent)
        : ToolWindow(QStringLiteral("frmUsage"), QStringLiteral("Voltrake Smart Meter Data"),
                     f.RunOnTop == 2, parent),
          f_(f), thread_(std::make_unique<StoreThread>(f.path(usage::StorePath))) {
        setProperty("busy", false);

        // The top row: import, which meter, which days.
        importButton_ = button("UsageImport", "&Import…");
        meter_ = new QComboBox(this);
        meter_->setObjectName(QStringLiteral("UsageMeter"));
        meter_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        meter_->setMinimumContentsLength(16);
        auto* meterLabel = new QLabel(QStringLiteral("&Meter:"), this);
        meterLabel->setBuddy(meter_);
        from_ = dateEdit("UsageFrom");
        to_ = dateEdit("UsageTo");
        auto* fromLabel = new QLabel(QStringLiteral("&From:"), this);
        fromLabel->setBuddy(from_);
        auto* toLabel = new QLabel(QStringLiteral("&To:"), this);
        toLabel->setBuddy(to_);
        auto* top = new QHBoxLayout;
        top->addWidget(importButton_);
        top->addSpacing(12);
        top->addWidget(meterLabel);
        top->addWidget(meter_);
        top->addStretch();
        top->addWidget(fromLabel);
        top->addWidget(from_);
        top->addWidget(toLabel);
        top->addWidget(to_);

        // Import progress, shown once an import has taken half a second.
        progressLabel_ = plainLabel("UsageProgressFile");
        progress_ = new QProgressBar(this);
        progress_->setObjectName(QStringLiteral("UsageProgress"));
        progress_->setRange(0, 1000);
        progress_->setAccessibleName(QStringLiteral("Import progress"));
        cancelButton_ = button("UsageCancel", "Cance&l");
        progressRow_ = new QWidget(this);
        auto* progressLayout = new QHBoxLayout(progressRow_);
        progressLayout->setContentsMargins(0, 0, 0, 0);
        progressLayout->addWidget(progressLabel_);
        progressLayout->addWidget(progress_, 1);
        progressLayout->addWidget(cancelButton_);
        progressRow_->hide();
        progressTimer_.setSingleShot(true);
        progressTimer_.setInterval(500);

        results_ = new QListWidget(this);
        results_->setObjectName(QStringLiteral("UsageResults"));
        results_->setAccessibleName(QStringLiteral("Imported files"));
        results_->setMaximumHeight(fontMetrics().height() * 4);
        results_->hide();

        // Coverage of the chosen meter, and its days with gaps or estimates on request.
        coverage_ = plainLabel("UsageCoverage");
        coverage_->setWordWrap(true);
        daysButton_ = button("UsageDays", "Missing and Estimated &Days");
        daysButton_->setCheckable(true);
        days_ = new QPlainTextEdit(this);
        days_->setObjectName(QStringLiteral("UsageDayList"));
        days_->setReadOnly(true);
        days_->setAccessibleName(QStringLiteral("Days with missing or estimated slots"));
        days_->setMaximumHeight(fontMetrics().height() * 5);
        days_->hide();
        auto* coverageRow = new QHBoxLayout;
        coverageRow->addWidget(coverage_, 1);
        coverageRow->addWidget(daysButton_);

        // The charts, each with its figures as a table behind it.
        tabs_ = new QTabWidget(this);
        tabs_->setObjectName(QStringLiteral("UsageCharts"));
        dailyView_ = chartView("DailyChart");
        averageView_ = chartView("AverageDayChart");
        dailyView_->setAccessibleName(QStringLiteral("kWh per day chart"));
        averageView_->setAccessibleName(QStringLiteral("Average day chart"));
        for (QChartView* v : {dailyView_, averageView_})
            v->setAccessibleDescription(QStringLiteral("Show as Table gives its figures"));
        heat_ = new HeatMapView(this);
        dailyTable_ = figureTable("DailyTable", "kWh per day as a table");
        averageTable_ = figureTable("AverageDayTable", "The average day as a table");
        heatModel_ = new HeatMapTable(this);
        heatTable_ = new QTableView(this);
        heatTable_->setObjectName(QStringLiteral("HeatMapTable"));
        heatTable_->setAccessibleName(QStringLiteral("Heat map as a table"));
        heatTable_->setModel(heatModel_);
        heatTable_->horizontalHeader()->setDefaultSectionSize(
            fontMetrics().horizontalAdvance("00.000") + 10);
        tabs_->addTab(stacked(dailyView_, dailyTable_), QStringLiteral("kWh per Da&y"));
        tabs_->addTab(stacked(averageView_, averageTable_), QStringLiteral("A&verage Day"));
        tabs_->addTab(stacked(heat_, heatTable_), QStringLiteral("&Heat Map"));
        tableToggle_ = button("UsageShowTable", "Show as Ta&ble");
        tableToggle_->setCheckable(true);
        exportChart_ = button("UsageExportChart", "Export Chart as &PNG…");
        auto* chartButtons = new QHBoxLayout;
        chartButtons->addStretch();
        chartButtons->addWidget(tableToggle_);
        chartButtons->addWidget(exportChart_);

        message_ = new QLabel(Guidance, this);
        message_->setObjectName(QStringLiteral("UsageGuidance"));
        message_->setWordWrap(true);
        message_->setAlignment(Qt::AlignCenter);
        message_->setTextFormat(Qt::PlainText);
        message_->setMargin(24);
        auto* chartArea = new QWidget(this);
        auto* chartLayout = new QVBoxLayout(chartArea);
        chartLayout->setContentsMargins(0, 0, 0, 0);
        chartLayout->addLayout(coverageRow);
        chartLayout->addWidget(days_);
        chartLayout->addWidget(tabs_, 1);
        chartLayout->addLayout(chartButtons);
        pages_ = new QStackedWidget(this);
        pages_->addWidget(message_);
        pages_->addWidget(chartArea);

        // Tariffs and their ranking on the right.
        tariffs_ = new QListWidget(this);
        tariffs_->setObjectName(QStringLiteral("UsageTariffs"));
        tariffs_->setSelectionMode(QAbstractItemView::ExtendedSelection);
        auto* tariffsLabel = new QLabel(QStringLiteral("Tariff&s:"), this);
        tariffsLabel->setBuddy(tariffs_);
        addButton_ = button("UsageAddTariff", "&Add…");
        removeButton_ = button("UsageRemoveTariff", "&Remove");
        currentButton_ = button("UsageSetCurrent", "Set as &Current");
        rankButton_ = button("UsageRank", "Ra&nk");
        auto* tariffButtons = new QHBoxLayout;
        tariffButtons->addWidget(addButton_);
        tariffButtons->addWidget(removeButton_);
        tariffButtons->addWidget(currentButton_);
        tariffButtons->addStretch();
        tariffButtons->addWidget(rankButton_);
        ranking_ = new QTableWidget(0, RankColumns, this);
        ranking_->setObjectName(QStringLiteral("UsageRanking"));
        ranking_->setHorizontalHeaderLabels(
            {QStringLiteral("Tariff"), QStringLiteral("Total"), QStringLiteral("Difference"),
             QStringLiteral("%"), QStringLiteral("Energy"), QStringLiteral("Standing\ncharge"),
             QStringLiteral("VAT"), QStringLiteral("Export\ncredit")});
        ranking_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        ranking_->setSelectionBehavior(QAbstractItemView::SelectRows);
        ranking_->setSelectionMode(QAbstractItemView::SingleSelection);
        ranking_->verticalHeader()->hide();
        // The figures keep their width; long tariff names wrap instead of pushing them off.
        ranking_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        ranking_->horizontalHeader()->setSectionResizeMode(CName, QHeaderView::Stretch);
        ranking_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        ranking_->setWordWrap(true);
        auto* rankingLabel = new QLabel(QStringLiteral("Ran&king, cheapest first:"), this);
        rankingLabel->setBuddy(ranking_);
        rankNote_ = plainLabel("UsageRankNote");
        rankNote_->setWordWrap(true);
        bands_ = new QTableWidget(0, 3, this);
        bands_->setObjectName(QStringLiteral("UsageBands"));
        bands_->setAccessibleName(QStringLiteral("Bands of the selected tariff"));
        bands_->setHorizontalHeaderLabels(
            {QStringLiteral("Band"), QStringLiteral("kWh"), QStringLiteral("Cost before VAT")});
        months_ = new QTableWidget(0, 3, this);
        months_->setObjectName(QStringLiteral("UsageMonths"));
        months_->setAccessibleName(QStringLiteral("Months of the selected tariff"));
        months_->setHorizontalHeaderLabels(
            {QStringLiteral("Month"), QStringLiteral("kWh"), QStringLiteral("Total")});
        for (QTableWidget* t : {bands_, months_}) {
            t->setEditTriggers(QAbstractItemView::NoEditTriggers);
            t->verticalHeader()->hide();
            t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
            t->horizontalHeader()->setStretchLastSection(true);
        }
        auto* details = new QHBoxLayout;
        details->addWidget(bands_);
        details->addWidget(months_);
        exportRanking_ = button("UsageExportRanking", "&Export Ranking as CSV…");
        exportRanking_->setEnabled(false);
        auto* right = new QWidget(this);
        auto* rightLayout = new QVBoxLayout(right);
        rightLayout->setContentsMargins(0, 0, 0, 0);
        rightLayout->addWidget(tariffsLabel);
        rightLayout->addWidget(tariffs_, 1);
        rightLayout->addLayout(tariffButtons);
        rightLayout->addWidget(rankingLabel);
        rightLayout->addWidget(rankNote_);
        rightLayout->addWidget(ranking_, 2);
        rightLayout->addLayout(details, 1);
        auto* exportRow = new QHBoxLayout;
        exportRow->addStretch();
        exportRow->addWidget(exportRanking_);
        rightLayout->addLayout(exportRow);

        auto* splitter = new QSplitter(Qt::Horizontal, this);
        splitter->addWidget(pages_);
        splitter->addWidget(right);
        splitter->setStretchFactor(0, 3);
        splitter->setStretchFactor(1, 2);
        splitter->setSizes({640, 600});

        auto* layout = new QVBoxLayout(this);
        layout->addLayout(top);
        layout->addWidget(progressRow_);
        layout->addWidget(results_);
        layout->addWidget(splitter, 1);
        resize(1240, 780);

        // Tab runs through the window as it reads: top row, coverage, charts, tariffs.
        QWidget* order[] = {
            importButton_, meter_,       from_,    to_,        cancelButton_, results_,
            daysButton_,   days_,        tabs_,    dailyView_, averageView_,  heat_,
            tableToggle_,  exportChart_, tariffs_, addButton_, removeButton_, currentButton_,
            rankButton_,   ranking_,     bands_,   months_,    exportRanking_};
        for (std::size_t i = 1; i < std::size(order); ++i)
            setTabOrder(order[i - 1], order[i]);

        connect(importButton_, &QPushButton::clicked, this, [this] { chooseImport(); });
        connect(cancelButton_, &QPushButton::clicked, this, [this] { cancelImport(); });
        connect(&progressTimer_, &QTimer::timeout, this, [this] {
            if (importing_)
                progressRow_->show();
        });
        connect(meter_, &QComboBox::activated, this, [this] { load(chosenMeter()); });
        for (QDateEdit* e : {from_, to_})
            connect(e, &QDateEdit::dateChanged, this, [this] { rangeChanged(); });
        connect(daysButton_, &QPushButton::toggled, days_, &QWidget::setVisible);
        connect(tableToggle_, &QPushButton::toggled, this, [this](bool on) { showTables(on); });
        connect(exportChart_, &QPushButton::clicked, this, [this] { exportChart(); });
        connect(addButton_, &QPushButton::clicked, this, [this] { chooseTariffs(); });
        connect(removeButton_, &QPushButton::clicked, this, [this] { removeTariffs(); });
        connect(currentButton_, &QPushButton::clicked, this, [this] { setCurrent(); });
        connect(rankButton_, &QPushButton::clicked, this, [this] { rank(); });
        connect(ranking_, &QTableWidget::itemSelectionChanged, this, [this] { showDetails(); });
        connect(tariffs_, &QListWidget::currentRowChanged, this, [this] { shadeBands(); });
        connect(exportRanking_, &QPushButton::clicked, this, [this] { chooseRankingFile(); });

        setBusy(true);
        load(QString(), true);
    }

    ~UsageWindow() override {
        // The store's thread ends before anything it reports to goes.
        thread_->cancel = true;
        thread_.reset();
    }

    bool busy() const { return busy_; }

  protected:
    void changeEvent(QEvent* e) override {
        // The charts take the light or dark theme of the palette they are drawn with.
        if (e->type() == QEvent::PaletteChange && heat_)
            redraw();
        QWidget::changeEvent(e);
    }

  public:
    bool importFiles(const QStringList& paths) {
        if (busy_ || paths.isEmpty())
            return false;
        importing_ = true;
        setBusy(true);
        thread_->cancel = false;
        results_->clear();
        results_->show();
        progress_->setValue(0);
        progressLabel_->setText(QFileInfo(paths.front()).fileName());
        progressTimer_.start();
        QObject* self = this;
        thread_->run(
            this,
            [paths, self](StoreThread& t) {
                QString error;
                usage::Store* store = t.store(true, &error);
                for (qsizetype i = 0; i < paths.size(); ++i) {
                    const QString name = QFileInfo(paths[i]).fileName();
                    if (!store) {
                        StoreThread::tell(
                            self, [self, line = name + QStringLiteral(": not imported: ") + error] {
                                static_cast<UsageWindow*>(self)->addResult(line, true);
                            });
                        continue;
                    }
                    if (t.cancel) {
                        StoreThread::tell(self, [self, name] {
                            static_cast<UsageWindow*>(self)->addResult(
                                name + QStringLiteral(": not read, the import was cancelled"),
                                false);
                        });
                        continue;
                    }
                    StoreThread::tell(self, [self, name, i, n = paths.size()] {
                        static_cast<UsageWindow*>(self)->fileStarted(name, int(i), int(n));
                    });
                    const QString line = importOne(*store, paths[i], t, self);
                    const bool bad = !line.contains(QStringLiteral(" new, "));
                    StoreThread::tell(self, [self, line, bad] {
                        static_cast<UsageWindow*>(self)->addResult(line, bad);
                    });
                }
                return 0;
            },
            [this](int) {
                importing_ = false;
                progressTimer_.stop();
                progressRow_->hide();
                saveTariffs(); // a list chosen before there was a store
                load(chosenMeter());
            });
        return true;
    }

    bool addTariffs(const QStringList& paths) {
        for (const QString& p : paths) {
            const QString path = QFileInfo(p).absoluteFilePath();
            if (tariffPaths().contains(path))
                continue;
            auto* item = new QListWidgetItem(tariffs_);
            item->setData(Qt::UserRole, path);
        }
        if (current_.isEmpty() && tariffs_->count() > 0)
            current_ = tariffs_->item(0)->data(Qt::UserRole).toString();
        markTariffs();
        saveTariffs();
        return true;
    }

    bool exportRanking(const QString& path) {
        QSaveFile out(path);
        if (!lastRanking_ || !out.open(QIODevice::WriteOnly) ||
            out.write(lastRanking_->csv) != lastRanking_->csv.size() || !out.commit()) {
            f_.message(ErrorTitle,
                       QStringLiteral("Unable to write the ranking to ") +
                           QDir::toNativeSeparators(path) +
                           QStringLiteral(".\r\nThis may be a permissions problem."),
                       Host::Buttons::Ok, Host::Icon::Warning);
            return false;
        }
        return true;
    }

  private:
    QPushButton* button(const char* name, const char* text) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QLatin1String(name));
        return b;
    }
    QLabel* plainLabel(const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setTextFormat(Qt::PlainText);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return l;
    }
    QDateEdit* dateEdit(const char* name) {
        auto* e = new QDateEdit(this);
        e->setObjectName(QLatin1String(name));
        e->setCalendarPopup(true);
        e->setDisplayFormat(QStringLiteral("d MMM yyyy"));
        return e;
    }
    QChartView* chartView(const char* name) {
        auto* v = new QChartView(new QChart, this);
        v->setObjectName(QLatin1String(name));
        v->setRenderHint(QPainter::Antialiasing);
        v->setMinimumSize(420, 260);
        v->setFocusPolicy(Qt::StrongFocus);
        return v;
    }
    QTableWidget* figureTable(const char* name, const char* accessible) {
        auto* t = new QTableWidget(this);
        t->setObjectName(QLatin1String(name));
        t->setAccessibleName(QString::fromUtf8(accessible));
        t->setEditTriggers(QAbstractItemView::NoEditTriggers);
        t->verticalHeader()->hide();
        return t;
    }
    QStackedWidget* stacked(QWidget* chart, QWidget* table) {
        auto* s = new QStackedWidget(this);
        s->addWidget(chart);
        s->addWidget(table);
        return s;
    }

    // The meter chosen, null before there is one.
    QString chosenMeter() const {
        return meter_->currentIndex() < 0 ? QString() : meter_->currentData().toString();
    }

    void setBusy(bool on) {
        busy_ = on;
        setProperty("busy", on);
        for (QWidget* w : {static_cast<QWidget*>(importButton_), static_cast<QWidget*>(rankButton_),
                           static_cast<QWidget*>(meter_)})
            w->setEnabled(!on);
        cancelButton_->setEnabled(importing_);
    }

    // --- The store ----------------------------------------------------------------------

    // Reads the chosen meter's slots (or the remembered one's) and the tariff list.
    void load(const QString& meter, bool first = false) {
        setBusy(true);
        thread_->run(
            this,
            [meter, first](StoreThread& t) {
                Loaded out;
                usage::Store* store = t.store(false, &out.error);
                if (!store)
                    return std::pair{out, QStringList()};
                QStringList tariffs;
                if (first) {
                    tariffs << store->setting(CurrentKey);
                    tariffs << store->setting(TariffsKey).split(u'\n', Qt::SkipEmptyParts);
                }
                const QList<usage::Series> series = store->series();
                for (const usage::Series& s : series)
                    if (s.direction == domain::Direction::Import && !out.meters.contains(s.meter))
                        out.meters << s.meter;
                QStringList exporters;
                for (const usage::Series& s : series)
                    if (s.direction == domain::Direction::Export)
                        exporters << s.meter;
                const QString wanted = meter.isNull() ? store->setting(MeterKey) : meter;
                out.meter = out.meters.contains(wanted) ? wanted : out.meters.value(0);
                if (out.meters.isEmpty())
                    return std::pair{out, tariffs};
                if (!meter.isNull())
                    store->setSetting(MeterKey, out.meter);
                const qint64 all = std::numeric_limits<qint64>::max() / 2;
                for (const usage::Series& s : series)
                    if (s.meter == out.meter && s.direction == domain::Direction::Import) {
                        out.zone = s.zone;
                        out.imports = store->slotsOf(s.meter, s.direction, -all, all);
                        out.summary = usage::summarize(s, out.imports, {}, {});
                    }
                // The meter's own export, else the one meter that exports.
                const QString exporter = exporters.contains(out.meter) ? out.meter
                                         : exporters.size() == 1       ? exporters.front()
                                                                       : QString();
                if (exporters.contains(exporter))
                    out.exports = store->slotsOf(exporter, domain::Direction::Export, -all, all);
                out.coverage = usage::coverage(out.imports, out.zone);
                return std::pair{out, tariffs};
            },
            [this, first](const std::pair<Loaded, QStringList>& result) {
                if (first && !result.second.isEmpty()) {
                    current_ = result.second.front();
                    addTariffs(result.second.mid(1));
                }
                present(result.first);
                setBusy(false);
            });
    }

    void present(const Loaded& data) {
        data_ = data;
        meter_->clear();
        for (const QString& m : data.meters)
            meter_->addItem(m.isEmpty() ? QStringLiteral("(no id)") : m, m);
        meter_->setCurrentIndex(int(data.meters.indexOf(data.meter)));
        if (!data.error.isEmpty()) {
            message_->setText(data.error);
            pages_->setCurrentIndex(0);
            return;
        }
        if (data.imports.isEmpty()) {
            message_->setText(Guidance);
            pages_->setCurrentIndex(0);
            return;
        }
        pages_->setCurrentIndex(1);
        const usage::Coverage& c = data.coverage;
        const QDate first = localDay(c.first, data.zone), last = localDay(c.last, data.zone);
        const qint64 slotCount = data.summary ? data.summary->slotCount : c.count;
        const qint64 missing = data.summary ? data.summary->missing : c.missing;
        const qint64 estimated = data.summary ? data.summary->estimated : c.estimated;
        coverage_->setText(
            QStringLiteral("Meter %1: %2 to %3, %4 slots of %5 minutes, %6 missing, %7 estimated")
                .arg(data.meter.isEmpty() ? QStringLiteral("without an id") : data.meter,
                     longDate(first), longDate(last), count(slotCount),
                     QString::number(c.slotSeconds / 60), count(missing), count(estimated)));
        auto list = [](const QList<QDate>& days) {
            QStringList out;
            for (const QDate& d : days)
                out << longDate(d);
            return out.isEmpty() ? QStringLiteral("none") : out.join(QStringLiteral(", "));
        };
        days_->setPlainText(QStringLiteral("Days with missing slots: ") + list(c.missingDays) +
                            QStringLiteral("\nDays with estimated slots: ") +
                            list(c.estimatedDays));
        // The range: the whole span at first, kept while it still lies within the data.
        const QSignalBlocker b1(from_), b2(to_);
        const bool keep = rangeSet_ && from_->date() >= first && to_->date() <= last &&
                          from_->date() <= to_->date();
        const QDate keepFrom = from_->date(), keepTo = to_->date();
        from_->setDateRange(first, last);
        to_->setDateRange(first, last);
        from_->setDate(keep ? keepFrom : first);
        to_->setDate(keep ? keepTo : last);
        rangeSet_ = true;
        redraw();
    }

    // --- Charts -------------------------------------------------------------------------

    void rangeChanged() {
        if (from_->date() > to_->date()) {
            // Both days stay included: the other end follows.
            const QSignalBlocker b1(from_), b2(to_);
            if (sender() == from_)
                to_->setDate(from_->date());
            else
                from_->setDate(to_->date());
        }
        redraw();
    }

  public:
    void redraw() {
        if (data_.imports.isEmpty())
            return;
        const QDate from = from_->date(), to = to_->date().addDays(1);
        const bool dark = palette().color(QPalette::Window).lightness() < 128;
        days_list_ = usage::dailyTotals(data_.imports, data_.exports, data_.zone, from, to);
        fillDailyChart(dailyView_->chart(), days_list_, dark);
        map_ = std::make_shared<usage::HeatMap>(
            usage::heatMap(data_.imports, data_.zone, from, to, data_.coverage.slotSeconds,
                           data_.coverage.first, data_.coverage.end));
        average_ = usage::averageDay(*map_);
        heat_->setMap(map_);
        shadeBands();
        if (tableToggle_->isChecked())
            fillTables();
    }

  private:
    // The selected (else the current) tariff's bands on the last weekday of the range.
    void shadeBands() {
        if (data_.imports.isEmpty())
            return;
        QList<usage::BandRun> runs;
        const QListWidgetItem* item = tariffs_->currentItem();
        const QString path = item ? item->data(Qt::UserRole).toString() : current_;
        if (const auto tariff = readTariff(path)) {
            QDate day = to_->date();
            while (day.dayOfWeek() > 5 && day > from_->date())
                day = day.addDays(-1);
            runs = usage::bandRuns(*tariff, day, data_.coverage.slotSeconds);
        }
        const bool dark = palette().color(QPalette::Window).lightness() < 128;
        fillAverageChart(averageView_->chart(), average_, runs, dark);
    }

    void showTables(bool on) {
        for (int i = 0; i < tabs_->count(); ++i)
            static_cast<QStackedWidget*>(tabs_->widget(i))->setCurrentIndex(on ? 1 : 0);
        if (on)
            fillTables();
    }

    static QTableWidgetItem* cell(const QString& text, bool number = true) {
        auto* item = new QTableWidgetItem(text);
        if (number)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return item;
    }

    void fillTables() {
        dailyTable_->clear();
        dailyTable_->setColumnCount(4);
        dailyTable_->setHorizontalHeaderLabels({QStringLiteral("Day"), QStringLiteral("Import kWh"),
                                                QStringLiteral("Export kWh"),
                                                QStringLiteral("7-day average kWh")});
        dailyTable_->setRowCount(int(days_list_.size()));
        for (int r = 0; r < days_list_.size(); ++r) {
            const usage::DayTotal& d = days_list_[r];
            dailyTable_->setItem(
                r, 0, cell(QLocale().toString(d.day, QStringLiteral("ddd d MMM yyyy")), false));
            dailyTable_->setItem(
                r, 1, cell(d.importSlots ? kwh(d.imported, 3) : QStringLiteral("no data")));
            dailyTable_->setItem(r, 2, cell(d.exportSlots ? kwh(d.exported, 3) : QString()));
            dailyTable_->setItem(r, 3, cell(d.average ? kwh(*d.average, 3) : QString()));
        }
        averageTable_->clear();
        averageTable_->setColumnCount(3);
        averageTable_->setHorizontalHeaderLabels({QStringLiteral("Time"),
                                                  QStringLiteral("Weekdays kWh"),
                                                  QStringLiteral("Weekends kWh")});
        averageTable_->setRowCount(int(average_.weekday.size()));
        for (int r = 0; r < average_.weekday.size(); ++r) {
            const QTime t = QTime(0, 0).addSecs(r * average_.slotSeconds);
            averageTable_->setItem(r, 0, cell(t.toString(QStringLiteral("HH:mm")), false));
            auto value = [](const std::optional<double>& v) {
                return v ? kwh(*v, 3) : QStringLiteral("no data");
            };
            averageTable_->setItem(r, 1, cell(value(average_.weekday[r])));
            averageTable_->setItem(r, 2, cell(value(average_.weekend[r])));
        }
        for (QTableWidget* t : {dailyTable_, averageTable_})
            t->resizeColumnsToContents();
        heatModel_->setMap(map_);
    }

    void exportChart() {
        QWidget* shown = static_cast<QStackedWidget*>(tabs_->currentWidget())->widget(0);
        const QString path = QFileDialog::getSaveFileName(
            this, QStringLiteral("Export Chart as PNG"),
            QDir::home().filePath(QStringLiteral("Voltrake_") + shown->objectName() +
                                  QStringLiteral(".png")),
            QStringLiteral("PNG images (*.png)"));
        if (path.isEmpty())
            return;
        if (!shown->grab().save(path, "PNG"))
            f_.message(ErrorTitle,
                       QStringLiteral("Unable to write the chart to ") +
                           QDir::toNativeSeparators(path) +
                           QStringLiteral(".\r\nThis may be a permissions problem."),
                       Host::Buttons::Ok, Host::Icon::Warning);
    }

    // --- Import -------------------------------------------------------------------------

    void chooseImport() {
        const QStringList paths = QFileDialog::getOpenFileNames(
            this, QStringLiteral("Import Smart Meter Data"), f_.path(QStringLiteral("Data")),
            QStringLiteral("Interval data (*.csv *.json *.txt);;All files (*)"));
        importFiles(paths);
    }

    void cancelImport() {
        thread_->cancel = true;
        cancelButton_->setEnabled(false);
        progressLabel_->setText(progressLabel_->text() + QStringLiteral(" (cancelling)"));
    }

    void fileStarted(const QString& name, int i, int n) {
        progressLabel_->setText(n > 1 ? QStringLiteral("%1 (%2 of %3)").arg(name).arg(i + 1).arg(n)
                                      : name);
        progress_->setValue(0);
    }

    void addResult(const QString& line, bool bad) {
        auto* item = new QListWidgetItem(line, results_);
        if (bad)
            item->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
        results_->scrollToItem(item);
    }

    // On the store's thread: one file, its outcome as a line of the list.
    static QString importOne(usage::Store& store, const QString& path, StoreThread& t,
                             QObject* self) {
        const QString name = QFileInfo(path).fileName();
        if (const QString fault = files::notRegularFault(path); !fault.isEmpty())
            return name + QStringLiteral(": not imported: ") + fault;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return name + QStringLiteral(": not imported: ") + file.errorString();
        const qint64 size = std::max<qint64>(1, file.size());
        QElapsedTimer since;
        since.start();
        const usage::ImportOutcome o = store.importFile(
            file, QFileInfo(path).absoluteFilePath(), usage::ReadOptions{}, [&](qint64 bytes) {
                if (since.elapsed() > 40) {
                    since.restart();
                    StoreThread::tell(self, [self, v = int(bytes * 1000 / size)] {
                        static_cast<UsageWindow*>(self)->progress_->setValue(v);
                    });
                }
                return !t.cancel;
            });
        const QString format =
            o.format ? usage::formatName(*o.format) + QStringLiteral(", ") : QString();
        if (o.refused)
            return name + QStringLiteral(": refused, nothing of it kept: ") + format +
                   o.refused->text();
        if (!o.failure.isEmpty())
            return name + QStringLiteral(": not imported: ") + o.failure;
        if (o.cancelled)
            return name + QStringLiteral(": cancelled, nothing of it kept");
        QString line = name + QStringLiteral(": ") + format +
                       QStringLiteral("%1 new, %2 unchanged, %3 replaced")
                           .arg(count(o.added), count(o.unchanged), count(o.replaced));
        if (o.first && o.last)
            line +=
                QStringLiteral(" (%1 to %2)")
                    .arg(longDate(localDay(*o.first, o.zone)), longDate(localDay(*o.last, o.zone)));
        return line;
    }

    // --- Tariffs and ranking ------------------------------------------------------------

    QStringList tariffPaths() const {
        QStringList out;
        for (int i = 0; i < tariffs_->count(); ++i)
            out << tariffs_->item(i)->data(Qt::UserRole).toString();
        return out;
    }

    void markTariffs() {
        for (int i = 0; i < tariffs_->count(); ++i) {
            QListWidgetItem* item = tariffs_->item(i);
            const QString path = item->data(Qt::UserRole).toString();
            const bool current = path == current_;
            QString text = QFileInfo(path).fileName();
            if (current)
                text += QStringLiteral(" (current)");
            if (const QString why = refusals_.value(path); !why.isEmpty())
                text += QStringLiteral(": refused, ") + why;
            item->setText(text);
            item->setToolTip(QDir::toNativeSeparators(path));
            QFont font = item->font();
            font.setBold(current);
            item->setFont(font);
        }
        shadeBands();
    }

    void saveTariffs() {
        const QString list = tariffPaths().join(u'\n');
        const QString current = current_;
        thread_->run(
            this,
            [list, current](StoreThread& t) {
                QString error;
                // Remembered only where there is a store already: a list alone makes none.
                if (usage::Store* s = t.store(false, &error); s && s->exists()) {
                    s->setSetting(TariffsKey, list);
                    s->setSetting(CurrentKey, current);
                }
                return 0;
            },
            [](int) {});
    }

    void chooseTariffs() {
        const QStringList paths = QFileDialog::getOpenFileNames(
            this, QStringLiteral("Add Tariffs"), f_.path(QStringLiteral("Data")),
            QStringLiteral("Tariffs (*.json *.csv);;All files (*)"));
        if (!paths.isEmpty())
            addTariffs(paths);
    }

    void removeTariffs() {
        for (QListWidgetItem* item : tariffs_->selectedItems()) {
            if (item->data(Qt::UserRole).toString() == current_)
                current_.clear();
            delete item;
        }
        if (current_.isEmpty() && tariffs_->count() > 0)
            current_ = tariffs_->item(0)->data(Qt::UserRole).toString();
        markTariffs();
        saveTariffs();
    }

    void setCurrent() {
        if (QListWidgetItem* item = tariffs_->currentItem()) {
            current_ = item->data(Qt::UserRole).toString();
            markTariffs();
            saveTariffs();
        }
    }

    void rank() {
        const QStringList files = tariffPaths();
        if (busy_)
            return;
        if (files.isEmpty()) {
            rankNote_->setText(QStringLiteral("Add the tariffs to compare first."));
            return;
        }
        setBusy(true);
        rankNote_->setText(QStringLiteral("Ranking…"));
        const RankRequest request{files, current_.isEmpty() ? files.front() : current_, data_.meter,
                                  from_->date(), to_->date().addDays(1)};
        thread_->run(
            this,
            [request](StoreThread& t) {
                QString error;
                usage::Store* store = t.store(false, &error);
                if (!store) {
                    RankResult r;
                    r.error = error;
                    return r;
                }
                return rankTariffs(*store, request);
            },
            [this](const RankResult& r) {
                setBusy(false);
                showRanking(r);
            });
    }

    void showRanking(const RankResult& r) {
        ranking_->setRowCount(0);
        bands_->setRowCount(0);
        months_->setRowCount(0);
        refusals_.clear();
        if (!r.error.isEmpty()) {
            lastRanking_.reset();
            exportRanking_->setEnabled(false);
            rankNote_->setText(r.error);
            markTariffs();
            return;
        }
        lastRanking_ = r;
        exportRanking_->setEnabled(true);
        rankNote_->setText(r.note);
        ranking_->setRowCount(int(r.ranked.size() + r.refused.size()));
        int row = 0;
        for (const RankedTariff& t : r.ranked) {
            auto* name =
                cell(t.name + (t.current ? QStringLiteral(" (current)") : QString()), false);
            name->setToolTip(QDir::toNativeSeparators(t.file));
            ranking_->setItem(row, CName, name);
            ranking_->setItem(row, CTotal, cell(money(t.total)));
            ranking_->setItem(row, CDifference, cell(money(t.difference)));
            ranking_->setItem(row, CPercent,
                              cell(t.differencePercent
                                       ? QLocale().toString(*t.differencePercent, 'f', 1)
                                       : QStringLiteral("—")));
            ranking_->setItem(row, CEnergy, cell(money(t.energy)));
            ranking_->setItem(row, CStanding, cell(money(t.standing)));
            ranking_->setItem(row, CVat, cell(money(t.vat)));
            ranking_->setItem(row, CExport, cell(money(t.exportCredit)));
            ++row;
        }
        for (const RankRefusal& x : r.refused) {
            refusals_.insert(QFileInfo(x.file).absoluteFilePath(), x.reason);
            ranking_->setItem(row, CName, cell(QFileInfo(x.file).fileName(), false));
            ranking_->setItem(row, CTotal, cell(QStringLiteral("refused: ") + x.reason, false));
            ranking_->setSpan(row, CTotal, 1, RankColumns - CTotal);
            ++row;
        }
        markTariffs();
        if (!r.ranked.isEmpty())
            ranking_->selectRow(0);
    }

    void showDetails() {
        bands_->setRowCount(0);
        months_->setRowCount(0);
        const int row = ranking_->currentRow();
        if (!lastRanking_ || row < 0 || row >= lastRanking_->ranked.size())
            return;
        const RankedTariff& t = lastRanking_->ranked[row];
        bands_->setRowCount(int(t.bands.size()));
        for (int i = 0; i < t.bands.size(); ++i) {
            bands_->setItem(i, 0, cell(t.bands[i].name, false));
            bands_->setItem(i, 1, cell(kwh(t.bands[i].kwh, 3)));
            bands_->setItem(i, 2, cell(money(t.bands[i].cost)));
        }
        months_->setRowCount(int(t.months.size()));
        for (int i = 0; i < t.months.size(); ++i) {
            months_->setItem(
                i, 0,
                cell(QLocale().toString(t.months[i].month, QStringLiteral("MMM yyyy")), false));
            months_->setItem(i, 1, cell(kwh(t.months[i].kwh, 3)));
            months_->setItem(i, 2, cell(money(t.months[i].total)));
        }
    }

    void chooseRankingFile() {
        const QString path = QFileDialog::getSaveFileName(
            this, QStringLiteral("Export Ranking as CSV"),
            QDir::home().filePath(QStringLiteral("Voltrake_Ranking.csv")),
            QStringLiteral("CSV files (*.csv)"));
        if (!path.isEmpty())
            exportRanking(path);
    }

    MainForm& f_;
    std::unique_ptr<StoreThread> thread_;
    QPushButton *importButton_, *cancelButton_, *daysButton_, *tableToggle_, *exportChart_;
    QPushButton *addButton_, *removeButton_, *currentButton_, *rankButton_, *exportRanking_;
    QComboBox* meter_;
    QDateEdit *from_, *to_;
    QLabel *progressLabel_, *coverage_, *message_, *rankNote_;
    QProgressBar* progress_;
    QWidget* progressRow_;
    QTimer progressTimer_;
    QListWidget *results_, *tariffs_;
    QPlainTextEdit* days_;
    QTabWidget* tabs_;
    QStackedWidget* pages_;
    QChartView *dailyView_, *averageView_;
    HeatMapView* heat_ = nullptr;
    QTableWidget *dailyTable_, *averageTable_, *ranking_, *bands_, *months_;
    HeatMapTable* heatModel_;
    QTableView* heatTable_;
    bool busy_ = false, importing_ = false, rangeSet_ = false;
    Loaded data_;
    QList<usage::DayTotal> days_list_;
    std::shared_ptr<usage::HeatMap> map_;
    usage::AverageDay average_;
    QString current_;
    QHash<QString, QString> refusals_; // tariff file -> why the last ranking refused it
    std::optional<RankResult> lastRanking_;
};

QPointer<UsageWindow> open;

} // namespace

QWidget* showUsageWindow(MainForm& f, QWidget* parent) {
    return showOnly(open, f, parent);
}

QWidget* usageWindow() {
    return open;
}

bool importUsageFiles(const QStringList& paths) {
    return open && open->importFiles(paths);
}

bool addUsageTariffs(const QStringList& paths) {
    return open && open->addTariffs(paths);
}

bool exportUsageRanking(const QString& path) {
    return open && open->exportRanking(path);
}
