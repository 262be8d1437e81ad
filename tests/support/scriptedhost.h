#pragma once

#include "form/host.h"
#include "form/mainform.h"

#include <QDir>
#include <QList>
#include <QLocale>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

// A Host that answers message boxes from a queue and records everything the core asks of it.
class ScriptedHost : public Host {
  public:
    struct Box {
        QString title;
        QString text;
        Buttons buttons;
        Icon icon;
    };

    QList<Answer> answers; // taken in order; when empty the first button's answer is given
    QList<Box> boxes;
    QStringList opened;       // documents and addresses
    QStringList edited;       // files given to the text editor
    QStringList focus;        // controls given the focus
    QStringList onTop;        // "window=1" / "window=0"
    QStringList updateChecks; // "manual" / "automatic"
    int aboutShown = 0;
    int updateWindowClosed = 0;
    bool ended = false;
    bool openSucceeds = true;
    bool editorSucceeds = true;
    QDateTime clock = QDateTime(QDate(2026, 12, 5), QTime(4, 40, 50));

    Answer messageBox(const QString& title, const QString& text, Buttons buttons,
                      Icon icon) override;
    bool openDocument(const QString& target) override;
    bool startEditor(const QString& path) override;
    void setOnTop(const QString& window, bool on) override;
    void setFocus(const QString& control) override { focus.append(control); }
    QDateTime now() override { return clock; }
    void showAbout() override { ++aboutShown; }
    void startUpdateCheck(bool automatic) override;
    void closeUpdateWindow() override { ++updateWindowClosed; }
    void endProgram() override { ended = true; }

    // The titles, or "title|text" of all boxes shown, for compact comparisons.
    QStringList titles() const;
    QStringList texts() const;
};

// The configuration file as installed, with one text replaced when from is given.
QByteArray installedIni(const QByteArray& from = {}, const QByteArray& to = {});

// One data row of a QtTest table.
template <class... T> void row(const char* name, T... values) {
    (QTest::newRow(name) << ... << values);
}

// A working directory with Data, Log and Help, and a MainForm pointed at it.
class Workspace {
  public:
    Workspace();
    QString dir() const { return temp.path(); }
    QString path(const QString& relative) const { return temp.path() + '/' + relative; }
    void write(const QString& relative, const QByteArray& bytes) const;
    QByteArray read(const QString& relative) const;

    QTemporaryDir temp;
    ScriptedHost host;
    MainForm form{host};
};

// Sets the default locale for the life of the object.
class LocaleScope {
  public:
    explicit LocaleScope(const QString& name) : old_(QLocale()) {
        QLocale::setDefault(QLocale(name));
    }
    ~LocaleScope() { QLocale::setDefault(old_); }

  private:
    QLocale old_;
};
