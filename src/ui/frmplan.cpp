// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frmplan.h"

#include "form/mainform.h"
#include "records/plan.h"
#include "text/files.h"
#include "text/values.h"
#include "ui/toolwindow.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString ErrorTitle = QStringLiteral("Voltrake Plan Error");
const QString DefaultPlan = QStringLiteral("Data/plan.csv");

enum Column {
    From,
    To,
    Days,
    Units,
    CheapUnits,
    CheapRate,
    ExportUnits,
    ExportRate,
    UnitRate,
    Standing,
    Vat,
    Cost,
    ColumnCount
};

// Where the currency has hundredths the amount is shown as money; elsewhere the plan's
// hundredths would not fit the currency form, so the plain two-decimal figure is shown.
QString money(double amount) {
    return values::currencyDecimals() == 2 ? values::moneyResult(amount)
                                           : values::fixed(amount, values::Fixed::Two);
}

class PlanWindow : public ToolWindow {
  public:
    PlanWindow(MainForm& f, QWidget* parent)
        : ToolWindow(QStringLiteral("frmPlan"), QStringLiteral("Voltrake Check a Bill with a Plan"),
                     f.RunOnTop == 2, parent),
          f_(f) {

        // Two readings side by side, as on the main window: first on the left, second on the
        // right. Every box has a label of its own for access keys and screen readers.
        auto* inputs = new QGridLayout;
        const struct {
            const char* name;
            const char* label;
            const char* field; // the main window's field it starts from
        } fields[] = {{"PlanDate1", "Date &1:", "Date1"},
                      {"PlanDate2", "Date &2:", "Date2"},
                      {"PlanNRead1", "&Normal reading 1:", "NRead1"},
                      {"PlanNRead2", "N&ormal reading 2:", "NRead2"},
                      {"PlanCRead1", "C&heap reading 1:", "CRead1"},
                      {"PlanCRead2", "Ch&eap reading 2:", "CRead2"},
                      {"PlanExport1", "E&xport reading 1:", nullptr},
                      {"PlanExport2", "Ex&port reading 2:", nullptr}};
        int n = 0;
        for (const auto& field : fields) {
            auto* edit = new QLineEdit(this);
            edit->setObjectName(QLatin1String(field.name));
            if (field.field)
                edit->setText(f.model.text(QLatin1String(field.field)));
            auto* label = new QLabel(QString::fromUtf8(field.label), this);
            label->setBuddy(edit);
            const int row = n / 2, column = (n % 2) * 3; // column 2 keeps the pairs apart
            inputs->addWidget(label, row, column);
            inputs->addWidget(edit, row, column + 1);
            connect(edit, &QLineEdit::returnPressed, this, [this] { calculate(); });
            edits_.insert(QLatin1String(field.name), edit);
            ++n;
        }
        inputs->setColumnStretch(1, 1);
        inputs->setColumnStretch(4, 1);
        inputs->setColumnMinimumWidth(2, fontMetrics().averageCharWidth() * 2);
        auto* exportNote = new QLabel(
            QStringLiteral("Leave the export readings empty when nothing is exported."), this);
        exportNote->setWordWrap(true);
        inputs->addWidget(exportNote, n / 2, 1, 1, 4);

        planFile_ = new QLineEdit(this);
        planFile_->setObjectName(QStringLiteral("PlanFile"));
        for (const char* candidate : {"Data/plan.csv", "Data/plan-example.csv"})
            if (const QString p = f.path(QLatin1String(candidate)); files::fileExists(p)) {
                planFile_->setText(QDir::toNativeSeparators(p));
                break;
            }
        auto* planLabel = new QLabel(QStringLiteral("Plan &file:"), this);
        planLabel->setBuddy(planFile_);
        auto* browseButton = new QPushButton(QStringLiteral("&Browse…"), this);
        browseButton->setObjectName(QStringLiteral("PlanBrowse"));
        const int planRow = n / 2 + 1;
        inputs->addWidget(planLabel, planRow, 0);
        auto* planLine = new QHBoxLayout;
        planLine->addWidget(planFile_, 1);
        planLine->addWidget(browseButton);
        inputs->addLayout(planLine, planRow, 1, 1, 4);
        connect(planFile_, &QLineEdit::returnPressed, this, [this] { calculate(); });
        // The plan that Save as Default would write is the one last read from this path.
        connect(planFile_, &QLineEdit::textChanged, this, [this] { forgetPlan(); });

        pieces_ = new QTableWidget(0, ColumnCount, this);
        pieces_->setObjectName(QStringLiteral("PlanPieces"));
        pieces_->setAccessibleName(QStringLiteral("Price periods of the bill"));
        // Headings of two lines keep all twelve columns within a small screen's width.
        pieces_->setHorizontalHeaderLabels(
            {QStringLiteral("From"), QStringLiteral("To"), QStringLiteral("Days"),
             QStringLiteral("Units"), QStringLiteral("Cheap\nunits"),
             QStringLiteral("Cheap\np/kWh"), QStringLiteral("Export\nunits"),
             QStringLiteral("Export\np/kWh"), QStringLiteral("Unit\np/kWh"),
             QStringLiteral("Standing\np/day"), QStringLiteral("VAT %"), QStringLiteral("Cost")});
        for (int c : {CheapRate, ExportRate, UnitRate, Standing})
            pieces_->horizontalHeaderItem(c)->setToolTip(QStringLiteral("Before VAT"));
        pieces_->horizontalHeaderItem(Cost)->setToolTip(
            QStringLiteral("VAT added, export credited"));
        pieces_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        pieces_->setSelectionBehavior(QAbstractItemView::SelectRows);
        pieces_->verticalHeader()->hide();
        pieces_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        pieces_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        pieces_->horizontalHeader()->setStretchLastSection(false);
        pieces_->setMinimumHeight(pieces_->horizontalHeader()->sizeHint().height() * 5);

        total_ = resultLabel("PlanTotal");
        perDay_ = resultLabel("PlanCostPerDay");
        perUnit_ = resultLabel("PlanCostPerUnit");
        QFont bold = total_->font();
        bold.setBold(true);
        total_->setFont(bold);
        auto* results = new QHBoxLayout;
        results->addWidget(total_);
        results->addSpacing(24);
        results->addWidget(perDay_);
        results->addSpacing(24);
        results->addWidget(perUnit_);
        results->addStretch();

        status_ = new QLabel(this);
        status_->setObjectName(QStringLiteral("PlanStatus"));
        status_->setTextFormat(Qt::PlainText);

        auto* calc = new QPushButton(QStringLiteral("&Calculate"), this);
        calc->setObjectName(QStringLiteral("PlanCalc"));
        calc->setDefault(true);
        saveDefault_ = new QPushButton(QStringLiteral("Save as &Default Plan"), this);
        saveDefault_->setObjectName(QStringLiteral("PlanSaveDefault"));
        saveDefault_->setEnabled(false);
        saveDefault_->setToolTip(QStringLiteral("Copies the plan file to ") + DefaultPlan);
        auto* close = new QPushButton(QStringLiteral("C&lose"), this);
        close->setObjectName(QStringLiteral("PlanClose"));
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(status_, 1);
        buttons->addWidget(calc);
        buttons->addWidget(saveDefault_);
        buttons->addWidget(close);

        auto* layout = new QVBoxLayout(this);
        layout->addLayout(inputs);
        layout->addWidget(pieces_, 1);
        layout->addLayout(results);
        layout->addLayout(buttons);
        // Never smaller than its contents, at any font size.
        layout->setSizeConstraint(QLayout::SetMinimumSize);
        showColumns(false, false);

        connect(browseButton, &QPushButton::clicked, this, [this] { browse(); });
        connect(calc, &QPushButton::clicked, this, [this] { calculate(); });
        connect(saveDefault_, &QPushButton::clicked, this, [this] { saveDefault(); });
        connect(close, &QPushButton::clicked, this, &QWidget::close);

        setTabOrder(edits_.value(QStringLiteral("PlanExport2")), planFile_);
        setTabOrder(planFile_, browseButton);
        resize(sizeHint());
        fitTable();
    }

