// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPalette>
#include <utility>

// A dark desktop theme's palette, for looking at a window as such a desktop shows it.
inline QPalette darkPalette() {
    QPalette dark;
    for (auto [role, colour] : {std::pair{QPalette::Window, QColor(45, 45, 48)},
                                {QPalette::WindowText, QColor(230, 230, 230)},
                                {QPalette::Base, QColor(30, 30, 32)},
                                {QPalette::AlternateBase, QColor(40, 40, 44)},
                                {QPalette::Text, QColor(230, 230, 230)},
                                {QPalette::Button, QColor(60, 60, 64)},
                                {QPalette::ButtonText, QColor(230, 230, 230)}})
        dark.setColor(role, colour);
    return dark;
}
