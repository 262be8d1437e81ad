// Readable and usable for everyone: keyboard, screen readers, dark themes, large fonts.

#include "../update/httpserver.h"
#include "scriptedhost.h"
#include "ui/contrast.h"
#include "ui/frmabout.h"
#include "ui/frmplan.h"
#include "ui/frmupdater.h"
#include "ui/mainwindow.h"

#include <QtTest/qtestaccessible.h>
#include <QtTest>
#include <QtWidgets>
#include <map>

namespace {

// The colour that covers most of a box's inside in the grab: what the text is drawn on.
QColor paintedBackground(const QImage& grab, const QRect& box) {
    std::map<QRgb, int> counts;
    const QRect inside = box.adjusted(3, 3, -3, -3);
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[grab.pixel(x, y)];
    const auto most = std::max_element(counts.begin(), counts.end(),
                                       [](auto& a, auto& b) { return a.second < b.second; });
    return most == counts.end() ? QColor() : QColor(most->first);
}

// Every text box of a shown window: its text colour against what the grab shows behind it.
QStringList weakContrasts(QWidget* window) {
    const QImage grab = window->grab().toImage();
    const qreal ratio = grab.devicePixelRatio();
    QStringList weak;
    const QColor credit(0xFF, 0x80, 0x00);
    for (QWidget* box : window->findChildren<QWidget*>()) {
        if (!box->isVisible() ||
            !(qobject_cast<QLineEdit*>(box) || qobject_cast<QPlainTextEdit*>(box)))
            continue;
        const QRect r =
            QRect(box->mapTo(window, QPoint(0, 0)) * ratio, box->size() * ratio) & grab.rect();
        const QColor text = box->palette().color(QPalette::Active, QPalette::Text);
        const double got = contrastRatio(text, paintedBackground(grab, r));
        if (got < (text == credit ? 2.0 : 4.5))
            weak << QStringLiteral("%1 %2").arg(box->objectName()).arg(got, 0, 'f', 2);
    }
    return weak;
}

// The access keys of a window's labels (with a buddy) and buttons, by the widget that has each.
QMultiMap<QString, QString> accessKeys(QWidget* window) {
    QMultiMap<QString, QString> keys;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const auto* label = qobject_cast<QLabel*>(w);
        const QString text = label && label->buddy()             ? label->text()
                             : qobject_cast<QAbstractButton*>(w) ? w->property("text").toString()
                                                                 : QString();
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty())
            keys.insert(key.toString(), w->objectName());
    }
    return keys;
}

// An update window open over parent, after its fetch from server has finished.
QWidget* openUpdate(Workspace& ws, HttpServer& server, QWidget* parent) {
    ws.form.webSiteRoot = server.root();
    openUpdateWindow(ws.form, false, parent);
    QPointer<QWidget> w = parent->findChild<QWidget*>("frmUpdater");
    if (w && !QTest::qWaitFor(
                 [w] {
                     return !w ||
                            !w->findChild<QPlainTextEdit*>("Message")->toPlainText().isEmpty();
                 },
                 15000))
        return nullptr;
    return w;
}

} // namespace

