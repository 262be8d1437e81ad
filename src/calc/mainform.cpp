#include "mainform.h"

#include "calc/calculate.h"
#include "calc/errors.h"
#include "calc/presentation.h"
#include "records/archive.h"
#include "records/history.h"
#include "records/results.h"
#include "records/save.h"
#include "shell/config.h"
#include "shell/startup.h"
#include "shell/web.h"
#include "update/updatecheck.h"
#include "version.h"

#include <QHash>
#include <functional>

QString versionText() {
    return QStringLiteral("%1.%2").arg(VOLTRAKE_VERSION_MAJOR).arg(VOLTRAKE_VERSION_MINOR);
}
int versionMajor() {
    return VOLTRAKE_VERSION_MAJOR;
}
int versionMinor() {
    return VOLTRAKE_VERSION_MINOR;
}

MainForm::MainForm(Host& h)
    : model(mainWindowControls()), host(h), webSiteRoot(QStringLiteral(VOLTRAKE_WEBSITE_ROOT)) {
    model.onClick = [this](const QString& name) { clicked(name); };
    model.onChange = [this](const QString& name) { changed(name); };
}

QString MainForm::path(const QString& relative) const {
    return baseDir + '/' + relative;
}

Host::Answer MainForm::message(const QString& title, const QString& text, Host::Buttons buttons,
                               Host::Icon icon) {
    return host.messageBox(title, text, buttons, icon);
}

void MainForm::setStatus(const QString& text) {
    setText(QStringLiteral("Status"), text);
    startTimer1();
}

void MainForm::startTimer1() {
    model.setEnabled(QStringLiteral("Timer1"), true);
}

void MainForm::endProgram() {
    ended_ = true;
    host.endProgram();
    throw ProgramEnded{};
}

template <typename F> void MainForm::event(F&& f) {
    if (ended_)
        return;
    try {
        f();
    } catch (const ProgramEnded&) {
    }
}

void MainForm::load() {
    event([this] { Form_Load(*this); });
}

void MainForm::activate() {
    event([this] { Form_Activate(*this); });
}

void MainForm::timerTick(const QString& name) {
    if (name == QLatin1String("Timer1"))
        event([this] { Timer1_Timer(*this); });
}

void MainForm::userSetText(const QString& name, const QString& text) {
    event([&] { model.setText(name, text); });
}

void MainForm::userSetChecked(const QString& name, bool checked) {
    event([&] { model.setChecked(name, checked); });
}

void MainForm::buttonClicked(const QString& name) {
    using Handler = void (*)(MainForm&);
    static const QHash<QString, Handler> handlers = {
        {QStringLiteral("Calc"), Calculate},
        {QStringLiteral("Save"), Save_Click},
        {QStringLiteral("Clear"), Clear_Click},
        {QStringLiteral("Get_Last"), Get_Last_Click},
        {QStringLiteral("Del_Last"), Del_Last_Click},
        {QStringLiteral("ViewL"), ViewL_Click},
        {QStringLiteral("ViewH"), ViewH_Click},
        {QStringLiteral("Archive"), Archive_Click},
        {QStringLiteral("Save_Defaults"), Save_Defaults_Click},
        {QStringLiteral("Reset_Defaults"), Reset_Defaults_Click},
        {QStringLiteral("Help1"), Help1_Click},
        {QStringLiteral("About"), About_Click},
        {QStringLiteral("Update"), Update_Click},
        {QStringLiteral("Exit"), Exit_Click},
        {QStringLiteral("Logo"), Logo_Click},
    };
    const Handler h = handlers.value(name);
    if (h && (name == QLatin1String("Logo") || model.enabled(name)))
        event([&] { h(*this); });
}

// Runs inside whatever event changed the box, user click or program change alike.
void MainForm::clicked(const QString& name) {
    using Handler = void (*)(MainForm&);
    static const QHash<QString, Handler> handlers = {
        {QStringLiteral("Period"), Period_Click},     {QStringLiteral("DRate"), DRate_Click},
        {QStringLiteral("Disc1P"), Disc1P_Click},     {QStringLiteral("Disc2F"), Disc2F_Click},
        {QStringLiteral("AutoSave"), AutoSave_Click}, {QStringLiteral("OnTop"), OnTop_Click},
    };
    if (const Handler h = handlers.value(name))
        h(*this);
}

void MainForm::changed(const QString& name) {
    if (name == QLatin1String("VAT"))
        VAT_Change(*this);
}
