#ifndef EXTRATO_APPS_CLI_SCREEN_DRIVER_H_
#define EXTRATO_APPS_CLI_SCREEN_DRIVER_H_

// Works a screen's controls, found by name, as a person at the keyboard would.
// Each action runs as one event of the host application: a failure is shown by
// the screen or the host, and the action answers how it ended.

#include <stdexcept>
#include <string>

#include <fmt/format.h>

#include "host/application.h"
#include "host/form.h"

namespace cli {

class ScreenDriver {
 public:
  explicit ScreenDriver(host::Form& form) : form_(form) {}

  // Types the text into the field and leaves it for the next control in tab
  // order, so that the field's exit event runs.
  host::EventOutcome TypeAndLeave(const std::string& field, const std::string& text);
  // Picks the item of a drop-down list by its text.
  host::EventOutcome Pick(const std::string& list, const std::string& item);
  host::EventOutcome Click(const std::string& button);

  // The control of that name and kind. Throws std::runtime_error when the
  // screen has none.
  template <typename T>
  T& Find(const std::string& name) const {
    auto* control = dynamic_cast<T*>(form_.FindControl(name));
    if (control == nullptr) {
      throw std::runtime_error(fmt::format("A tela {} não tem o controle {}.", form_.Name(), name));
    }
    return *control;
  }

 private:
  host::Form& form_;
};

// The open screen of that name. Throws std::runtime_error when none is open.
host::Form& FindScreen(const std::string& name);

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_SCREEN_DRIVER_H_
