#include "update/updater.h"

#include "form/checkfiles.h"
#include "form/mainform.h"
#include "form/web.h"
#include "records/updatedoc.h"
#include "text/errors.h"
#include "text/files.h"
#include "text/values.h"

namespace {

const QString ProgramName = QStringLiteral("Voltrake");
using files::crlf;

// Trims blanks only, as the document and the address are trimmed: line ends and tabs stay.
QString trimBlanks(const QString& text) {
    qsizetype from = 0, to = text.size();
    while (from < to && text.at(from) == QLatin1Char(' '))
        ++from;
    while (to > from && text.at(to - 1) == QLatin1Char(' '))
        --to;
    return text.mid(from, to - from);
}

// The directory is named "log" in lower case in the message of a failed check, yet the check
// itself has to find "Log" on file systems that tell case apart.
void CheckLogDirectory(MainForm& f) {
    if (!files::dirExists(f.path(QStringLiteral("Log"))))
        CheckDirectory(f, QStringLiteral("log"));
}

ControlSpec textBox(const char* name) {
    ControlSpec c{QString::fromLatin1(name), ControlKind::TextBox, {}, {}};
    c.result = true; // read-only
    return c;
}

ControlSpec button(const char* name, const char* caption) {
    return {QString::fromLatin1(name), ControlKind::Button, QString::fromLatin1(caption), {}};
}

} // namespace

const std::vector<ControlSpec>& updaterControls() {
    static const std::vector<ControlSpec> controls = {
        {QStringLiteral("Logo"), ControlKind::Picture, {}, {}},
        textBox("Status"),
        {QStringLiteral("Timer1"), ControlKind::Timer, {}, {}},
        button("Exit", "&Exit"),
        textBox("UVersion"),
        button("WebSite", "&Web Site"),
        button("History", "&History"),
        button("KIssues", "&Known Issues"),
        textBox("Message"),
        button("Download", "&Download"),
    };
    return controls;
}

UpdaterForm::UpdaterForm(MainForm& form, UpdaterWindow& window)
    : f(form), model(updaterControls()), window_(window) {
    for (const char* name : {"WebSite", "History", "KIssues", "Download"})
        model.setEnabled(QString::fromLatin1(name), false);
    connect(&urlGet1, &urlGet::DownloadProgress, this,
            [this](int n) { event([&] { urlGet1_DownloadProgress(n); }); });
    connect(&urlGet1, &urlGet::DownloadFailed, this, [this](int number, const QString& text) {
        event([&] { urlGet1_DownloadFailed(number, text); });
    });
    connect(&urlGet1, &urlGet::DownloadComplete, this,
            [this](int n) { event([&] { urlGet1_DownloadComplete(n); }); });
}

UpdaterForm::~UpdaterForm() {
    urlGet1.DownloadCancel();
}

template <typename F> void UpdaterForm::event(F&& fn) {
    if (closed_ || f.ended())
        return;
    try {
        fn();
    } catch (const ProgramEnded&) {
    }
}

QString UpdaterForm::now() const {
    return values::ddMmmYyTime(f.host.now());
}

void UpdaterForm::load(bool showAtOnce) {
    event([&] {
        Form_Load();
        if (showAtOnce)
            show();
    });
}

void UpdaterForm::timerTick() {
    if (model.enabled(QStringLiteral("Timer1")))
        event([&] { Timer1_Timer(); });
}

void UpdaterForm::buttonClicked(const QString& name) {
    // A disabled button cannot be clicked; the logo always can.
    const bool logo = name == QLatin1String("Logo");
    if (!logo && !(model.has(name) && model.enabled(name)))
        return;
    event([&] {
        if (logo)
            OpenWebPage(f, QString());
        else if (name == QLatin1String("WebSite"))
            OpenWebPage(f, PubIndex);
        else if (name == QLatin1String("History"))
            OpenWebPage(f, PubHistory);
        else if (name == QLatin1String("KIssues"))
            OpenWebPage(f, PubKIssues);
        else if (name == QLatin1String("Download"))
            OpenWebPage(f, PubDownload);
        else if (name == QLatin1String("Exit"))
            close();
    });
}

void UpdaterForm::show() {
    if (Visible || closed_)
        return;
    Visible = true;
    window_.makeVisible();
}

void UpdaterForm::close() {
    if (closed_)
        return;
    closed_ = true;
    model.setEnabled(QStringLiteral("Timer1"), false);
    urlGet1.DownloadCancel();
    // The main window may start another check now.
    f.model.setEnabled(QStringLiteral("Update"), true);
    window_.closeWindow();
}

