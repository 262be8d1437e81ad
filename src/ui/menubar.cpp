// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/menubar.h"

#include "form/mainform.h"
#include "ui/frmhistory.h"
#include "ui/frmplan.h"
#include "ui/frmusage.h"
#include "ui/historyfiles.h"

#include <QAction>
#include <QKeySequence>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

namespace {

QAction* addAction(QMenu* menu, const char* objectName, const QString& text,
                   const QKeySequence& shortcut = {}) {
    auto* action = menu->addAction(text);
    action->setObjectName(QLatin1String(objectName));
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        // The menu is the one owner of the key for the whole window.
        action->setShortcutContext(Qt::WindowShortcut);
    }
    return action;
}

} // namespace

QMenuBar* createMenuBar(MainForm& f, QWidget* window) {
    auto* bar = new QMenuBar(window);
    bar->setObjectName(QStringLiteral("menuBar"));
    QHash<QString, QAction*> buttons; // button name -> action

    // The window's buttons already use Alt+H (Help) and Alt+V (Save Data): the menus take
    // letters no button has.
    QMenu* file = bar->addMenu(QStringLiteral("File"));
    QObject::connect(
        addAction(file, "actionPlanBill", QStringLiteral("Check a Bill with a &Plan…")),
        &QAction::triggered, bar, [&f, window] { showPlanWindow(f, window); });
    file->addSeparator();
    QObject::connect(addAction(file, "actionExportCsv", QStringLiteral("&Export History as CSV…")),
                     &QAction::triggered, bar, [&f, window] { exportHistoryCsv(f, window); });
    QObject::connect(
        addAction(file, "actionImportCsv", QStringLiteral("&Import Readings from CSV…")),
        &QAction::triggered, bar, [&f, window] { importReadingsCsv(f, window); });
    file->addSeparator();
    buttons.insert(QStringLiteral("Exit"), addAction(file, "actionExit", QStringLiteral("E&xit")));

    QMenu* view = bar->addMenu(QStringLiteral("View"));
    QObject::connect(addAction(view, "actionHistoryWindow", QStringLiteral("&History and Charts…"),
                               QKeySequence(Qt::CTRL | Qt::Key_H)),
                     &QAction::triggered, bar, [&f, window] { showHistoryWindow(f, window); });
    QObject::connect(addAction(view, "actionUsageWindow", QStringLiteral("&Smart Meter Data…"),
                               QKeySequence(Qt::CTRL | Qt::Key_M)),
                     &QAction::triggered, bar, [&f, window] { showUsageWindow(f, window); });

    // The menu titles carry no access key: every letter is taken by the window's labels and
    // buttons. F1 belongs to the window's own shortcut; the menu only shows it.
    QMenu* help = bar->addMenu(QStringLiteral("Help"));
    buttons.insert(QStringLiteral("Help1"),
                   addAction(help, "actionHelp", QStringLiteral("&Help\tF1")));
    buttons.insert(QStringLiteral("About"),
                   addAction(help, "actionAbout", QStringLiteral("&About")));
    buttons.insert(QStringLiteral("Update"),
                   addAction(help, "actionUpdate", QStringLiteral("Check for &Updates")));

    for (auto it = buttons.cbegin(); it != buttons.cend(); ++it) {
        const QString name = it.key();
        QAction* action = it.value();
        action->setEnabled(f.model.enabled(name));
        QObject::connect(action, &QAction::triggered, bar, [&f, name] {
            // A shortcut can still reach an action the model has just disabled.
            if (f.model.enabled(name))
                f.buttonClicked(name);
        });
    }

    // The window mirrors the model through its observer; the bar follows the same changes.
    const QPointer<QMenuBar> guard(bar);
    auto previous = f.model.observer;
    f.model.observer = [&f, guard, buttons, previous](const QString& name) {
        if (previous)
            previous(name);
        if (QAction* action = buttons.value(name); action && guard)
            action->setEnabled(f.model.enabled(name));
    };
    return bar;
}

void attachMenuBar(MainForm& f, QWidget* window) {
    if (QLayout* layout = window->layout())
        layout->setMenuBar(createMenuBar(f, window));
}
