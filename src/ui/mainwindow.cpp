#include "ui/mainwindow.h"

#include "form/mainform.h"
#include "ui/contrast.h"
#include "ui/logo.h"
#include "ui_VoltrakeMain.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>
#include <QtGlobal>

namespace {

const QString kTimer1 = QStringLiteral("Timer1");
const QString kLogo = QStringLiteral("Logo");
const QString kStatus = QStringLiteral("Status");

// Access keys of the field labels, each a character of the label's caption. The buttons own
// C S L G M R T A V D H B U E, which leaves too few letters for every label: the labels that
// come first in the window get the letters left, then the digits and signs of their captions;
// the rest go without and are reached with Tab.
struct AccessKey {
    const char* label;
    QChar key;
    const char* buddy; // only where the window's design gives the label none
};
const AccessKey kAccessKeys[] = {
    {"label_Date1", u'1', nullptr},     {"label_Date2", u'2', nullptr},
    {"label_Notes", u'N', nullptr},     {"label_NormalR1", u'O', nullptr},
    {"BPointL1", u'F', "BPoint"},       {"label_CheapR", u'P', nullptr},
    {"label_SCharge", u'X', nullptr},   {"label_Disc1", u'I', nullptr},
    {"label_DRate", u'W', nullptr},     {"label_Period", u'Y', nullptr},
    {"label_UpEnable1", u'K', nullptr}, {"label_Disc1P", u'%', nullptr},
    {"label_NormalR2", u':', nullptr},  {"label_CDay", u'/', nullptr},
};

const AccessKey* accessKey(const QString& label) {
    for (const AccessKey& k : kAccessKeys)
        if (label == QLatin1String(k.label))
            return &k;
    return nullptr;
}

// The caption as a label with an access key shows it: the key's first occurrence marked, any
// ampersand of the caption itself doubled. Without the key in the caption, none is marked.
QString keyedCaption(const QString& caption, QChar key) {
    QString text = caption;
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    const qsizetype at = text.indexOf(key, 0, Qt::CaseInsensitive);
    if (at >= 0)
        text.insert(at, QLatin1Char('&'));
    return text;
}

// The status line as screen readers see it: its message is both its name and its value.
class StatusLineAccessible : public QAccessibleWidget {
  public:
    explicit StatusLineAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::StatusBar) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name || t == QAccessible::Value)
            return static_cast<const QLabel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

const char* const kStatusLine = "voltrakeStatusLine";

QAccessibleInterface* statusLineAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("QLabel") && object && object->property(kStatusLine).toBool())
        return new StatusLineAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

// What a label shows for a caption: with its access key where it has one.
QString shownCaption(const QLabel* label, const QString& caption) {
    const AccessKey* k = accessKey(label->objectName());
    return k ? keyedCaption(caption, k->key) : caption;
}

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
    // The designed window sits in a scroll area, so that on a small screen or with large fonts
    // it can still be reached whole; the status line stays in view below it.
    static const bool statusLineSpoken = (QAccessible::installFactory(statusLineAccessible), true);
    Q_UNUSED(statusLineSpoken);
    auto* content = new QWidget;
    ui_->setupUi(content);
    ui_->Status->setProperty(kStatusLine, true);
    // Setting up the design may already have made the status line a plain label's interface.
    if (QAccessibleInterface* plain = QAccessible::queryAccessibleInterface(ui_->Status))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(plain));
    setObjectName(content->objectName());
    content->setObjectName(QString());
    setWindowTitle(content->windowTitle());
    setWindowIcon(content->windowIcon());
    setFont(content->font());
    setAccessibleName(windowTitle());

    scroll_ = new QScrollArea;
    scroll_->setWidget(content);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(scroll_, 1);
    // Whatever brings a box the focus (Tab, an access key, a procedure) also scrolls it into view.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && scroll_->widget()->isAncestorOf(now))
            scroll_->ensureWidgetVisible(now);
    });
    const QMargins margins = content->layout()->contentsMargins();
    ui_->layout_main->removeWidget(ui_->Status);
    auto* statusRow = new QVBoxLayout;
    statusRow->setContentsMargins(margins.left(), 0, margins.right(), margins.bottom());
    statusRow->addWidget(ui_->Status);
    outer->addLayout(statusRow);

    showLogo(ui_->Logo);
    timer1_.setInterval(2000);
    connect(&timer1_, &QTimer::timeout, this, [this] {
        form_.timerTick(kTimer1);
        mirror(kTimer1);
    });
    bind();
    setAccessKeys();
    setTabChain();
    setShortcuts();
    applyFieldBackgrounds();
    mirrorAll();
    form_.model.observer = [this](const QString& name) { mirror(name); };
    ensurePolished(); // sizes as the style will draw them
    resize(fittedSize());
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
            if (name != QLatin1String("Notes"))
                edit->setMinimumWidth(boxWidth);
            if (control.result) // read only, but reached by Tab so a figure can be copied
                edit->setFocusPolicy(Qt::StrongFocus);
            else
                connect(edit, &QLineEdit::returnPressed, this,
                        [this] { form_.buttonClicked(QStringLiteral("Calc")); });
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