void UpdaterForm::Form_Load() {
    f.model.setEnabled(QStringLiteral("Update"), false);
    f.FileSystem = true;
    CheckLogDirectory(f);
    if (files::fileExists(f.path(QStringLiteral("Log/LogOn.txt"))))
        CreateUpdaterLog();

    RunVersion = f.RunMode == 5 ? QStringLiteral("0.9") : versionText();
    RunBuild = QStringLiteral("0.0");
    // "&amp" without its semicolon is what the web site expects; it is sent exactly so.
    RequestURL = f.webSiteRoot + QStringLiteral("software/misc/updatecheck.xml") +
                 QStringLiteral("?PName=") + ProgramName + QStringLiteral("&ampPVer=") +
                 RunVersion + '.' + RunBuild;

    WriteUpdaterLog(now() + crlf + crlf + QStringLiteral("Web URL") + crlf +
                    QStringLiteral("-------") + crlf + RequestURL + crlf + crlf + crlf);

    Caption = ProgramName + QStringLiteral(" Update Check");
    window_.setCaption(Caption);
    model.setText(QStringLiteral("Status"),
                  QStringLiteral("Please Wait - Checking for the latest version"));
    model.setText(QStringLiteral("UVersion"),
                  ProgramName + QStringLiteral(" Version ") + versionText());

    model.setToolTip(QStringLiteral("Exit"),
                     QStringLiteral("Close ") + ProgramName + QStringLiteral(" update check"));
    model.setToolTip(QStringLiteral("WebSite"), ProgramName + QStringLiteral(" website"));
    model.setToolTip(QStringLiteral("KIssues"), ProgramName + QStringLiteral(" known issues"));
    model.setToolTip(QStringLiteral("History"), ProgramName + QStringLiteral(" change history"));
    model.setToolTip(QStringLiteral("Download"),
                     QStringLiteral("Download the latest version of ") + ProgramName);

    WriteUpdaterLog(now() + crlf + QStringLiteral("Update Check") + crlf + crlf +
                    QStringLiteral("Program Data") + crlf + QStringLiteral("------------") + crlf +
                    QStringLiteral("Control Mode :  ") + QString::number(f.RunMode) + crlf +
                    QStringLiteral("Program Name :  ") + ProgramName + crlf +
                    QStringLiteral("Major Version:  ") + RunVersion + crlf +
                    QStringLiteral("Minor Version:  ") + RunBuild + crlf + crlf);

    TimerTicks = 0;
    model.setEnabled(QStringLiteral("Timer1"), true);
}

void UpdaterForm::Timer1_Timer() {
    ++TimerTicks;
    if (TimerTicks == 1201) { // about two minutes: give up whatever the state
        close();
        return;
    }
    if (TimerTicks == 41 && f.RunMode == 5) {
        close();
        return;
    }
    if (TimerTicks == 11) {
        urlGet1.DownloadStart(trimBlanks(RequestURL), urlGet::ForceFresh);
        if (MissingTags != 0) {
            model.setText(QStringLiteral("Status"),
                          QStringLiteral("Unable to contact web site - try later"));
            if (!f.ManualCheck)
                close();
        }
    }
}

void UpdaterForm::urlGet1_DownloadProgress(int) {
    model.setText(QStringLiteral("Status"),
                  QStringLiteral("Getting latest version of ") + ProgramName);
}

void UpdaterForm::urlGet1_DownloadFailed(int, const QString&) {
    model.setText(QStringLiteral("Status"), QStringLiteral("Unable to contact web site"));
    if (!f.ManualCheck)
        close();
}

void UpdaterForm::urlGet1_DownloadComplete(int) {
    UpdateDoc = files::decode(urlGet1.Bytes());
    ParseUpdateDocument();
    bool newer = false;
    if (MissingTags == 0) {
        newer = CompareVersions();
        if (newer)
            show(); // a hidden automatic check comes forward only now
    }
    if (!f.ManualCheck && !newer)
        close();
}

void UpdaterForm::ParseUpdateDocument() {
    WriteUpdaterLog(now() + crlf);
    WriteUpdaterLog(QStringLiteral("Web Page xml") + crlf + QStringLiteral("------------"));
    WriteUpdaterLog(trimBlanks(UpdateDoc) + crlf);

    const records::UpdateDocument doc = records::parseUpdateDocument(UpdateDoc);
    MissingTags = doc.missingTags;
    PubName = doc.name;
    PubVersion1 = doc.version1;
    PubVersion2 = doc.version2;
    PubDownload = doc.download;
    PubHistory = doc.history;
    PubKIssues = doc.knownIssues;
    PubIndex = doc.index;
    PubMessage = doc.message;
    PubUninstall = doc.uninstall;

    WriteUpdaterLog(
        QStringLiteral("Web Page Data") + crlf + QStringLiteral("-------------") + crlf +
        QStringLiteral("Program Name :  ") + PubName + crlf + QStringLiteral("Major Version:  ") +
        PubVersion1 + crlf + QStringLiteral("Minor Version:  ") + PubVersion2 + crlf +
        QStringLiteral("Download url :  ") + PubDownload + crlf +
        QStringLiteral("Known Issues :  ") + PubKIssues + crlf +
        QStringLiteral("History      :  ") + PubHistory + crlf +
        QStringLiteral("Home Page    :  ") + PubIndex + crlf + QStringLiteral("Message      :  ") +
        PubMessage + crlf + QStringLiteral("Uninstall    :  ") + PubUninstall + crlf +
        QStringLiteral("Error Count  :  ") + QString::number(MissingTags) + crlf + crlf);
}

