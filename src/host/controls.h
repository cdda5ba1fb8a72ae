#ifndef EXTRATO_HOST_CONTROLS_H_
#define EXTRATO_HOST_CONTROLS_H_

#include <functional>
#include <string>
#include <vector>

#include "host/ui_services.h"

namespace host {

class Form;
class Object;

// Handlers take the sender of the event, as the host's handlers do.
using NotifyEvent = std::function<void(Object& sender)>;

enum class Color { kWindow, kBtnFace, kInfoBk, kWindowText };

struct Font {
  std::string name = "MS Sans Serif";
  int size = 8;
  bool bold = false;
  Color color = Color::kWindowText;
};

struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// Anything a screen owns by name: controls and window-less components.
class Object {
 public:
  explicit Object(std::string name) : name_(std::move(name)) {}
  virtual ~Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  const std::string& Name() const { return name_; }

 private:
  std::string name_;
};

// A control of a screen: a plain model that a front end renders or drives.
// Front ends learn of property changes through `OnPropertyChanged`.
class Control : public Object {
 public:
  Control(Form& owner, std::string name, Control* parent = nullptr);

  Form& Owner() const { return *owner_; }
  Control* Parent() const { return parent_; }

  const Bounds& GetBounds() const { return bounds_; }
  void SetBounds(Bounds bounds);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  Color GetColor() const { return color_; }
  void SetColor(Color color);
  const Font& GetFont() const { return font_; }
  void SetFont(Font font);
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string hint);
  // -1: the control takes no focus.
  int TabOrder() const { return tab_order_; }
  void SetTabOrder(int order) { tab_order_ = order; }
  bool CanFocus() const;

  // Asks the screen to move the focus here; the field being left runs its exit event.
  void SetFocus();
  bool Focused() const;

  NotifyEvent OnExit;
  // For front ends: called with the property name after any change of the model.
  std::function<void(Control&, const std::string& property)> OnPropertyChanged;

 protected:
  void Changed(const std::string& property);

 private:
  Form* owner_;
  Control* parent_;
  Bounds bounds_;
  bool enabled_ = true;
  bool visible_ = true;
  Color color_ = Color::kWindow;
  Font font_;
  std::string hint_;
  int tab_order_ = -1;
};

class Label : public Control {
 public:
  using Control::Control;
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);

 private:
  std::string caption_;
};

// Containers: the group box and the panels of the base screen.
class GroupBox : public Label {
 public:
  using Label::Label;
};
class Panel : public Label {
 public:
  using Label::Label;
};

// A text field. Setting the text, by the user or by code, runs the change event.
class Edit : public Control {
 public:
  using Control::Control;
  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  NotifyEvent OnChange;

 protected:
  virtual std::string Accept(std::string text) const { return text; }

 private:
  std::string text_;
};

// A text field with a maximum length, in characters (0: no limit).
class MaskEdit : public Edit {
 public:
  using Edit::Edit;
  int MaxLength() const { return max_length_; }
  void SetMaxLength(int length) { max_length_ = length; }

 protected:
  std::string Accept(std::string text) const override;

 private:
  int max_length_ = 0;
};

// A drop-down list: the text is always one of the items (or empty).
class ComboBox : public Control {
 public:
  using Control::Control;
  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(std::vector<std::string> items);
  int ItemIndex() const { return item_index_; }
  void SetItemIndex(int index);
  std::string Text() const;
  int ItemHeight() const { return item_height_; }
  void SetItemHeight(int height) { item_height_ = height; }
  NotifyEvent OnChange;

 private:
  std::vector<std::string> items_;
  int item_index_ = -1;
  int item_height_ = 13;
};

class ProgressBar : public Control {
 public:
  using Control::Control;
  int Min() const { return min_; }
  int Max() const { return max_; }
  long long Position() const { return position_; }
  void SetMin(int min);
  void SetMax(int max);
  void SetRange(int min, int max);
  // Kept within [Min, Max].
  void SetPosition(long long position);

 private:
  int min_ = 0;
  int max_ = 100;
  long long position_ = 0;
};

// A button that runs its click handler.
class Button : public Control {
 public:
  using Control::Control;
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  // The picture shown on the button ("magnifier", "confirm"); empty: the caption.
  const std::string& Glyph() const { return glyph_; }
  void SetGlyph(std::string glyph);
  // Runs the click event, as a press of the button does.
  void Click();
  NotifyEvent OnClick;

 private:
  std::string caption_;
  std::string glyph_;
};

// The flat tool button of the host: it never takes the focus, so a click on it
// runs no exit event of the field being edited.
class TButtonFlat : public Button {
 public:
  TButtonFlat(Form& owner, std::string name, Control* parent = nullptr);
};

class TDataSource;

// The host's search button. With a data source, a click lists its rows (the
// before handler runs first, to prepare them), and a pick fills the associated
// control and runs the after handler. Without one, a click runs OnClick.
class TBtnPesquisa : public Button {
 public:
  TBtnPesquisa(Form& owner, std::string name, Control* parent = nullptr);
  Control* AssociatedControl() const { return associated_; }
  void SetAssociatedControl(Control* control) { associated_ = control; }
  TDataSource* DataSource() const { return data_source_; }
  void SetDataSource(TDataSource* source) { data_source_ = source; }
  const std::string& Title() const { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }
  const std::string& EmptyError() const { return empty_error_; }
  void SetEmptyError(std::string text) { empty_error_ = std::move(text); }

  // Runs the search: before handler, the list, the pick, the after handler.
  void Pesquisar();

  // The flag starts true; a handler that clears it cancels the search.
  std::function<void(Object& sender, bool& proceed)> OnBeforePesq;
  NotifyEvent OnAfterPesq;

 private:
  Control* associated_ = nullptr;
  TDataSource* data_source_ = nullptr;
  std::string title_;
  std::string empty_error_;
};

// The rows a search button lists, with the current row after a pick.
class TDataSource : public Object {
 public:
  using Object::Object;
  struct Listing {
    std::vector<std::string> column_titles;
    std::vector<std::vector<std::string>> rows;
    friend bool operator==(const Listing&, const Listing&) = default;
  };
  // Supplied by the data set behind the source (a query).
  std::function<Listing()> Rows;
  // Moves the data set to the picked row.
  std::function<void(std::size_t row)> SelectRow;
};

// The open-file dialog. Execute() asks the UI services and, on a choice, sets the
// file name; a cancel keeps the last name chosen.
class OpenDialog : public Object {
 public:
  using Object::Object;
  const std::string& Title() const { return request_.title; }
  void SetTitle(std::string title) { request_.title = std::move(title); }
  const std::string& Filter() const { return request_.filter; }
  void SetFilter(std::string filter) { request_.filter = std::move(filter); }
  const std::string& InitialDir() const { return request_.initial_dir; }
  void SetInitialDir(std::string dir) { request_.initial_dir = std::move(dir); }
  const std::string& FileName() const { return request_.file_name; }
  void SetFileName(std::string name) { request_.file_name = std::move(name); }
  bool Execute();

 private:
  FileDialogRequest request_;
};

}  // namespace host

#endif  // EXTRATO_HOST_CONTROLS_H_
