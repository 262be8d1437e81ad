// The one place where events reach the named procedures: the window's entry points, the
// buttons, and the click and change actions the model raises.
#include "form/archive.h"
#include "form/calculate.h"
#include "form/clicks.h"
#include "form/config.h"
#include "form/history.h"
#include "form/mainform.h"
#include "form/results.h"
#include "form/save.h"
#include "form/startup.h"
#include "form/updatecheck.h"
#include "form/web.h"
#include "text/errors.h"

#include <QHash>

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
