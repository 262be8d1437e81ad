// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frmhistory.h"

#include "form/mainform.h"
#include "records/configformat.h"
#include "records/plan.h"
#include "text/files.h"
#include "text/values.h"
#include "ui/historymodel.h"
#include "ui/toolwindow.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPen>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStackedBarSeries>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <type_traits>
#include <variant>

namespace {

const QString kEmpty = QStringLiteral(
    "No saved periods yet.\n\n"
    "The history fills as you save calculations: each Save adds the second meter reading to "
    "the history log, and every two saved readings make one period here. You can also bring "
    "readings in with File > Import Readings from CSV.");

class HistoryWindow : public ToolWindow {
  public:
    HistoryWindow(MainForm& f, QWidget* parent)
        : ToolWindow(QStringLiteral("frmHistory"), QStringLiteral("Voltrake History and Charts"),
                     f.RunOnTop == 2, parent),
          f_(f) {

        model_ = new HistoryModel(this);
        auto* proxy = new QSortFilterProxyModel(this);
        proxy->setSourceModel(model_);
        proxy->setSortRole(HistoryModel::SortRole);

        table_ = new QTableView(this);
        table_->setObjectName(QStringLiteral("HistoryTable"));
        table_->setModel(proxy);
        table_->setSortingEnabled(true);
        table_->sortByColumn(-1, Qt::AscendingOrder); // the model's own order: newest first
        table_->setSelectionBehavior(QAbstractItemView::SelectRows);
        table_->verticalHeader()->hide();
        table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        // Widths from the shown rows and a sample around them, not from a thousand: the rows
        // of one column are alike, and a long history then opens without a pause.
        table_->horizontalHeader()->setResizeContentsPrecision(100);
        table_->horizontalHeader()->setStretchLastSection(true);

        charts_ = new QTabWidget(this);
        charts_->setObjectName(QStringLiteral("HistoryCharts"));
        unitsView_ = new QChartView(new QChart, this);
        costView_ = new QChartView(new QChart, this);
        unitsView_->setObjectName(QStringLiteral("UnitsChart"));
        costView_->setObjectName(QStringLiteral("CostChart"));
        for (QChartView* v : {unitsView_, costView_}) {
            v->setRenderHint(QPainter::Antialiasing);
            v->setMinimumSize(480, 300);
        }
        charts_->addTab(unitsView_, QStringLiteral("Units"));
        charts_->addTab(costView_, QStringLiteral("Cost"));

        empty_ = new QLabel(kEmpty, this);
        empty_->setObjectName(QStringLiteral("HistoryEmpty"));
        empty_->setWordWrap(true);
        empty_->setAlignment(Qt::AlignCenter);
        empty_->setTextFormat(Qt::PlainText);
        empty_->setMargin(24);

        yearEarlier_ = new QCheckBox(QStringLiteral("Compare with a year earlier"), this);
        yearEarlier_->setObjectName(QStringLiteral("CompareYear"));
        auto* exportPng = new QPushButton(QStringLiteral("Export Chart as PNG…"), this);
        exportPng->setObjectName(QStringLiteral("ExportChart"));
        auto* compare = new QPushButton(QStringLiteral("Compare Tariff…"), this);
        compare->setObjectName(QStringLiteral("CompareTariff"));
        compareNote_ = new QLabel(this);
        compareNote_->setObjectName(QStringLiteral("CompareTotal"));
        compareNote_->setTextFormat(Qt::PlainText);

        auto* buttons = new QHBoxLayout;
        buttons->addWidget(yearEarlier_);
        buttons->addStretch();
        buttons->addWidget(compareNote_);
        buttons->addWidget(compare);
        buttons->addWidget(exportPng);

        auto* chartArea = new QWidget(this);
        auto* chartLayout = new QVBoxLayout(chartArea);
        chartLayout->setContentsMargins(0, 0, 0, 0);
        chartLayout->addWidget(charts_, 1);
        chartLayout->addLayout(buttons);

        stack_ = new QStackedWidget(this);
        stack_->addWidget(empty_);
        auto* splitter = new QSplitter(Qt::Vertical, this);
        splitter->addWidget(chartArea);
        splitter->addWidget(table_);
        splitter->setStretchFactor(0, 3);
        splitter->setStretchFactor(1, 2);
        stack_->addWidget(splitter);

        auto* layout = new QVBoxLayout(this);
        layout->addWidget(stack_);
        resize(820, 640);

        connect(yearEarlier_, &QCheckBox::toggled, this, [this] { rebuildCharts(); });
        connect(exportPng, &QPushButton::clicked, this, [this] { exportChart(); });
        connect(compare, &QPushButton::clicked, this, [this] { compareTariff(); });

        // Save, Remove Last and imports all rewrite or append to the log; a rename replaces
        // the watched file, so the folder is watched too and the file taken up again.
        connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { refresh(); });
        connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { refresh(); });
        refresh();
    }

    HistoryModel& model() { return *model_; }

    void refresh() {
        const QString path = logPath();
        periods_ = savedPeriods(f_);
        setFigures();
        if (!watcher_.files().contains(path) && files::fileExists(path))
            watcher_.addPath(path);
        const QString dir = QFileInfo(path).absolutePath();
        if (!watcher_.directories().contains(dir) && files::dirExists(dir))
            watcher_.addPath(dir);
        stack_->setCurrentIndex(model_->rowCount() > 0 ? 1 : 0);
        rebuildCharts();
    }

  protected:
    void changeEvent(QEvent* e) override {
        // The charts take the light or dark theme of the palette they are drawn with.
        if (e->type() == QEvent::PaletteChange && model_)
            rebuildCharts();
        QWidget::changeEvent(e);
    }

  private:
    QString logPath() const { return f_.path(QStringLiteral("Log/") + f_.HistoryLogName); }

    // The charts show the latest periods only: thousands of bars are neither readable nor
    // quick to draw. The table keeps every period.
    static constexpr std::size_t ChartedPeriods = 60;
    std::size_t first() const {
        const std::size_t n = model_->periods().size();
        return n > ChartedPeriods ? n - ChartedPeriods : 0;
    }
    std::vector<double> charted(std::vector<double> v) const {
        v.erase(v.begin(), v.begin() + qsizetype(std::min(first(), v.size())));
        return v;
    }
    std::vector<double> series(HistoryModel::Series which) const {
        return charted(model_->series(which));
    }

    QStringList categories() const {
        QStringList c;
        const auto& periods = model_->periods();
        for (std::size_t i = first(); i < periods.size(); ++i)
            c << values::shortDate(periods[i].to);
        return c;
    }

    // A line series over the bar categories: point i at the middle of bar i.
    QLineSeries* line(const QString& name, const std::vector<double>& v) {
        auto* s = new QLineSeries;
        s->setName(name);
        for (std::size_t i = 0; i < v.size(); ++i)
            s->append(double(i), v[i]);
        s->setPointsVisible(v.size() < 60);
        connect(s, &QLineSeries::hovered, this,
                [this](const QPointF& p, bool on) { hover(qRound(p.x()) + int(first()), on); });
        return s;
    }

    // Values of the period a year before each period, 0 where the history has none.
    std::vector<double> yearBefore(HistoryModel::Series which) const {
        const std::vector<double> v = model_->series(which);
        std::vector<double> out(v.size(), qQNaN());
        for (std::size_t i = first(); i < v.size(); ++i)
            if (auto j = model_->yearEarlier(i))
                out[i] = v[*j];
        return charted(out);
    }

    void hover(int index, bool on) {
        if (on && index >= 0 && std::size_t(index) < model_->periods().size())
            QToolTip::showText(QCursor::pos(), model_->describe(std::size_t(index)), this);
        else
            QToolTip::hideText();
    }

    QStackedBarSeries* bars(const std::vector<std::pair<QString, std::vector<double>>>& sets) {
        auto* s = new QStackedBarSeries;
        for (const auto& [name, v] : sets) {
            auto* set = new QBarSet(name);
            for (double x : v)
                set->append(x);
            s->append(set);
        }
        connect(s, &QStackedBarSeries::hovered, this,
                [this](bool on, int index, QBarSet*) { hover(index + int(first()), on); });
        return s;
    }

    // `lines` go on the right-hand axis, `onBars` on the bars' own axis.
    void fill(QChart* chart, QStackedBarSeries* barSeries, const std::vector<QLineSeries*>& lines,
              const QString& barTitle, const QString& lineTitle,
              const std::vector<QLineSeries*>& onBars = {}) {
        // The theme first: it restyles every series already in the chart.
        const auto theme = palette().color(QPalette::Window).lightness() < 128
                               ? QChart::ChartThemeDark
                               : QChart::ChartThemeLight;
        if (chart->theme() != theme)
            chart->setTheme(theme);
        chart->removeAllSeries();
        for (QAbstractAxis* a : chart->axes())
            chart->removeAxis(a);
        chart->addSeries(barSeries);
        auto* x = new QBarCategoryAxis;
        x->append(categories());
        x->setLabelsAngle(categories().size() > 8 ? -60 : 0);
        chart->addAxis(x, Qt::AlignBottom);
        auto* y = new QValueAxis;
        y->setTitleText(barTitle);
        chart->addAxis(y, Qt::AlignLeft);
        barSeries->attachAxis(x);
        barSeries->attachAxis(y);
        auto* y2 = new QValueAxis;
        y2->setTitleText(lineTitle);
        chart->addAxis(y2, Qt::AlignRight);
        // The line shares the bars' x axis, so each point sits on its bar.
        auto* xLine = new QValueAxis;
        xLine->setRange(-0.5, double(model_->periods().size() - first()) - 0.5);
        xLine->setVisible(false);
        chart->addAxis(xLine, Qt::AlignTop);
        double low = 0, high = 0;
        // Lines in warm colours stand apart from the theme's bar colours.
        static const QColor colours[] = {QColor(0xE0, 0x6C, 0x00), QColor(0xD0, 0x40, 0x80),
                                         QColor(0x90, 0x60, 0xD0)};
        int n = 0;
        for (QLineSeries* l : lines) {
            chart->addSeries(l);
            l->setPen(QPen(colours[n++ % 3], 2.5));
            l->attachAxis(xLine);
            l->attachAxis(y2);
            for (const QPointF& p : l->points())
                if (!qIsNaN(p.y()))
                    low = std::min(low, p.y()), high = std::max(high, p.y());
        }
        // The bars' axis spans the stacks above and below zero and the lines drawn on it.
        std::vector<double> above, below;
        for (QBarSet* set : barSeries->barSets()) {
            above.resize(std::size_t(set->count())), below.resize(std::size_t(set->count()));
            for (int i = 0; i < set->count(); ++i)
                (set->at(i) >= 0 ? above : below)[std::size_t(i)] += set->at(i);
        }
        double yLow = above.empty() ? 0 : *std::min_element(below.begin(), below.end());
        double yHigh = above.empty() ? 1 : *std::max_element(above.begin(), above.end());
        for (QLineSeries* l : onBars) {
            chart->addSeries(l);
            l->setPen(QPen(colours[n++ % 3], 2.5, Qt::DashLine));
            l->attachAxis(xLine);
            l->attachAxis(y);
            for (const QPointF& p : l->points())
                yLow = std::min(yLow, p.y()), yHigh = std::max(yHigh, p.y());
        }
        y->setRange(yLow, yHigh > yLow ? yHigh : yLow + 1);
        y->applyNiceNumbers();
        y2->setRange(low, high > low ? high * 1.1 : low + 1);
        y2->applyNiceNumbers();
        chart->legend()->setAlignment(Qt::AlignBottom);
    }

    void rebuildCharts() {
        using S = HistoryModel::Series;
        if (model_->periods().empty())
            return;
        const bool year = yearEarlier_->isChecked();
        std::vector<QLineSeries*> unitLines{
            line(QStringLiteral("Units per day"), series(S::UnitsPerDay))};
        if (year)
            unitLines.push_back(
                line(QStringLiteral("Units per day a year earlier"), yearBefore(S::UnitsPerDay)));
        fill(unitsView_->chart(),
             bars({{QStringLiteral("Normal units"), series(S::NormalUnits)},
                   {QStringLiteral("Cheap units"), series(S::CheapUnits)}}),
             unitLines, QStringLiteral("Units"), QStringLiteral("Units per day"));
        unitsView_->chart()->setTitle(QStringLiteral("Units"));

        std::vector<QLineSeries*> costLines{
            line(QStringLiteral("Cost per day"), series(S::CostPerDay))};
        if (year)
            costLines.push_back(
                line(QStringLiteral("Cost per day a year earlier"), yearBefore(S::CostPerDay)));
        std::vector<std::pair<QString, std::vector<double>>> parts{
            {QStringLiteral("Rate 1"), series(S::Rate1)},
            {QStringLiteral("Rate 2"), series(S::Rate2)},
            {QStringLiteral("Cheap rate"), series(S::Cheap)},
            {QStringLiteral("Fixed charges"), series(S::FixedCharges)},
            {QStringLiteral("VAT"), series(S::Vat)},
            {QStringLiteral("Discount 1"), series(S::Discount1)},
            {QStringLiteral("Discount 2"), series(S::Discount2)}};
        // The compared tariff's cost per period and the difference so far are money, like the bars.
        std::vector<QLineSeries*> compared;
        if (model_->compared()) {
            compared.push_back(
                line(QStringLiteral("Cost under the compared tariff"), series(S::ComparedTotal)));
            compared.push_back(
                line(QStringLiteral("Difference so far"), series(S::ComparedDifference)));
        }
        fill(costView_->chart(), bars(parts), costLines, QStringLiteral("Cost"),
             QStringLiteral("Cost per day"), compared);
        costView_->chart()->setTitle(QStringLiteral("Cost"));
    }

    void exportChart() {
        auto* view = qobject_cast<QChartView*>(charts_->currentWidget());
        if (!view)
            return;
        const QString path = QFileDialog::getSaveFileName(
            this, QStringLiteral("Export Chart as PNG"),
            QDir::home().filePath(QStringLiteral("Voltrake_Chart_") +
                                  QDate::currentDate().toString(Qt::ISODate) +
                                  QStringLiteral(".png")),
            QStringLiteral("PNG images (*.png)"));
        if (path.isEmpty())
            return;
        if (!view->grab().save(path, "PNG"))
            f_.message(QStringLiteral("Voltrake Export Error"),
                       QStringLiteral("Unable to write the chart to ") + path +
                           QStringLiteral(".\r\nThis may be a permissions problem."));
    }

    // The figures of the periods, with their totals under the compared tariff if one is chosen.
    void setFigures() {
        std::vector<PeriodFigures> figures;
        figures.reserve(std::size_t(periods_.size()));
        std::optional<records::Comparison> comparison;
        if (other_)
            comparison = std::visit(
                [this](const auto& other) {
                    if constexpr (std::is_same_v<std::decay_t<decltype(other)>, domain::Tariff>)
                        return records::compareTariff(periods_, other);
                    else
                        return records::plan::comparePlan(periods_, other);
                },
                *other_);
        double difference = 0;
        for (qsizetype i = 0; i < periods_.size(); ++i) {
            if (!periods_[i].bill)
                continue;
            PeriodFigures p = periodFigures(periods_[i]);
            if (comparison)
                if (i < comparison->rows.size())
                    p.comparedTotal = comparison->rows[i].other;
            figures.push_back(p);
        }
        if (comparison)
            difference = comparison->difference();
        model_->setPeriods(std::move(figures));
        compareNote_->setText(comparison ? QStringLiteral("Difference over these periods: ") +
                                               values::moneyResult(difference)
                                         : QString());
    }

    void compareTariff() {
        const QString path = QFileDialog::getOpenFileName(
            this, QStringLiteral("Compare Tariff"), f_.path(QStringLiteral("Data")),
            QStringLiteral("Configuration files and plans (*.ini *.csv);;Configuration files "
                           "(*.ini);;Tariff plans (*.csv);;All files (*)"));
        if (!path.isEmpty())
            compareWith(path);
    }

  public:
    // Prices every period under the tariff of another configuration file, or under a plan
    // (a .csv file), as well.
    bool compareWith(const QString& path) {
        if (path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
            const records::plan::PlanFile read = records::plan::readPlanFile(path);
            if (!read.plan) {
                f_.message(QStringLiteral("Voltrake Compare Tariff"), read.message);
                return false;
            }
            other_ = *read.plan;
            setFigures();
            rebuildCharts();
            return true;
        }
        const records::Configuration config = records::readConfigurationFile(path);
        const auto tariff = config.ok() ? config.tariff() : std::nullopt;
        if (!tariff) {
            f_.message(
                QStringLiteral("Voltrake Compare Tariff"),
                QDir::toNativeSeparators(path) +
                    QStringLiteral(" is not a configuration file that can be read.") +
                    (config.messages.isEmpty()
                         ? QString()
                         : QStringLiteral("\r\n") + config.messages.join(QStringLiteral("\r\n"))) +
                    (config.readFault.isEmpty()
                         ? QString()
                         : QStringLiteral(" (") + config.readFault + QStringLiteral(")")));
            return false;
        }
        other_ = tariff;
        setFigures();
        rebuildCharts();
        return true;
    }

  private:
    MainForm& f_;
    HistoryModel* model_ = nullptr;
    QTableView* table_ = nullptr;
    QTabWidget* charts_ = nullptr;
    QChartView* unitsView_ = nullptr;
    QChartView* costView_ = nullptr;
    QLabel* empty_ = nullptr;
    QLabel* compareNote_ = nullptr;
    QCheckBox* yearEarlier_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    QFileSystemWatcher watcher_;
    QList<records::Period> periods_;
    // What the periods are compared with: another configuration's tariff or a plan.
    std::optional<std::variant<domain::Tariff, domain::TariffPlan>> other_;
};

QPointer<HistoryWindow> open;

} // namespace

QWidget* showHistoryWindow(MainForm& f, QWidget* parent) {
    return showOnly(open, f, parent);
}

QWidget* historyWindow() {
    return open;
}

bool compareHistoryWith(const QString& configPath) {
    return open && open->compareWith(configPath);
}

void refreshHistoryWindow() {
    if (open)
        open->refresh();
}
