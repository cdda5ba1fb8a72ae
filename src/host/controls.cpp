#include "host/controls.h"

#include <algorithm>
#include "host/application.h"
#include "host/form.h"

#include "host/utf8.h"

namespace host {

Control::Control(Form& owner, std::string name, Control* parent)
    : Object(std::move(name)), owner_(&owner), parent_(parent) {
  owner.Register(*this);
}

void Control::Changed(const std::string& property) {
  if (OnPropertyChanged)
    OnPropertyChanged(*this, property);
}

void Control::SetBounds(Bounds bounds) {
  bounds_ = bounds;
  Changed("bounds");
}

void Control::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Changed("enabled");
}

void Control::SetVisible(bool visible) {
  visible_ = visible;
  Changed("visible");
}

void Control::SetColor(Color color) {
  color_ = color;
  Changed("color");
}

void Control::SetFont(Font font) {
  font_ = std::move(font);
  Changed("font");
}

void Control::SetHint(std::string hint) {
  hint_ = std::move(hint);
  Changed("hint");
}

bool Control::CanFocus() const {
  return tab_order_ >= 0 && enabled_ && visible_;
}

void Control::SetFocus() {
  owner_->FocusControl(*this);
}

bool Control::Focused() const {
  return owner_->ActiveControl() == this;
}

void Label::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  Changed("caption");
}

void Edit::SetText(std::string text) {
  text = Accept(std::move(text));
  if (text == text_)
    return;
  text_ = std::move(text);
  Changed("text");
  if (OnChange)
    OnChange(*this);
}

std::string MaskEdit::Accept(std::string text) const {
  if (max_length_ <= 0)
    return text;
  return Utf8Left(text, static_cast<std::size_t>(max_length_));
}

void ComboBox::SetItems(std::vector<std::string> items) {
  items_ = std::move(items);
  item_index_ = -1;
  Changed("items");
}

void ComboBox::SetItemIndex(int index) {
  if (index < -1 || index >= static_cast<int>(items_.size()))
    index = -1;
  if (index == item_index_)
    return;
  item_index_ = index;
  Changed("text");
  if (OnChange)
    OnChange(*this);
}

std::string ComboBox::Text() const {
  return item_index_ < 0 ? std::string() : items_[static_cast<std::size_t>(item_index_)];
}

void ProgressBar::SetMin(int min) {
  SetRange(min, max_);
}

void ProgressBar::SetMax(int max) {
  SetRange(min_, max);
}

void ProgressBar::SetRange(int min, int max) {
  min_ = min;
  max_ = max < min ? min : max;
  position_ = std::clamp<long long>(position_, min_, max_);
  Changed("range");
}

void ProgressBar::SetPosition(long long position) {
  position = std::clamp<long long>(position, min_, max_);
  if (position == position_)
    return;
  position_ = position;
  Changed("position");
}

void Button::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  Changed("caption");
}

void Button::SetGlyph(std::string glyph) {
  glyph_ = std::move(glyph);
  Changed("glyph");
}

void Button::Click() {
  if (OnClick)
    OnClick(*this);
}

TButtonFlat::TButtonFlat(Form& owner, std::string name, Control* parent)
    : Button(owner, std::move(name), parent) {
  SetTabOrder(-1);
}

TBtnPesquisa::TBtnPesquisa(Form& owner, std::string name, Control* parent)
    : Button(owner, std::move(name), parent) {
  SetGlyph("magnifier");
}

void TBtnPesquisa::Pesquisar() {
  if (data_source_ == nullptr || !data_source_->Rows) {
    Click();
    return;
  }
  bool proceed = true;
  if (OnBeforePesq)
    OnBeforePesq(*this, proceed);
  if (!proceed)
    return;
  TDataSource::Listing listing = data_source_->Rows();
  if (listing.rows.empty()) {
    Ui().ShowMessage({DialogType::kWarning, empty_error_, std::nullopt});
    return;
  }
  auto picked = Ui().PickRow({title_, listing.column_titles, listing.rows});
  if (!picked || *picked >= listing.rows.size())
    return;
  if (data_source_->SelectRow)
    data_source_->SelectRow(*picked);
  if (OnAfterPesq)
    OnAfterPesq(*this);
}

bool OpenDialog::Execute() {
  auto chosen = Ui().ChooseFile(request_);
  if (!chosen)
    return false;
  request_.file_name = *chosen;
  return true;
}

}  // namespace host
