#pragma once

#include "form/host.h"

#include <QStringList>

class MainForm;
class MainWindow;
class QWidget;

// The Host of the running program: real message boxes, the desktop's browser and text
// editor, window z-order and the About and update-check windows.
class QtHost : public Host {
  public:
    // The form and its window exist only after the host; attach them once both are built.
    void attach(MainForm* form, MainWindow* mainWindow);

    Answer messageBox(const QString& title, const QString& text, Buttons buttons,
                      Icon icon) override;
    bool openDocument(const QString& target) override;
    bool startEditor(const QString& path) override;
    void setOnTop(const QString& window, bool onTop) override;
    void setFocus(const QString& control) override;
    QDateTime now() override;
    void showAbout() override;
    void startUpdateCheck(bool automatic) override;
    void closeUpdateWindow() override;
    void endProgram() override;

    // True once the program has been ended; main() then does not enter the event loop.
    bool ended() const { return ended_; }

    // Plain text editors tried in this order; the first one found in PATH is started.
    static const QStringList& editors();

  private:
    QWidget* topLevel(const QString& objectName) const;

    MainForm* form_ = nullptr;
    MainWindow* mainWindow_ = nullptr;
    bool ended_ = false;
};
