#pragma once

#include "form/host.h"

// A host for benchmarks and fuzzing: answers every question with its first button (Yes or OK)
// and does nothing else.
class QuietHost : public Host {
  public:
    Answer messageBox(const QString&, const QString&, Buttons b, Icon) override {
        return b == Buttons::YesNo || b == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
    }
    bool openDocument(const QString&) override { return true; }
    bool startEditor(const QString&) override { return true; }
    void setOnTop(const QString&, bool) override {}
    void setFocus(const QString&) override {}
    QDateTime now() override { return QDateTime(QDate(2026, 12, 5), QTime(4, 40, 50)); }
    void showAbout() override {}
    void startUpdateCheck(bool) override {}
    void closeUpdateWindow() override {}
    void endProgram() override {}
};
