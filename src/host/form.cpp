#include "host/form.h"

#include <algorithm>

#include "host/application.h"

namespace host {

Form::Form(std::string name) : Object(std::move(name)) {}

Form::~Form() = default;

void Form::WindowChanged(const std::string& property) {
  if (OnWindowChanged)
    OnWindowChanged(*this, property);
}

void Form::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  WindowChanged("caption");
}

void Form::SetClientSize(int width, int height) {
  client_width_ = width;
  client_height_ = height;
  WindowChanged("size");
}

void Form::Show() {
  visible_ = true;
  if (active_ == nullptr)
    active_ = NextInTabOrder(nullptr);
  WindowChanged("visible");
}

void Form::SetWindowState(WindowState state) {
  window_state_ = state;
  WindowChanged("state");
}

void Form::Close() {
  CloseAction action = CloseAction::kHide;
  if (OnClose)
    OnClose(*this, action);
  if (action == CloseAction::kNone)
    return;
  visible_ = false;
  if (action == CloseAction::kFree) {
    released_ = true;
    WindowChanged("closed");
    GetApplication().ReleaseForm(*this);
  } else {
    WindowChanged("visible");
  }
}

void Form::Create() {
  if (OnCreate)
    OnCreate(*this);
}

void Form::Activate() {
  if (OnActivate)
    OnActivate(*this);
}

void Form::Repaint() {
  Ui().Repaint();
}

Control* Form::FindControl(const std::string& name) const {
  auto it = std::find_if(controls_.begin(), controls_.end(),
                         [&](const Control* c) { return c->Name() == name; });
  return it == controls_.end() ? nullptr : *it;
}

void Form::FocusControl(Control& control) {
  if (leaving_ != nullptr) {
    requested_in_exit_ = &control;
    return;
  }
  if (active_ == &control)
    return;
  Control* leaving = active_;
  if (leaving == nullptr || !leaving->OnExit) {
    active_ = &control;
    return;
  }
  leaving_ = leaving;
  requested_in_exit_ = nullptr;
  try {
    leaving->OnExit(*leaving);
  } catch (...) {
    active_ = requested_in_exit_ != nullptr ? requested_in_exit_ : leaving;
    leaving_ = nullptr;
    requested_in_exit_ = nullptr;
    throw;
  }
  active_ = requested_in_exit_ != nullptr ? requested_in_exit_ : &control;
  leaving_ = nullptr;
  requested_in_exit_ = nullptr;
}

Control* Form::NextInTabOrder(const Control* from) const {
  std::vector<Control*> order;
  std::copy_if(controls_.begin(), controls_.end(), std::back_inserter(order),
               [](const Control* c) { return c->CanFocus(); });
  if (order.empty())
    return nullptr;
  std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
    return a->TabOrder() < b->TabOrder();
  });
  auto it = std::find(order.begin(), order.end(), from);
  if (it == order.end() || std::next(it) == order.end())
    return order.front();
  return *std::next(it);
}

}  // namespace host
