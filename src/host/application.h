#ifndef EXTRATO_HOST_APPLICATION_H_
#define EXTRATO_HOST_APPLICATION_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/form.h"
#include "host/ui_services.h"

namespace host {

// How an event handler ended.
enum class EventOutcome {
  kCompleted,  // ran to its end
  kAborted,    // the silent abort: the user was already told
  kFailed,     // any other failure; its text was shown as an error
};

// The host application: owner of the screens, the UI services that the running
// front end registered, and the handler of exceptions that escape an event.
class Application {
 public:
  Application();
  ~Application();

  // The front end's services. Until one registers, messages go nowhere and every
  // question answers "closed without a choice".
  void SetUiServices(UiServices* services);
  UiServices& Ui() const;

  const std::string& MainFormName() const { return main_form_name_; }

  // Screens are owned by the application and released after their close event.
  // Creation runs the screen's creation event; when that fails, nothing is kept.
  template <typename T, typename... Args>
  T& CreateForm(Args&&... args) {
    auto form = std::make_unique<T>(std::forward<Args>(args)...);
    form->Create();
    T& ref = *form;
    forms_.push_back(std::move(form));
    return ref;
  }
  void ReleaseForm(Form& form);
  const std::vector<std::unique_ptr<Form>>& Forms() const { return forms_; }

  void SetCursor(Cursor cursor);

  // Runs one event handler as the host's message loop does: a silent abort ends
  // it quietly, any other exception is shown as an error. Released screens are
  // destroyed once the outermost handler has returned.
  EventOutcome Dispatch(const std::function<void()>& handler);

 private:
  void DestroyReleased();

  UiServices* ui_ = nullptr;
  std::unique_ptr<UiServices> null_ui_;
  std::string main_form_name_ = "frmPrincipal";
  std::vector<std::unique_ptr<Form>> forms_;
  std::vector<Form*> released_;
  int dispatch_depth_ = 0;
};

// The process's host application (shared by the host library, the loaded
// screen modules and the front end).
Application& GetApplication();
UiServices& Ui();

}  // namespace host

#endif  // EXTRATO_HOST_APPLICATION_H_