void MainWindow::setAccessKeys() {
    for (const AccessKey& k : kAccessKeys) {
        auto* label = findChild<QLabel*>(QLatin1String(k.label));
        if (!label)
            continue;
        if (k.buddy)
            label->setBuddy(findChild<QWidget*>(QLatin1String(k.buddy)));
        // Labels of the model get theirs each time they are mirrored.
        if (!form_.model.has(label->objectName()))
            label->setText(keyedCaption(label->text(), k.key));
    }
}

// Tab goes through the inputs in the order of the window, then the results, then the buttons,
// and from the last button back to the first input.
void MainWindow::setTabChain() {
    QList<QWidget*> inputs, results, buttons;
    for (const ControlSpec& control : mainWindowControls()) {
        QWidget* w = widgets_.value(control.name);
        if (!w)
            continue;
        if (control.kind == ControlKind::Button)
            buttons << w;
        else if (control.kind == ControlKind::TextBox && control.result)
            results << w;
    }
    QWidget* first = widgets_.value(QStringLiteral("Date1"));
    for (QWidget* w = first; w && (w != first || inputs.isEmpty()); w = w->nextInFocusChain()) {
        const bool input =
            qobject_cast<QCheckBox*>(w) || (qobject_cast<QLineEdit*>(w) && !results.contains(w));
        if (input && widgets_.key(w).size())
            inputs << w;
    }
    const QList<QWidget*> chain = inputs + results + buttons;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

void MainWindow::setShortcuts() {
    const auto click = [this](const QKeySequence& keys, const QString& button) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this,
                [this, button] { form_.buttonClicked(button); });
    };
    click(QKeySequence(Qt::Key_F1), QStringLiteral("Help1"));
    click(QKeySequence(Qt::CTRL | Qt::Key_Q), QStringLiteral("Exit"));
}

void MainWindow::applyFieldBackgrounds() {
    for (const ControlSpec& control : mainWindowControls())
        if (auto* edit = qobject_cast<QLineEdit*>(widgets_.value(control.name)))
            applyFieldBackground(edit, palette(), control.result);
}

QSize MainWindow::fittedSize() const {
    QWidget* content = scroll_->widget();
    content->layout()->activate(); // the boxes' widths were set after the layout last looked
    QSize want = content->minimumSizeHint();
    want.rheight() += layout()->itemAt(1)->sizeHint().height(); // the status line's row
    const QScreen* s = screen();
    if (!s)
        return want;
    QSize room = s->availableGeometry().size();
    if (isWindow() && isVisible())
        room -= frameGeometry().size() - size();
    // A scroll bar in one direction takes room from the other.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll_);
    if (want.width() > room.width())
        want.rheight() += bar;
    if (want.height() > room.height())
        want.rwidth() += bar;
    return want.boundedTo(room);
}

void MainWindow::changeEvent(QEvent* e) {
    if (e->type() == QEvent::PaletteChange || e->type() == QEvent::ApplicationPaletteChange)
        applyFieldBackgrounds();
    QWidget::changeEvent(e);
}

// Screen readers hear the status line's message as its name and value, and when it changes.
void MainWindow::announceStatus(QWidget* status) {
    const QString text = qobject_cast<QLabel*>(status)->text();
    status->setAccessibleName(text);
    QAccessibleEvent named(status, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    QAccessibleValueChangeEvent value(status, text);
    QAccessible::updateAccessibility(&value);
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
        // The colour alone would leave the sign unsaid to those who cannot see it.
        const QString description =
            s.colour == colour::Credit ? QStringLiteral("credit") : QString();
        if (edit->accessibleDescription() != description)
            edit->setAccessibleDescription(description);
    } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
        if (box->isChecked() != s.checked)
            box->setChecked(s.checked);
    } else if (auto* button = qobject_cast<QPushButton*>(w)) {
        if (button->text() != s.text)
            button->setText(s.text);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        const QString shown = shownCaption(label, s.text);
        if (name != kLogo &&
            (label->text() != shown || (name == kStatus && label->accessibleName() != shown))) {
            label->setText(shown);
            if (name == kStatus)
                announceStatus(label);
        }
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
    // The first showing knows the screen the window is on.
    if (!fitted_) {
        fitted_ = true;
        resize(fittedSize());
    }
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
