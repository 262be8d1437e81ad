#include "ui/frmupdater.h"

#include "form/mainform.h"
#include "ui/logo.h"
#include "ui_frmUpdater.h"
#include "update/updater.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPointer>
#include <QShortcut>
#include <QTimer>
#include <algorithm>

// The logo lives in the static ui library, whose resources the linker keeps only when they are
// referenced.
static void initResources() {
    Q_INIT_RESOURCE(resources);
}

namespace {

// The update-check window: mirrors UpdaterForm's controls and forwards clicks and timer
// ticks to it. Non-modal; deletes itself when closed, and the fetch goes with it.
class FrmUpdaterWindow : public QWidget, public UpdaterWindow {
  public:
    FrmUpdaterWindow(MainForm& f, QWidget* parent) : QWidget(parent, Qt::Window), form(f, *this) {
        setAttribute(Qt::WA_DeleteOnClose);
        initResources();
        ui.setupUi(this);
        // The logo of the main window, light or dark as the palette asks.
        showLogo(ui.Logo);
        ui.Logo->installEventFilter(this);

        QFont status = ui.Status->font();
        status.setBold(true);
        ui.Status->setFont(status);

        timer_.setInterval(100);
        connect(&timer_, &QTimer::timeout, this, [this] { form.timerTick(); });
        connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
                &QWidget::close);
        setAccessibleName(windowTitle());
        for (QPushButton* b : {ui.Exit, ui.WebSite, ui.History, ui.KIssues, ui.Download}) {
            connect(b, &QPushButton::clicked, this,
                    [this, name = b->objectName()] { form.buttonClicked(name); });
        }

        form.model.observer = [this](const QString& name) { mirror(name); };
        for (const QString& name : form.model.names())
            mirror(name);
    }

    UpdaterForm form;

    void closeWindow() override { QWidget::close(); }
    void makeVisible() override {
        adjustSize(); // opens at the size of what it has to say
        show();
        ui.Exit->setFocus();
    }
    void setCaption(const QString& caption) override {
        setWindowTitle(caption);
        setAccessibleName(caption);
    }

  protected:
    void closeEvent(QCloseEvent* event) override {
        timer_.stop();
        form.close();
        event->accept();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == ui.Logo && event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            form.buttonClicked(QStringLiteral("Logo"));
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }

  private:
    void mirror(const QString& name) {
        const FormModel::State& s = form.model.state(name);
        if (s.design.kind == ControlKind::Timer) {
            if (s.enabled)
                timer_.start();
            else
                timer_.stop();
            return;
        }
        QWidget* w = findChild<QWidget*>(name);
        if (!w)
            return;
        w->setEnabled(s.enabled);
        w->setToolTip(s.toolTip);
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            button->setText(s.text);
        } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
            line->setText(s.text);
            line->setCursorPosition(0);
            // Wide enough for its whole message, whatever the font size.
            const QFontMetrics fm(line->font());
            line->setMinimumWidth(std::min(fm.horizontalAdvance(s.text) + fm.averageCharWidth() * 3,
                                           fm.averageCharWidth() * 100));
        } else if (auto* box = qobject_cast<QPlainTextEdit*>(w)) {
            box->setPlainText(
                QString(s.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        }
    }

    Ui::frmUpdater ui;
    QTimer timer_;
};

// Only one update window at a time.
QPointer<FrmUpdaterWindow> current;

} // namespace

void openUpdateWindow(MainForm& f, bool automatic, QWidget* parent) {
    if (current) {
        if (!automatic && current->isVisible()) {
            current->raise();
            current->activateWindow();
        }
        return;
    }
    auto* window = new FrmUpdaterWindow(f, parent);
    current = window;
    window->form.load(!automatic);
    if (f.ended())
        window->deleteLater(); // the load ended the program
}

void closeUpdateWindow() {
    if (current)
        current->close();
}