class TestAccess : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

    // Tab: every input in window order, then every result, then every enabled button, round.
    void focusChain() {
        Workspace ws;
        MainWindow window(ws.form);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QStringList inputs, results, buttons;
        for (const ControlSpec& c : mainWindowControls()) {
            if (c.kind == ControlKind::Button && ws.form.model.enabled(c.name))
                buttons << c.name;
            else if (c.kind == ControlKind::TextBox && c.result)
                results << c.name;
            else if (c.kind == ControlKind::TextBox || c.kind == ControlKind::CheckBox)
                inputs << c.name;
        }
        QStringList order;
        window.control("Date1")->setFocus(Qt::TabFocusReason);
        do {
            order << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        } while (QApplication::focusWidget() != window.control("Date1") && order.size() < 200);
        const QStringList firstInputs = order.mid(0, inputs.size());
        QCOMPARE(QSet<QString>(firstInputs.begin(), firstInputs.end()),
                 QSet<QString>(inputs.begin(), inputs.end()));
        QCOMPARE(order.mid(0, 7),
                 QString("Date1 NRead1 CRead1 Date2 NRead2 CRead2 Notes").split(' '));
        QCOMPARE(order.mid(inputs.size()), results + buttons);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab); // and back round
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("Exit"));

        // A result box takes the focus but not the typing; its figure can be copied.
        auto* result = qobject_cast<QLineEdit*>(window.control("TVCost"));
        ws.form.setText("TVCost", "£12.00");
        result->setFocus();
        QTest::keyClicks(result, "9");
        QTest::keyClick(result, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(result->text() + '|' + result->selectedText(), QString("£12.00|£12.00"));
    }

    // Keys and the buttons they stand for: the same effect as the click.
    void keys_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("button");
        row("Return in a reading", "NRead2", int(Qt::Key_Return), 0, "Calc");
        row("Enter in Notes", "Notes", int(Qt::Key_Enter), int(Qt::KeypadModifier), "Calc");
        row("F1", "Period", int(Qt::Key_F1), 0, "Help1");
        row("Ctrl+Q", "TVCost", int(Qt::Key_Q), int(Qt::ControlModifier), "Exit");
    }

    void keys() {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, button);
        const auto effect = [](ScriptedHost& h) {
            return h.titles().join('|') + h.opened.join('|') + (h.ended ? " ended" : "");
        };
        Workspace clicked, pressed;
        MainWindow byClick(clicked.form), byKey(pressed.form);
        for (auto [ws, w] : {std::pair{&clicked, &byClick}, {&pressed, &byKey}}) {
            ws->write("Data/Voltrake.ini", installedIni());
            ws->form.setText("NRead2", "5");
            w->show();
            QVERIFY(QTest::qWaitForWindowActive(w));
            ws->host.boxes.clear();
            ws->form.model.setEnabled("Save", true); // unsaved: Exit asks first
        }
        QTest::mouseClick(byClick.control(button), Qt::LeftButton);
        byKey.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&byKey));
        byKey.control(focus)->setFocus();
        QTest::keyClick(byKey.control(focus), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QVERIFY(!clicked.host.boxes.isEmpty() || !clicked.host.opened.isEmpty());
        QCOMPARE(effect(pressed.host), effect(clicked.host));
    }

    // Access keys: one widget each, in every window. The About window as designed, modal and
    // on top, its link opened; the update window one at a time, reporting the newer version, its
    // buttons opening the pages, Update given back when it closes.
    void accessKeysUnique() {
        Workspace ws;
        ws.form.RunOnTop = 2;
        QWidget parent;
        MainWindow window(ws.form, &parent);
        window.setWindowFlag(Qt::Window);
        const std::unique_ptr<QDialog> about(createAboutWindow(ws.form, &parent));
        const auto label = [&](const char* name) { return about->findChild<QLabel*>(name); };
        const auto* exit = about->findChild<QPushButton*>("ExitAbout");
        QCOMPARE(QStringList({about->windowTitle(), label("ProgName")->text(),
                              label("ProgVersion")->text(), exit->text(), exit->toolTip()}),
                 QStringList({"About Voltrake", "Voltrake", "Version " + versionText(), "&Exit",
                              "Close Voltrake About Screen"}));
        QVERIFY(about->isModal() && about->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(label("WebSite")->text().contains(ws.form.webSiteRoot));
        emit label("WebSite")->linkActivated(ws.form.webSiteRoot);
        QCOMPARE(ws.host.opened, QStringList{ws.form.webSiteRoot});

        HttpServer server(HttpServer::answer("200 OK", updateDocument()));
        QPointer<QWidget> update = openUpdate(ws, server, &parent);
        QVERIFY(update);
        openUpdateWindow(ws.form, false, &parent);
        QCOMPARE(parent.findChildren<QWidget*>("frmUpdater").size(), 1);
        QVERIFY(!update->isModal() && update->windowTitle() == "Voltrake Update Check");
        QTRY_COMPARE(update->findChild<QLineEdit*>("Status")->text(),
                     QString("Version 3.2 of Voltrake is available "));
        QCOMPARE(update->findChild<QPlainTextEdit*>("Message")->toPlainText(),
                 QString("Click Download to get it\nClick History for change info and Known "
                         "Issues for any problems.\nNews £"));
        ws.host.opened.clear();
        for (const char* b : {"WebSite", "History", "KIssues", "Download", "Logo"})
            QTest::mouseClick(update->findChild<QWidget*>(b), Qt::LeftButton);
        QCOMPARE(ws.host.opened.join(' '), QString("%1i %1h %1k %1d %1").arg(server.root()));

        QWidget* plan = showPlanWindow(ws.form, &parent);
        for (QWidget* w : {static_cast<QWidget*>(&window), static_cast<QWidget*>(about.get()),
                           update.data(), plan}) {
            const auto keys = accessKeys(w);
            QStringList clashes;
            for (const QString& k : keys.uniqueKeys())
                if (keys.count(k) > 1)
                    clashes << k + ": " + QStringList(keys.values(k)).join(',');
            QVERIFY2(clashes.isEmpty(), qPrintable(w->objectName() + ' ' + clashes.join("; ")));
        }
        QCOMPARE(accessKeys(&window).size(), 28); // the 14 buttons and 14 labels
        QVERIFY(!ws.form.model.enabled("Update"));
        update->close();
        QTRY_VERIFY(!update); // deleted on close
        QVERIFY(ws.form.model.enabled("Update"));
    }

    // A label's key takes the focus to its box, also when the program rewrote the caption.
    void accessKeyFocus() {
        Workspace ws;
        MainWindow window(ws.form);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        ws.form.model.setCaption("BPointL1", "After:");
        QCOMPARE(window.findChild<QLabel*>("BPointL1")->text(), QString("A&fter:"));
        QCOMPARE(ws.form.model.state("BPointL1").text, QString("After:"));
        for (auto [key, box] : {std::pair{Qt::Key_F, "BPoint"},
                                {Qt::Key_2, "Date2"},
                                {Qt::Key_K, "UpEnable1"},
                                {Qt::Key_Slash, "CDay"}}) {
            QTest::keyClick(&window, key, Qt::AltModifier);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString(box));
        }
    }

    // Under a dark palette every text box is painted light enough for its text.
    void darkContrast() {
        const QPalette light = QApplication::palette();
        const auto restore = qScopeGuard([light] { QApplication::setPalette(light); });
        QApplication::setPalette(QPalette(QColor(0x35, 0x35, 0x35))); // white on black boxes
        LocaleScope locale("en_GB");
        Workspace ws;
        ws.write("Data/Voltrake.ini", installedIni());
        QWidget parent;
        MainWindow window(ws.form, &parent);
        window.setWindowFlag(Qt::Window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // Every result shown, the discounts and totals as credits, in orange.
        for (const ControlSpec& c : mainWindowControls())
            if (c.kind == ControlKind::TextBox)
                ws.form.setText(c.name, c.name);
        for (const QString& credit : QString("D1Cost D2Cost TVCost D2CostP TVCostP").split(' '))
            ws.form.model.setColour(credit, colour::Credit);
        QCOMPARE(weakContrasts(window.findChild<QScrollArea*>()->widget()), QStringList());

        Workspace other; // this one's window has ended its program: no ini
        HttpServer server(HttpServer::answer("200 OK", updateDocument()));
        QWidget* update = openUpdate(other, server, &parent);
        QVERIFY(update && QTest::qWaitForWindowExposed(update));
        QCOMPARE(weakContrasts(update), QStringList());

        // Back to a light theme: the boxes follow it again.
        window.setPalette(QApplication::style()->standardPalette());
        QCOMPARE(window.control("NRead1")->palette().color(QPalette::Base),
                 window.palette().color(QPalette::Base));
        QCOMPARE(window.control("TVCost")->palette().color(QPalette::Base),
                 window.palette().color(QPalette::Button));
    }

    // The status line speaks its message, and a credit says so.
    void screenReader() {
        QTestAccessibility::initialize();
        Workspace ws;
        MainWindow window(ws.form);
        QWidget* status = window.control("Status");
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(status);
        for (const QString& text :
             {QString("Data Cleared"), QString("Calculation Saved"), QString()}) {
            QTestAccessibility::clearEvents();
            ws.form.setStatus(text);
            QCOMPARE(spoken->text(QAccessible::Name), text);
            QCOMPARE(spoken->text(QAccessible::Value), text);
            if (!QAccessible::isActive())
                continue; // without an accessibility bridge (offscreen) nothing is sent
            QVERIFY(QTestAccessibility::containsEvent(
                std::make_unique<QAccessibleEvent>(status, QAccessible::NameChanged).get()));
            QVERIFY(QTestAccessibility::containsEvent(
                std::make_unique<QAccessibleValueChangeEvent>(status, text).get()));
        }
        ws.form.model.setColour("D2Cost", colour::Credit);
        QCOMPARE(window.control("D2Cost")->accessibleDescription(), QString("credit"));
        ws.form.model.setColour("D2Cost", colour::Normal);
        QCOMPARE(window.control("D2Cost")->accessibleDescription(), QString());
        QCOMPARE(window.accessibleName(), QString("Voltrake"));
        QTestAccessibility::cleanup();
    }

    // Large fonts: the main window fits the screen's available area and its content is never
    // squeezed (where it does not fit, it scrolls); the About and Update windows follow the
    // desktop's font, show all of their text, have a name and close with Escape.
    void largeFonts_data() {
        QTest::addColumn<qreal>("points");
        for (qreal points : {9.0, 12.0, 14.0})
            QTest::addRow("%g pt", points) << points;
    }

    void largeFonts() {
        QFETCH(qreal, points);
        const auto restore =
            qScopeGuard([old = QApplication::font()] { QApplication::setFont(old); });
        QFont font = QApplication::font();
        font.setPointSizeF(points);
        QApplication::setFont(font);
        {
            Workspace ws;
            ws.write("Data/Voltrake.ini", installedIni()); // captions as loaded
            MainWindow window(ws.form);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            const QSize room = window.screen()->availableGeometry().size();
            QVERIFY2(window.frameGeometry().width() <= room.width() &&
                         window.frameGeometry().height() <= room.height(),
                     qPrintable(QStringLiteral("%1x%2").arg(window.width()).arg(window.height())));
            auto* area = window.findChild<QScrollArea*>();
            QVERIFY(area->widget()->width() >= area->widget()->minimumSizeHint().width());
            QCOMPARE(area->horizontalScrollBar()->isVisible(),
                     area->widget()->minimumSizeHint().width() > area->viewport()->width());
            window.focusControl("Exit");
            const QRect exit(window.control("Exit")->mapTo(area->viewport(), QPoint()),
                             window.control("Exit")->size());
            QVERIFY(area->viewport()->rect().contains(exit));
        }

        Workspace ws;
        QWidget parent;
        QPointer<QDialog> about = createAboutWindow(ws.form, &parent);
        QCOMPARE(about->findChild<QLabel*>("ProgVersion")->font().pointSizeF(), points);
        HttpServer server(HttpServer::answer("200 OK", updateDocument()));
        QPointer<QWidget> update = openUpdate(ws, server, &parent);
        QVERIFY(update);
        auto* status = update->findChild<QLineEdit*>("Status");
        update->show();
        QVERIFY(QTest::qWaitForWindowExposed(update));
        const int frame = 8; // the box's frame and inner margins
        QVERIFY2(status->width() >= status->fontMetrics().horizontalAdvance(status->text()) + frame,
                 qPrintable(status->text()));
        // The window grows with what it has to say: nothing is cut at its edges.
        QVERIFY(update->width() >= update->layout()->minimumSize().width());
        for (QWidget* w : {static_cast<QWidget*>(about), update.data()}) {
            w->show();
            QVERIFY(QTest::qWaitForWindowActive(w));
            QCOMPARE(w->accessibleName(), w->windowTitle());
            QTest::keyClick(w, Qt::Key_Escape);
            QVERIFY(!w->isVisible());
        }
    }
};

QTEST_MAIN(TestAccess)
#include "tst_access.moc"