  private:
    QLabel* resultLabel(const char* name) {
        auto* label = new QLabel(this);
        label->setObjectName(QLatin1String(name));
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    }

    QString text(const char* name) const { return edits_.value(QLatin1String(name))->text(); }

    void browse() {
        const QString current = planFile_->text().trimmed();
        const QString start =
            current.isEmpty() ? f_.path(QStringLiteral("Data")) : QFileInfo(current).absolutePath();
        const QString path =
            QFileDialog::getOpenFileName(this, QStringLiteral("Choose a Tariff Plan"), start,
                                         QStringLiteral("Tariff plans (*.csv);;All files (*)"));
        if (!path.isEmpty())
            planFile_->setText(QDir::toNativeSeparators(path));
    }

    // Wide enough to show every column without scrolling sideways, as far as the screen allows;
    // the window's minimum stays that of its inputs.
    void fitTable() {
        layout()->activate(); // the result labels' new texts first
        QHeaderView* header = pieces_->horizontalHeader();
        header->resizeSections(QHeaderView::ResizeToContents);
        const int want = 2 * pieces_->frameWidth() +
                         pieces_->verticalScrollBar()->sizeHint().width() + header->length();
        int grow = want - pieces_->width();
        if (const QScreen* s = screen())
            grow = std::min(grow, s->availableGeometry().width() - frameGeometry().width());
        if (grow > 0)
            resize(width() + grow, height());
    }

    void forgetPlan() {
        planBytes_.reset();
        saveDefault_->setEnabled(false);
    }

    void clearResults() {
        pieces_->setRowCount(0);
        for (QLabel* l : {total_, perDay_, perUnit_})
            l->clear();
        showColumns(false, false);
    }

