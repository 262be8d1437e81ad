#include "formmodel.h"

#include <stdexcept>

FormModel::FormModel(const std::vector<ControlSpec>& controls) {
    for (const ControlSpec& spec : controls) {
        State s;
        s.spec = spec;
        s.text = spec.caption;
        s.toolTip = spec.toolTip;
        s.colour = spec.colour;
        s.enabled = spec.kind != ControlKind::Timer; // timers start disabled
        states_.insert(spec.name, s);
        order_.append(spec.name);
    }
}

const FormModel::State& FormModel::state(const QString& name) const {
    auto it = states_.constFind(name);
    if (it == states_.constEnd())
        throw std::logic_error("no control named " + name.toStdString());
    return *it;
}

FormModel::State& FormModel::mut(const QString& name) {
    auto it = states_.find(name);
    if (it == states_.end())
        throw std::logic_error("no control named " + name.toStdString());
    return *it;
}

void FormModel::notify(const QString& name) {
    if (observer)
        observer(name);
}

void FormModel::setText(const QString& name, const QString& text) {
    State& s = mut(name);
    QString t = text;
    if (s.spec.maxLength > 0 && t.size() > s.spec.maxLength)
        t.truncate(s.spec.maxLength);
    if (s.text == t)
        return;
    s.text = t;
    notify(name);
    if (s.spec.kind == ControlKind::TextBox && onChange)
        onChange(name);
}

void FormModel::setToolTip(const QString& name, const QString& toolTip) {
    State& s = mut(name);
    if (s.toolTip == toolTip)
        return;
    s.toolTip = toolTip;
    notify(name);
}

void FormModel::setColour(const QString& name, int c) {
    State& s = mut(name);
    if (s.colour == c)
        return;
    s.colour = c;
    notify(name);
}

void FormModel::setChecked(const QString& name, bool checked) {
    State& s = mut(name);
    if (s.checked == checked)
        return;
    s.checked = checked;
    notify(name);
    if (onClick)
        onClick(name);
}

void FormModel::setEnabled(const QString& name, bool enabled) {
    State& s = mut(name);
    if (s.enabled == enabled)
        return;
    s.enabled = enabled;
    notify(name);
}
