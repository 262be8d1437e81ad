#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// Text colours of the main window, as stored values (BGR, the form's own colour numbers).
namespace colour {
constexpr int Normal = 3355443; // hexadecimal 333333
constexpr int Credit = 33023;   // hexadecimal 80FF: red 255, green 128, blue 0
} // namespace colour

enum class ControlKind { TextBox, Label, CheckBox, Button, Timer, Picture };

// One control of a window as designed: the widget layer builds and checks its .ui file
// against this table.
struct ControlSpec {
    QString name;
    ControlKind kind;
    QString caption;     // design caption (buttons with their access key "&")
    QString toolTip;     // design tool tip
    int maxLength = 0;   // 0 = no limit
    bool result = false; // read-only result box with the button-face background
    int colour = colour::Normal;
};

const std::vector<ControlSpec>& mainWindowControls();

// The state of a window: what every control shows. Program changes raise the same events as
// a user's action would: a check box whose value changes runs its click action, a text box
// whose text changes runs its change action; writing what a control already holds raises
// nothing. The widget layer forwards user input here and mirrors what the model holds.
class FormModel {
  public:
    struct State {
        ControlSpec design;
        QString text; // text, or caption for labels and buttons
        QString toolTip;
        int colour = colour::Normal;
        bool checked = false;
        bool enabled = true;
    };

    explicit FormModel(const std::vector<ControlSpec>& controls);

    bool has(const QString& name) const { return states_.contains(name); }
    const State& state(const QString& name) const;
    QStringList names() const { return order_; }

    QString text(const QString& name) const { return state(name).text; }
    void setText(const QString& name, const QString& text);
    QString caption(const QString& name) const { return state(name).text; }
    void setCaption(const QString& name, const QString& caption) { setText(name, caption); }
    QString toolTip(const QString& name) const { return state(name).toolTip; }
    void setToolTip(const QString& name, const QString& toolTip);
    int colour(const QString& name) const { return state(name).colour; }
    void setColour(const QString& name, int colour);
    bool checked(const QString& name) const { return state(name).checked; }
    int value(const QString& name) const { return state(name).checked ? 1 : 0; }
    void setChecked(const QString& name, bool checked);
    bool enabled(const QString& name) const { return state(name).enabled; }
    void setEnabled(const QString& name, bool enabled);

    // Raised after a check box's value changed (its click action) and after a text box's text
    // changed (its change action).
    std::function<void(const QString&)> onClick;
    std::function<void(const QString&)> onChange;
    // Told of every change of what a control shows, so a view can mirror it.
    std::function<void(const QString&)> observer;

  private:
    State& mut(const QString& name);
    void notify(const QString& name);

    QHash<QString, State> states_;
    QStringList order_;
};
