#pragma once

#include <QDateTime>
#include <QString>

// Everything that reaches outside the process. The widget layer implements it with real
// message boxes, timers and the desktop; tests implement it with a scripted host.
class Host {
  public:
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Icon { None, Warning, Error, Question };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Host() = default;

    virtual Answer messageBox(const QString& title, const QString& text, Buttons buttons,
                              Icon icon) = 0;
    // Opens a document or web address with its associated program; false when nothing started.
    virtual bool openDocument(const QString& target) = 0;
    // Starts the desktop's plain text editor on a file without waiting; false when none started.
    virtual bool startEditor(const QString& path) = 0;
    // Puts a window ("VoltrakeMain", "frmAbout") into or out of the always-on-top band.
    virtual void setOnTop(const QString& window, bool onTop) = 0;
    virtual void setFocus(const QString& control) = 0;
    virtual QDateTime now() = 0;
    // Modal About window.
    virtual void showAbout() = 0;
    // Shows (manual) or loads hidden (automatic) the update-check window.
    virtual void startUpdateCheck(bool automatic) = 0;
    virtual void closeUpdateWindow() = 0;
    // Ends the program at once; the caller then throws ProgramEnded.
    virtual void endProgram() = 0;
};
