#include "apps/gui/form_view.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <QFocusEvent>
#include <QTimer>

#include "apps/gui/control_widgets.h"
#include "host/application.h"

namespace gui {

namespace {

// The user moves between fields with the keyboard or the mouse. Focus that Qt
// moves itself (a window activated again, a child window restoring the field it
// had) is put back where the screen has it.
bool IsUserMove(Qt::FocusReason reason) {
  return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
         reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason;
}

}  // namespace

FormView::FormView(host::Form& form, QWidget* parent) : QWidget(parent), form_(&form) {
  setFixedSize(form.ClientWidth(), form.ClientHeight());
  for (host::Control* control : form.Controls())
    Build(*control);
  ChainTabOrder();
}

FormView::~FormView() {
  if (form_ == nullptr)
    return;
  for (host::Control* control : form_->Controls())
    control->OnPropertyChanged = nullptr;
}

QWidget* FormView::WidgetOf(const host::Control& control) const {
  auto it = widgets_.find(&control);
  return it == widgets_.end() ? nullptr : it->second;
}

// Parents first: a control may be created before its container.
QWidget* FormView::Build(host::Control& control) {
  if (QWidget* built = WidgetOf(control))
    return built;
  QWidget* parent = control.Parent() != nullptr ? Build(*control.Parent()) : this;
  QWidget* widget = CreateControlWidget(control, *parent, *this);
  widget->setObjectName(QString::fromStdString(control.Name()));
  widgets_[&control] = widget;
  controls_[widget] = &control;
  if (widget->focusPolicy() != Qt::NoFocus)
    widget->installEventFilter(this);
  return widget;
}

void FormView::ChainTabOrder() {
  std::vector<host::Control*> order;
  for (host::Control* control : form_->Controls()) {
    if (WidgetOf(*control)->focusPolicy() != Qt::NoFocus)
      order.push_back(control);
  }
  std::stable_sort(order.begin(), order.end(), [](const host::Control* a, const host::Control* b) {
    return a->TabOrder() < b->TabOrder();
  });
  for (std::size_t i = 1; i < order.size(); ++i) {
    setTabOrder(WidgetOf(*order[i - 1]), WidgetOf(*order[i]));
  }
}

bool FormView::Run(const std::function<void()>& handler) {
  if (form_ == nullptr)
    return false;
  ++running_;
  host::GetApplication().Dispatch(handler);
  --running_;
  if (form_ == nullptr)
    return false;
  if (running_ == 0)
    Settle();
  return true;
}

void FormView::Detach() {
  form_ = nullptr;
  pending_ = nullptr;
  controls_.clear();
}

void FormView::FollowFocus() {
  host::Control* active = form_ != nullptr ? form_->ActiveControl() : nullptr;
  QWidget* widget = active != nullptr ? WidgetOf(*active) : nullptr;
  if (widget == nullptr || widget->focusPolicy() == Qt::NoFocus || widget->hasFocus())
    return;
  widget->setFocus(Qt::OtherFocusReason);
}

bool FormView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::FocusIn || running_ > 0)
    return QWidget::eventFilter(watched, event);
  auto it = controls_.find(watched);
  if (it == controls_.end())
    return QWidget::eventFilter(watched, event);
  if (IsUserMove(static_cast<QFocusEvent*>(event)->reason()))
    pending_ = it->second;
  // Later, not inside Qt's focus change: the exit event may open a dialog and
  // send the focus back. A handler that runs first (the activation's repaint)
  // leaves the move pending until it ends.
  QTimer::singleShot(0, this, [this] { Settle(); });
  return QWidget::eventFilter(watched, event);
}

void FormView::Settle() {
  if (form_ == nullptr || running_ > 0)
    return;
  if (pending_ == nullptr) {
    FollowFocus();
    return;
  }
  host::Control* control = std::exchange(pending_, nullptr);
  if (form_->ActiveControl() != control)
    Run([this, control] { form_->FocusControl(*control); });
}

}  // namespace gui
