#pragma once

#include <QHash>
#include <QTimer>
#include <QWidget>
#include <memory>

class MainForm;
class QScrollArea;

namespace Ui {
class VoltrakeMain;
}

// VoltrakeMain exactly as designed in VoltrakeMain.ui, bound to nothing: to check the design
// against the control table.
std::unique_ptr<QWidget> buildVoltrakeMainDesign();

// The window VoltrakeMain: the widgets of VoltrakeMain.ui bound by objectName to the controls
// of MainForm's model. What the user types and clicks goes to the model; what the model holds
// is mirrored onto the widgets.
class MainWindow : public QWidget {
    Q_OBJECT

  public:
    explicit MainWindow(MainForm& form, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Runs the window's load once; the first showing calls it if nobody did before.
    void ensureLoaded();

    // The widget bound to a control of the model; nullptr for Timer1 and unknown names.
    QWidget* control(const QString& name) const { return widgets_.value(name); }
    // Moves the input focus to a control; false when there is no such widget.
    bool focusControl(const QString& name);

    bool timer1Active() const { return timer1_.isActive(); }

    // The size the window takes at start: all of its content, but no more than the screen's
    // available area; the content scrolls when it does not fit.
    QSize fittedSize() const;

  protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void changeEvent(QEvent* e) override;

  private:
    void bind();
    void mirror(const QString& name);
    void mirrorAll();
    void activate();
    void setAccessKeys();
    void setTabChain();
    void setShortcuts();
    void applyFieldBackgrounds();
    void announceStatus(QWidget* status);

    MainForm& form_;
    std::unique_ptr<Ui::VoltrakeMain> ui_;
    QHash<QString, QWidget*> widgets_;
    QScrollArea* scroll_ = nullptr;
    bool fitted_ = false;
    QTimer timer1_;
    bool loaded_ = false;
    bool loading_ = false;
    bool activating_ = false;
};
