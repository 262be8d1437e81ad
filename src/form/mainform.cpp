#include "form/mainform.h"

#include "text/errors.h"
#include "version.h"

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
