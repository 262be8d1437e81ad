// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeyEvent>
#include <QPointer>
#include <QWidget>
#include <utility>

// A window beside the main one (history, plan): not modal, gone when closed, on top when the
// main window is, and closed by Escape.
class ToolWindow : public QWidget {
  public:
    ToolWindow(const QString& name, const QString& title, bool onTop, QWidget* parent)
        : QWidget(parent, Qt::Window) {
        setObjectName(name);
        setWindowTitle(title);
        setAccessibleName(title);
        setAttribute(Qt::WA_DeleteOnClose);
        if (onTop)
            setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }

  protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Escape) {
            close();
            return;
        }
        QWidget::keyPressEvent(e);
    }
};

// One window of a kind at a time: made when there is none, else the open one is brought
// forward.
template <typename W, typename... Args> QWidget* showOnly(QPointer<W>& open, Args&&... args) {
    if (!open)
        open = new W(std::forward<Args>(args)...);
    open->show();
    open->raise();
    open->activateWindow();
    return open;
}
