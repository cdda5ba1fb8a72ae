#ifndef EXTRATO_HOST_FORM_H_
#define EXTRATO_HOST_FORM_H_

#include <functional>
#include <string>
#include <vector>

#include "host/controls.h"

namespace host {

enum class WindowState { kNormal, kMinimized, kMaximized };
enum class CloseAction { kNone, kHide, kFree };
enum class BorderStyle { kSingle, kSizeable };
enum class FormStyle { kNormal, kMdiChild };

// A window of the host application. It owns the focus among its controls and
// lists them so that a front end can render them.
class Form : public Object {
 public:
  explicit Form(std::string name);
  ~Form() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  int ClientWidth() const { return client_width_; }
  int ClientHeight() const { return client_height_; }
  void SetClientSize(int width, int height);
  BorderStyle GetBorderStyle() const { return border_style_; }
  void SetBorderStyle(BorderStyle style) { border_style_ = style; }
  FormStyle GetFormStyle() const { return form_style_; }
  void SetFormStyle(FormStyle style) { form_style_ = style; }

  bool Visible() const { return visible_; }
  void Show();
  WindowState GetWindowState() const { return window_state_; }
  void SetWindowState(WindowState state);
  // Runs the close event; a close action of kFree releases the window.
  void Close();
  bool Released() const { return released_; }
  // Runs the creation event; the application calls it once, right after construction.
  void Create();
  // The screen became the active window: runs the activation event.
  void Activate();
  void Repaint();

  // Every control, in creation order.
  const std::vector<Control*>& Controls() const { return controls_; }
  Control* FindControl(const std::string& name) const;

  // Focus. Moving it runs the exit event of the control being left; when that
  // raises, the focus stays (or goes where the handler put it) and the failure
  // passes on. A focus request made inside an exit event wins over the move.
  Control* ActiveControl() const { return active_; }
  void FocusControl(Control& control);
  // The next control in tab order that can take the focus, after `from`.
  Control* NextInTabOrder(const Control* from) const;

  NotifyEvent OnCreate;
  NotifyEvent OnActivate;
  std::function<void(Object& sender, CloseAction& action)> OnClose;
  // For front ends: window properties changed ("caption", "state", "visible", "closed").
  std::function<void(Form&, const std::string& property)> OnWindowChanged;

 private:
  friend class Control;
  void Register(Control& control) { controls_.push_back(&control); }
  void WindowChanged(const std::string& property);

  std::string caption_;
  int client_width_ = 0;
  int client_height_ = 0;
  BorderStyle border_style_ = BorderStyle::kSizeable;
  FormStyle form_style_ = FormStyle::kNormal;
  bool visible_ = false;
  bool released_ = false;
  WindowState window_state_ = WindowState::kNormal;
  std::vector<Control*> controls_;
  Control* active_ = nullptr;
  Control* leaving_ = nullptr;            // the control whose exit event is running
  Control* requested_in_exit_ = nullptr;  // a focus request made during that event
};

}  // namespace host

#endif  // EXTRATO_HOST_FORM_H_
