#pragma once

#include "form/formmodel.h"
#include "form/host.h"
#include "text/programversion.h"

#include <QString>

// The main window VoltrakeMain without its widgets: the controls (model), the window-level
// variables and the program-wide values, each under its own name. Every procedure of the
// program is a free function taking this object; the widget layer forwards events to it.
class MainForm {
  public:
    explicit MainForm(Host& host);

    FormModel model;
    Host& host;

    // Where Data, Log and Help live. The program never changes its working directory; tests
    // point this at a temporary directory instead.
    QString baseDir = QStringLiteral(".");
    QString path(const QString& relative) const; // baseDir + "/" + relative
    // Root of the maker's web site, ending in "/".
    QString webSiteRoot;

    // Program-wide values
    int RunMode = 0;         // 0 none, 1 -InhibitErrorCheck, 5 -ShortUpdateTime
    QString CommandLine;     // the program's arguments joined by single blanks
    bool FileSystem = false; // created at the start of the load
    int RunOnTop = 1;
    int UpEnable = 1;
    int DRateSetting = 1;
    bool ManualCheck = false;

    // Window-level variables
    QString CurrencySymbol;
    int ErrorLocation = 0;
    QString DataErrors;
    QString InputSignature;
    QString LastInputSignature;
    float PeriodCount = 0; // single precision, widened where used
    QString CostBeforeDiscount1;
    QString CostBeforeTax;
    QString PredictedCostBeforeDiscount1;
    QString PredictedCostBeforeTax;
    QString BreakPointUnits;
    QString BreakPointPerDay;
    bool Loading = false;
    bool Activated = false;
    int LogLevel = 1;
    QString Disc1PT;
    QString Disc2FT;
    QString PeriodT;
    QString ConfigText;
    QString ResultsLogName;
    QString HistoryLogName;
    QString HistoryVersion;
    QString ReportText;
    QString HistoryText;

    // Shorthands for the controls
    QString text(const QString& name) const { return model.text(name); }
    void setText(const QString& name, const QString& text) { model.setText(name, text); }
    bool ticked(const QString& name) const { return model.checked(name); }

    Host::Answer message(const QString& title, const QString& text,
                         Host::Buttons buttons = Host::Buttons::Ok,
                         Host::Icon icon = Host::Icon::Warning);
    // Puts a short message on the status line and enables Timer1 to clear it.
    void setStatus(const QString& text);
    void startTimer1();
    // Ends the program through the host and unwinds to the event entry point.
    [[noreturn]] void endProgram();

    // Event entry points for the widget layer. Each runs one event to completion; an event that
    // ends the program returns normally after the host has been told.
    void load();     // first showing of the window
    void activate(); // each time the window becomes active
    void buttonClicked(const QString& name);
    void timerTick(const QString& name);
    // A user's edit or click: routed through the model so that the change raises its event.
    void userSetText(const QString& name, const QString& text);
    void userSetChecked(const QString& name, bool checked);

    bool ended() const { return ended_; }

  private:
    template <typename F> void event(F&& f);
    void clicked(const QString& name); // check box click actions
    void changed(const QString& name); // text box change actions

    bool ended_ = false;
};
