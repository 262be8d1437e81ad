#pragma once

#include "form/formmodel.h"
#include "update/urlget.h"

#include <QObject>
#include <QString>
#include <vector>

class MainForm;

// The controls of the update-check window frmUpdater, in form order (urlGet1 is not a control
// of the table: it is the UpdaterForm's own member).
const std::vector<ControlSpec>& updaterControls();

// What the update check needs of its window: the widget layer in the program, a recorder in
// tests. The controls' texts, tool tips and enabled states live in UpdaterForm::model, which
// the window mirrors through the model's observer.
class UpdaterWindow {
  public:
    virtual ~UpdaterWindow() = default;
    // Takes the window down. Called once, after UpdaterForm::close has done its own work.
    virtual void closeWindow() = 0;
    virtual void makeVisible() = 0;
    virtual void setCaption(const QString& caption) = 0;
};

// The update-check window frmUpdater without its widgets: its controls, its variables and its
// procedures. One instance lives as long as the window; the fetch control goes with it.
class UpdaterForm : public QObject {
    Q_OBJECT
  public:
    UpdaterForm(MainForm& f, UpdaterWindow& window);
    ~UpdaterForm() override;

    MainForm& f;
    FormModel model;
    urlGet urlGet1;
    QString Caption;
    bool Visible = false;

    QString RunVersion;
    QString RunBuild;
    QString RequestURL;
    int TimerTicks = 0;
    QString UpdateDoc;
    int MissingTags = 0;
    QString PubName;
    QString PubVersion1;
    QString PubVersion2;
    QString PubDownload;
    QString PubHistory;
    QString PubKIssues;
    QString PubIndex;
    QString PubMessage;
    QString PubUninstall;

    // Event entry points for the window. Each runs one event to completion; an event whose
    // procedure ends the program returns normally after the host has been told.
    void load(bool show); // loads the window; shows it at once for a manual check
    void timerTick();     // Timer1, every 100 ms while enabled
    void buttonClicked(const QString& name);
    // Every way the window closes comes through here; the second and later calls do nothing.
    void close();
    bool closed() const { return closed_; }

    // The procedures of the window.
    void Form_Load();
    void Timer1_Timer();
    void urlGet1_DownloadProgress(int nBytes);
    void urlGet1_DownloadFailed(int ErrNum, const QString& ErrDesc);
    void urlGet1_DownloadComplete(int nBytes);
    void ParseUpdateDocument();
    bool CompareVersions();
    void CreateUpdaterLog();
    void WriteUpdaterLog(const QString& text);

  private:
    template <typename F> void event(F&& fn);
    void show();
    QString now() const;

    UpdaterWindow& window_;
    bool closed_ = false;
};