bool UpdaterForm::CompareVersions() {
    const records::VersionOrder order =
        records::compareVersions(PubVersion1, PubVersion2, RunVersion, RunBuild);
    const QString error = QStringLiteral("Error");
    auto enableIfKnown = [&](const char* name, const QString& field) {
        model.setEnabled(QString::fromLatin1(name), field != error);
    };

    if (order == records::VersionOrder::Same) {
        model.setText(QStringLiteral("Status"),
                      QStringLiteral("You have the latest version of ") + ProgramName);
        model.setText(QStringLiteral("Message"),
                      QStringLiteral("Click Known Issues to see any problems we are aware of.") +
                          crlf + PubMessage);
        enableIfKnown("WebSite", PubIndex);
        enableIfKnown("KIssues", PubKIssues);
        enableIfKnown("History", PubHistory);
        return false;
    }
    if (order == records::VersionOrder::Newer) {
        model.setText(QStringLiteral("Status"), QStringLiteral("Version ") + PubVersion1 +
                                                    QStringLiteral(" of ") + PubName +
                                                    QStringLiteral(" is available "));
        QString message =
            QStringLiteral("Click Download to get it") + crlf +
            QStringLiteral("Click History for change info and Known Issues for any problems.") +
            crlf + PubMessage;
        if (PubUninstall == QLatin1String("Yes"))
            message += crlf + QStringLiteral("You must uninstall ") + ProgramName +
                       QStringLiteral("first.");
        model.setText(QStringLiteral("Message"), message);
        enableIfKnown("WebSite", PubIndex);
        enableIfKnown("KIssues", PubKIssues);
        enableIfKnown("History", PubHistory);
        enableIfKnown("Download", PubDownload);
        return true;
    }
    model.setText(QStringLiteral("Status"),
                  QStringLiteral("Unrecognised version of ") + ProgramName);
    model.setText(QStringLiteral("Message"), QStringLiteral("Contact Brantly for assistance."));
    for (const char* name : {"WebSite", "KIssues", "History", "Download"})
        model.setEnabled(QString::fromLatin1(name), false);
    return false;
}

void UpdaterForm::CreateUpdaterLog() {
    CheckLogDirectory(f);
    const QString path = f.path(QStringLiteral("Log/Updater.log"));
    if (files::fileExists(path))
        return;
    const QString header = QStringLiteral("Updater") + crlf + QStringLiteral("Version ") +
                           versionText() + crlf + QStringLiteral("File Created") + crlf + now() +
                           crlf + crlf;
    // Created and filled in one step, so a failure never leaves a header-less file behind.
    if (!files::replace(path, header + crlf)) {
        f.message(QStringLiteral("Updater Log File Error"),
                  QStringLiteral("Unable to create the log file Updater.log.") + crlf +
                      QStringLiteral("This may be a permissions problem.") + crlf +
                      QStringLiteral("The program will now terminate."),
                  Host::Buttons::Ok, Host::Icon::Warning);
        f.endProgram();
    }
}

void UpdaterForm::WriteUpdaterLog(const QString& text) {
    if (!files::fileExists(f.path(QStringLiteral("Log/LogOn.txt"))))
        return;
    // The answer does not matter: a missing file has been reported, and the append below
    // then fails with its own message. The file name's case must match the file on disk.
    CheckFile(f, QStringLiteral("log"), QStringLiteral("Log"), QStringLiteral("Updater.log"));
    if (!files::append(f.path(QStringLiteral("Log/Updater.log")), text + crlf)) {
        f.message(QStringLiteral("Updater Log File Write Error"),
                  QStringLiteral("Unable to write to the log file Updater.log.") + crlf +
                      QStringLiteral("This may be a permissions problem.") + crlf +
                      QStringLiteral("The program will now terminate."),
                  Host::Buttons::Ok, Host::Icon::Warning);
        f.endProgram();
    }
}
