#ifndef EXTRATO_APPS_GUI_CONTROL_WIDGETS_H_
#define EXTRATO_APPS_GUI_CONTROL_WIDGETS_H_

#include <QWidget>

#include "host/controls.h"

namespace gui {

class FormView;

// Builds the widget that shows `control` inside `parent`, with every property of
// the model applied, and keeps the two in step: the model's changes reach the
// widget through the control's OnPropertyChanged, which the widget now holds,
// and the user's actions reach the model through `view.Run`.
QWidget* CreateControlWidget(host::Control& control, QWidget& parent, FormView& view);

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_CONTROL_WIDGETS_H_
