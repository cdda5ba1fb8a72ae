#ifndef EXTRATO_APPS_GUI_SCREEN_WINDOW_H_
#define EXTRATO_APPS_GUI_SCREEN_WINDOW_H_

#include <QMdiSubWindow>

#include "apps/gui/form_view.h"
#include "host/form.h"

namespace gui {

// A screen as a child window of the main window's MDI area. The window follows
// the model (caption, size, shown, window state, closed for good); closing it
// runs the screen's close event, which decides whether it goes.
class ScreenWindow : public QMdiSubWindow {
  Q_OBJECT

 public:
  explicit ScreenWindow(host::Form& form, QWidget* parent = nullptr);
  ~ScreenWindow() override;

  FormView& View() const { return *view_; }
  // Null once the screen was released.
  host::Form* Form() const { return view_->Form(); }

  // Shows the window as the model has it: shown or not, in its window state.
  void FollowModel();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void WindowChanged(const std::string& property);
  void ApplyVisible();
  void ApplyState();
  void KeepUserState(Qt::WindowStates state);

  FormView* view_;
};

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_SCREEN_WINDOW_H_
