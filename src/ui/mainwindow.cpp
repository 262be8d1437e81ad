#include "ui/mainwindow.h"

#include "form/mainform.h"
#include "ui/logo.h"
#include "ui_VoltrakeMain.h"

#include <QCheckBox>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QtGlobal>

namespace {

const QString kTimer1 = QStringLiteral("Timer1");
const QString kLogo = QStringLiteral("Logo");

// Colours are stored as the form keeps them: blue in the high byte, red in the low one.
QColor storedColour(int bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

void setTextColour(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    // Disabled boxes keep the style's greyed text.
    p.setColor(QPalette::Active, QPalette::Text, c);
    p.setColor(QPalette::Inactive, QPalette::Text, c);
    w->setPalette(p);
}

// Result boxes are output only: they take the button face as background.
void setResultBackground(QWidget* w) {
    QPalette p = w->palette();
    for (auto g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setBrush(g, QPalette::Base, p.brush(g, QPalette::Button));
    w->setPalette(p);
}

} // namespace

// The window's pictures live in the static ui library, whose resources the linker keeps only
// when they are referenced.
static void initResources() {
    Q_INIT_RESOURCE(resources);
}

std::unique_ptr<QWidget> buildVoltrakeMainDesign() {
    initResources();
    auto w = std::make_unique<QWidget>();
    Ui::VoltrakeMain ui;
    ui.setupUi(w.get());
    return w;
}

MainWindow::MainWindow(MainForm& form, QWidget* parent)
    : QWidget(parent), form_(form), ui_(std::make_unique<Ui::VoltrakeMain>()) {
    initResources();
    ui_->setupUi(this);
    showLogo(ui_->Logo);
    timer1_.setInterval(2000);
    connect(&timer1_, &QTimer::timeout, this, [this] {
        form_.timerTick(kTimer1);
        mirror(kTimer1);
    });
    bind();
    mirrorAll();
    form_.model.observer = [this](const QString& name) { mirror(name); };
    // Start compact: every box is as wide as a money amount in the current font, no wider.
    resize(minimumSizeHint());
}

MainWindow::~MainWindow() {
    form_.model.observer = nullptr;
}

void MainWindow::bind() {
    // Wide enough for the longest amounts and dates the boxes show, whatever the font size.
    const QFontMetrics fm(font());
    const int boxWidth =
        fm.horizontalAdvance(QStringLiteral("£00,000.00")) + fm.averageCharWidth() * 2;

    for (const ControlSpec& control : mainWindowControls()) {
        if (control.kind == ControlKind::Timer)
            continue;
        QWidget* w = findChild<QWidget*>(control.name);
        Q_ASSERT_X(w, "MainWindow::bind", qPrintable("no widget named " + control.name));
        if (!w) {
            qWarning("VoltrakeMain: no widget named %s", qPrintable(control.name));
            continue;
        }
        widgets_.insert(control.name, w);
        const QString name = control.name;

        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            if (control.result)
                setResultBackground(edit);
            if (name != QLatin1String("Notes"))
                edit->setMinimumWidth(boxWidth);
            // textEdited fires for the user only, so mirroring the model never loops back.
            connect(edit, &QLineEdit::textEdited, this, [this, name](const QString& text) {
                form_.userSetText(name, text);
                mirror(name);
            });
        } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
            connect(box, &QCheckBox::clicked, this, [this, name](bool checked) {
                form_.userSetChecked(name, checked);
                mirror(name);
            });
        } else if (auto* button = qobject_cast<QPushButton*>(w)) {
            connect(button, &QPushButton::clicked, this,
                    [this, name] { form_.buttonClicked(name); });
        } else if (name == kLogo) {
            w->installEventFilter(this);
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            // Captions and status messages are shown as written, never as markup.
            label->setTextFormat(Qt::PlainText);
        }
    }
}

void MainWindow::mirrorAll() {
    for (const QString& name : form_.model.names())
        mirror(name);
}

void MainWindow::mirror(const QString& name) {
    if (!form_.model.has(name))
        return;
    const FormModel::State& s = form_.model.state(name);

    if (name == kTimer1) {
        if (!s.enabled)
            timer1_.stop();
        else if (!timer1_.isActive())
            timer1_.start();
        return;
    }

    QWidget* w = widgets_.value(name);
    if (!w)
        return;
    if (w->toolTip() != s.toolTip)
        w->setToolTip(s.toolTip);
    if (w->isEnabled() != s.enabled)
        w->setEnabled(s.enabled);

    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        // Rewriting identical text would move the cursor of a box being typed into.
        if (edit->text() != s.text)
            edit->setText(s.text);
        const QColor c = storedColour(s.colour);
        if (edit->palette().color(QPalette::Active, QPalette::Text) != c)
            setTextColour(edit, c);
    } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
        if (box->isChecked() != s.checked)
            box->setChecked(s.checked);
    } else if (auto* button = qobject_cast<QPushButton*>(w)) {
        if (button->text() != s.text)
            button->setText(s.text);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        if (name != kLogo && label->text() != s.text)
            label->setText(s.text);
    }
}

void MainWindow::ensureLoaded() {
    if (loaded_)
        return;
    loaded_ = true;
    loading_ = true;
    form_.load();
    loading_ = false;
    // An activation that arrived while the load was still busy (behind one of its message
    // boxes) was held back; it is due now.
    if (isActiveWindow())
        activate();
}

void MainWindow::activate() {
    activating_ = true;
    form_.activate();
    activating_ = false;
}

bool MainWindow::focusControl(const QString& name) {
    QWidget* w = widgets_.value(name);
    if (!w)
        return false;
    w->setFocus(Qt::OtherFocusReason);
    return true;
}

void MainWindow::showEvent(QShowEvent* e) {
    ensureLoaded();
    QWidget::showEvent(e);
}

bool MainWindow::event(QEvent* e) {
    // A message box shown by the load or the activation hands the activation back when it
    // closes; that is not a new activation of the window.
    if (e->type() == QEvent::WindowActivate && !activating_ && !loading_) {
        if (loaded_)
            activate();
        else
            ensureLoaded(); // runs the activation at its end
    }
    return QWidget::event(e);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
    if (watched == widgets_.value(kLogo) && e->type() == QEvent::MouseButtonRelease) {
        const auto* me = static_cast<QMouseEvent*>(e);
        if (me->button() == Qt::LeftButton &&
            static_cast<QWidget*>(watched)->rect().contains(me->position().toPoint())) {
            form_.buttonClicked(kLogo);
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}
