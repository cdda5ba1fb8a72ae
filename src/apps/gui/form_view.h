#ifndef EXTRATO_APPS_GUI_FORM_VIEW_H_
#define EXTRATO_APPS_GUI_FORM_VIEW_H_

#include <functional>
#include <map>

#include <QWidget>

#include "host/form.h"

namespace gui {

// The client area of a screen: one widget per control of the model, placed as
// the model places it. User actions run as the host's event handlers do, through
// its dispatcher; afterwards the real focus follows the screen's.
class FormView : public QWidget {
  Q_OBJECT

 public:
  explicit FormView(host::Form& form, QWidget* parent = nullptr);
  ~FormView() override;

  // Null once the screen was released.
  host::Form* Form() const { return form_; }
  QWidget* WidgetOf(const host::Control& control) const;

  // Runs one event handler of the screen. False when the screen was released
  // meanwhile: the caller must not touch its models any more.
  bool Run(const std::function<void()>& handler);
  // The screen closed for good and is about to be destroyed.
  void Detach();
  // Puts the real focus where the screen has it.
  void FollowFocus();

 protected:
  // A field that gets the focus from the user takes it in the screen, which
  // first runs the exit event of the field being left.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* Build(host::Control& control);
  void ChainTabOrder();
  // Once no handler runs: moves the screen's focus to the field the user went
  // to, or else the real focus back to the screen's.
  void Settle();

  host::Form* form_;
  std::map<const host::Control*, QWidget*> widgets_;
  std::map<const QObject*, host::Control*> controls_;
  int running_ = 0;
  host::Control* pending_ = nullptr;  // the field the user went to, not yet entered
};

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_FORM_VIEW_H_