    void showColumns(bool cheap, bool exported) {
        pieces_->setColumnHidden(CheapUnits, !cheap);
        pieces_->setColumnHidden(CheapRate, !cheap);
        pieces_->setColumnHidden(ExportUnits, !exported);
        pieces_->setColumnHidden(ExportRate, !exported);
    }

    void calculate() {
        status_->clear();
        clearResults();
        const QString path = QDir::fromNativeSeparators(planFile_->text().trimmed());
        if (path.isEmpty()) {
            forgetPlan();
            f_.message(ErrorTitle, QStringLiteral("Choose a plan file first."), Host::Buttons::Ok,
                       Host::Icon::Warning);
            return;
        }
        const records::plan::PlanFile read = records::plan::readPlanFile(path);
        if (!read.plan) {
            forgetPlan();
            f_.message(ErrorTitle, read.message, Host::Buttons::Ok, Host::Icon::Warning);
            return;
        }
        planBytes_ = read.bytes;
        saveDefault_->setEnabled(true);

        records::plan::PlanReadingTexts texts;
        texts.readings = {text("PlanDate1"),  text("PlanDate2"),  text("PlanNRead1"),
                          text("PlanNRead2"), text("PlanCRead1"), text("PlanCRead2")};
        texts.export1 = text("PlanExport1");
        texts.export2 = text("PlanExport2");
        const auto priced = records::plan::planBill(*read.plan, texts);
        if (const auto* messages = std::get_if<QStringList>(&priced)) {
            f_.message(ErrorTitle, messages->join(u'\n'), Host::Buttons::Ok, Host::Icon::Warning);
            return;
        }
        showBill(std::get<domain::PlanBill>(priced));
    }

    void showBill(const domain::PlanBill& bill) {
        using values::Fixed;
        pieces_->setRowCount(int(bill.pieces.size()));
        int row = 0;
        for (const domain::PlanPiece& p : bill.pieces) {
            const QString cells[ColumnCount] = {values::shortDate(p.from),
                                                values::shortDate(p.to),
                                                values::fixed(double(p.days), Fixed::Zero),
                                                values::fixed(p.normalUnits, Fixed::Two),
                                                values::fixed(p.cheapUnits, Fixed::Two),
                                                values::price(p.price.cheap),
                                                values::fixed(p.exportUnits, Fixed::Two),
                                                values::price(p.price.exportRate),
                                                values::price(p.price.unit),
                                                values::price(p.price.standing),
                                                values::plainNumber(p.price.vat),
                                                money(p.cost)};
            for (int c = 0; c < ColumnCount; ++c) {
                auto* item = new QTableWidgetItem(cells[c]);
                if (c != From && c != To)
                    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                pieces_->setItem(row, c, item);
            }
            ++row;
        }
        showColumns(bill.usage.cheapUnits != 0, bill.usage.exportUnits != 0);
        total_->setText(QStringLiteral("Total: ") + money(bill.total));
        perDay_->setText(QStringLiteral("Cost per day: ") + money(bill.costPerDay));
        perUnit_->setText(QStringLiteral("Cost per unit: ") +
                          (bill.costPerUnit ? money(*bill.costPerUnit) : QStringLiteral("—")));
        fitTable();
    }

    void saveDefault() {
        if (!planBytes_)
            return;
        const QString target = f_.path(DefaultPlan);
        const auto existing = files::readAll(target);
        if (existing == planBytes_) {
            status_->setText(QStringLiteral("Saved as the default plan"));
            return; // already the default, nothing to write
        }
        if (files::fileExists(target) &&
            f_.message(QStringLiteral("Voltrake Plan"),
                       QStringLiteral("Replace the default plan ") + DefaultPlan +
                           QStringLiteral(" with ") +
                           QDir::toNativeSeparators(planFile_->text().trimmed()) + u'?',
                       Host::Buttons::YesNo, Host::Icon::Question) != Host::Answer::Yes)
            return;
        if (!files::replace(target, *planBytes_)) {
            f_.message(ErrorTitle,
                       QStringLiteral("Unable to write the default plan ") +
                           QDir::toNativeSeparators(target) +
                           QStringLiteral(".\r\nThis may be a permissions problem."),
                       Host::Buttons::Ok, Host::Icon::Warning);
            return;
        }
        status_->setText(QStringLiteral("Saved as the default plan"));
    }

    MainForm& f_;
    QHash<QString, QLineEdit*> edits_;
    QLineEdit* planFile_ = nullptr;
    QTableWidget* pieces_ = nullptr;
    QLabel* total_ = nullptr;
    QLabel* perDay_ = nullptr;
    QLabel* perUnit_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* saveDefault_ = nullptr;
    std::optional<QByteArray> planBytes_; // the plan last read, as its file held it
};

QPointer<PlanWindow> open;

} // namespace

QWidget* showPlanWindow(MainForm& f, QWidget* parent) {
    return showOnly(open, f, parent);
}

QWidget* planWindow() {
    return open;
}
