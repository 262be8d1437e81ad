#include "form/formmodel.h"

#include <stdexcept>

FormModel::FormModel(const std::vector<ControlSpec>& controls) {
    for (const ControlSpec& design : controls) {
        State s;
        s.design = design;
        s.text = design.caption;
        s.toolTip = design.toolTip;
        s.colour = design.colour;
        s.enabled = design.kind != ControlKind::Timer; // timers start disabled
        states_.insert(design.name, s);
        order_.append(design.name);
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
    if (s.design.maxLength > 0 && t.size() > s.design.maxLength)
        t.truncate(s.design.maxLength);
    if (s.text == t)
        return;
    s.text = t;
    notify(name);
    if (s.design.kind == ControlKind::TextBox && onChange)
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
