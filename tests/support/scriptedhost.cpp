#include "scriptedhost.h"

#include <QFile>

Host::Answer ScriptedHost::messageBox(const QString& title, const QString& text, Buttons buttons,
                                      Icon icon) {
    boxes.append({title, text, buttons, icon});
    if (!answers.isEmpty())
        return answers.takeFirst();
    switch (buttons) {
    case Buttons::Ok:
    case Buttons::OkCancel:
        return Answer::Ok;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Answer::Yes;
    }
    return Answer::Ok;
}

bool ScriptedHost::openDocument(const QString& target) {
    opened.append(target);
    return openSucceeds;
}

bool ScriptedHost::startEditor(const QString& path) {
    edited.append(path);
    return editorSucceeds;
}

void ScriptedHost::setOnTop(const QString& window, bool on) {
    onTop.append(window + (on ? "=1" : "=0"));
}

void ScriptedHost::startUpdateCheck(bool automatic) {
    updateChecks.append(automatic ? QStringLiteral("automatic") : QStringLiteral("manual"));
}

QStringList ScriptedHost::titles() const {
    QStringList t;
    for (const Box& b : boxes)
        t.append(b.title);
    return t;
}

QStringList ScriptedHost::texts() const {
    QStringList t;
    for (const Box& b : boxes)
        t.append(b.title + '|' + b.text);
    return t;
}

QByteArray installedIni(const QByteArray& from, const QByteArray& to) {
    QFile f(QStringLiteral(VOLTRAKE_SOURCE_DIR "/dist/Data/Voltrake.ini"));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("no installed configuration");
    QByteArray bytes = f.readAll();
    return from.isEmpty() ? bytes : bytes.replace(from, to);
}

Workspace::Workspace() {
    QDir d(temp.path());
    d.mkdir(QStringLiteral("Data"));
    d.mkdir(QStringLiteral("Log"));
    d.mkdir(QStringLiteral("Help"));
    form.baseDir = temp.path();
}

void Workspace::write(const QString& relative, const QByteArray& bytes) const {
    QFile f(path(relative));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QByteArray Workspace::read(const QString& relative) const {
    QFile f(path(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
