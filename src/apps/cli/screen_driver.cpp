#include "apps/cli/screen_driver.h"

#include <algorithm>

#include "host/controls.h"
#include "host/exceptions.h"

namespace cli {

host::EventOutcome ScreenDriver::TypeAndLeave(const std::string& name, const std::string& text) {
  auto& field = Find<host::Edit>(name);
  return host::GetApplication().Dispatch([&] {
    field.SetFocus();
    field.SetText(text);
    if (host::Control* next = form_.NextInTabOrder(&field))
      form_.FocusControl(*next);
  });
}

host::EventOutcome ScreenDriver::Pick(const std::string& name, const std::string& item) {
  auto& list = Find<host::ComboBox>(name);
  return host::GetApplication().Dispatch([&] {
    list.SetFocus();
    const auto& items = list.Items();
    auto it = std::find(items.begin(), items.end(), item);
    if (it == items.end())
      throw host::Exception(fmt::format("\"{}\" não é uma das opções de {}.", item, name));
    list.SetItemIndex(static_cast<int>(it - items.begin()));
  });
}

host::EventOutcome ScreenDriver::Click(const std::string& name) {
  auto& button = Find<host::Button>(name);
  return host::GetApplication().Dispatch([&] { button.Click(); });
}

host::Form& FindScreen(const std::string& name) {
  for (const auto& form : host::GetApplication().Forms()) {
    if (form->Name() == name && !form->Released())
      return *form;
  }
  throw std::runtime_error(fmt::format("A tela {} não foi aberta.", name));
}

}  // namespace cli
