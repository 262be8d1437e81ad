// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>
#include <utility>

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
