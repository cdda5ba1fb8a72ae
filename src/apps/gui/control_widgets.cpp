#include "apps/gui/control_widgets.h"

#include <algorithm>
#include <array>
#include <functional>
#include <initializer_list>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QStyle>
#include <QToolButton>

#include "apps/gui/form_view.h"
#include "apps/gui/glyphs.h"

namespace gui {

namespace {

QString Qs(const std::string& text) {
  return QString::fromStdString(text);
}

QColor SystemColor(host::Color color) {
  const QPalette palette = QApplication::palette();
  switch (color) {
    case host::Color::kWindow:
      return palette.color(QPalette::Base);
    case host::Color::kBtnFace:
      return palette.color(QPalette::Button);
    case host::Color::kInfoBk:
      return palette.color(QPalette::ToolTipBase);
    case host::Color::kWindowText:
      return palette.color(QPalette::WindowText);
  }
  return {};
}

void ApplyFont(const host::Font& font, QWidget& widget) {
  // The screens are laid out for the host's narrow sans-serif face; where it is
  // missing, the closest narrow faces keep each caption inside its box.
  static const QStringList kNarrowFaces = {"Microsoft Sans Serif", "Liberation Sans", "Arial",
                                           "DejaVu Sans Condensed"};
  QFont qt_font;
  qt_font.setFamilies(QStringList{Qs(font.name)} + kNarrowFaces);
  qt_font.setPointSize(font.size);
  qt_font.setStyleHint(QFont::SansSerif);
  qt_font.setBold(font.bold);
  widget.setFont(qt_font);
  QPalette palette = widget.palette();
  palette.setColor(QPalette::WindowText, SystemColor(font.color));
  palette.setColor(QPalette::Text, SystemColor(font.color));
  widget.setPalette(palette);
}

// The background of a field: the edit's base, and the button face a closed
// drop-down list is painted with.
void ApplyBackground(host::Color color, QWidget& widget) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Base, SystemColor(color));
  palette.setColor(QPalette::Button, SystemColor(color));
  widget.setPalette(palette);
}

// The properties every control has, in the order they are applied when the
// widget is made ("visible" last, once it is in place).
constexpr std::array<const char*, 5> kSharedProperties = {"bounds", "enabled", "font", "hint",
                                                          "visible"};

bool ApplyShared(const host::Control& control, QWidget& widget, const std::string& property) {
  if (property == "bounds") {
    const host::Bounds& bounds = control.GetBounds();
    widget.setGeometry(bounds.left, bounds.top, bounds.width, bounds.height);
  } else if (property == "enabled") {
    widget.setEnabled(control.Enabled());
  } else if (property == "visible") {
    widget.setVisible(control.Visible());
  } else if (property == "font") {
    ApplyFont(control.GetFont(), widget);
  } else if (property == "hint") {
    widget.setToolTip(Qs(control.Hint()));
  } else {
    return false;
  }
  return true;
}

// Applies a property of the control's own kind; false when it is not one.
using ApplyKind = std::function<bool(const std::string& property)>;

void Bind(host::Control& control, QWidget& widget,
          std::initializer_list<const char*> kind_properties, ApplyKind apply_kind) {
  auto apply = [&control, &widget,
                apply_kind = std::move(apply_kind)](const std::string& property) {
    if (!apply_kind(property))
      ApplyShared(control, widget, property);
  };
  for (const char* property : kind_properties)
    apply(property);
  for (const char* property : kSharedProperties)
    apply(property);
  control.OnPropertyChanged = [apply](host::Control&, const std::string& property) {
    apply(property);
  };
}

Qt::FocusPolicy FocusPolicyOf(const host::Control& control) {
  return control.TabOrder() >= 0 ? Qt::StrongFocus : Qt::NoFocus;
}

// A text set by the screen shows whole in the tip when the field is too narrow for
// it; in a field only shown, from its start (a bank's name), in one the user types
// in, at its end, where the typing goes on (a path's file name).
void ShowText(QLineEdit& line, const QString& text) {
  line.setText(text);
  if (!line.isEnabled())
    line.setCursorPosition(0);
  int room =
      line.contentsRect().width() - 2 * line.style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
  line.setToolTip(line.fontMetrics().horizontalAdvance(text) > room ? text : QString());
}

QWidget* CreateEdit(host::Edit& edit, QWidget& parent, FormView& view) {
  auto* line = new QLineEdit(&parent);
  if (auto* masked = dynamic_cast<host::MaskEdit*>(&edit); masked && masked->MaxLength() > 0) {
    line->setMaxLength(masked->MaxLength());
  }
  line->setFocusPolicy(FocusPolicyOf(edit));
  Bind(edit, *line, {"text", "color"}, [&edit, line](const std::string& property) {
    if (property == "text") {
      if (line->text() != Qs(edit.Text()))
        ShowText(*line, Qs(edit.Text()));
    } else if (property == "color") {
      ApplyBackground(edit.GetColor(), *line);
    } else {
      return false;
    }
    return true;
  });
  QObject::connect(line, &QLineEdit::textEdited, line, [&edit, line, &view](const QString& text) {
    if (!view.Run([&edit, &text] { edit.SetText(text.toStdString()); }))
      return;
    // The model may keep less than was typed.
    if (line->text() != Qs(edit.Text()))
      line->setText(Qs(edit.Text()));
  });
  return line;
}

QWidget* CreateComboBox(host::ComboBox& box, QWidget& parent, FormView& view) {
  auto* combo = new QComboBox(&parent);
  combo->setEditable(false);
  combo->setFocusPolicy(FocusPolicyOf(box));
  Bind(box, *combo, {"items", "text", "color"}, [&box, combo](const std::string& property) {
    QSignalBlocker quiet(combo);
    if (property == "items") {
      combo->clear();
      for (const std::string& item : box.Items())
        combo->addItem(Qs(item));
      combo->setCurrentIndex(box.ItemIndex());
    } else if (property == "text") {
      combo->setCurrentIndex(box.ItemIndex());
    } else if (property == "color") {
      ApplyBackground(box.GetColor(), *combo);
    } else {
      return false;
    }
    return true;
  });
  QObject::connect(combo, &QComboBox::currentIndexChanged, combo, [&box, &view](int index) {
    if (index != box.ItemIndex())
      view.Run([&box, index] { box.SetItemIndex(index); });
  });
  return combo;
}

// The flat button confirms the screen: Ctrl+Enter presses it, and its tip says so.
constexpr const char* kConfirmKeys = "Ctrl+Return";

void ShowFace(const host::Button& button, QToolButton& tool) {
  QIcon icon = GlyphIcon(button.Glyph());
  tool.setText(Qs(button.Caption()));
  // After the text, which puts its own mnemonic in the shortcut's place.
  if (dynamic_cast<const host::TButtonFlat*>(&button) != nullptr)
    tool.setShortcut(QKeySequence(QString::fromLatin1(kConfirmKeys)));
  QString name = Qs(button.Hint().empty() ? button.Caption() : button.Hint());
  tool.setAccessibleName(name);
  tool.setToolTip(tool.shortcut().isEmpty()
                      ? Qs(button.Hint())
                      : QStringLiteral("%1 (%2)").arg(
                            name, tool.shortcut().toString(QKeySequence::NativeText)));
  tool.setIcon(icon);
  if (!icon.isNull())
    tool.setIconSize(icon.availableSizes().value(0));
  tool.setToolButtonStyle(icon.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
}

QWidget* CreateButton(host::Button& button, QWidget& parent, FormView& view) {
  auto* tool = new QToolButton(&parent);
  // The flat button takes no focus: a click on it leaves the field being edited
  // as it is, and runs no exit event.
  tool->setFocusPolicy(FocusPolicyOf(button));
  tool->setAutoRaise(dynamic_cast<host::TButtonFlat*>(&button) != nullptr);
  // The face follows the hint too: the tip names the shortcut.
  Bind(button, *tool, {"hint", "caption", "glyph"}, [&button, tool](const std::string& property) {
    if (property != "caption" && property != "glyph" && property != "hint")
      return false;
    ShowFace(button, *tool);
    return true;
  });
  auto* search = dynamic_cast<host::TBtnPesquisa*>(&button);
  QObject::connect(tool, &QToolButton::clicked, tool, [&button, search, &view] {
    view.Run([&button, search] {
      if (search != nullptr) {
        search->Pesquisar();
      } else {
        button.Click();
      }
    });
  });
  return tool;
}

QWidget* CreateProgressBar(host::ProgressBar& progress, QWidget& parent) {
  auto* bar = new QProgressBar(&parent);
  bar->setTextVisible(false);
  Bind(progress, *bar, {"range", "position"}, [&progress, bar](const std::string& property) {
    if (property != "range" && property != "position")
      return false;
    // A range of one value shows an empty bar, not Qt's busy animation.
    bar->setRange(progress.Min(), std::max(progress.Max(), progress.Min() + 1));
    bar->setValue(static_cast<int>(progress.Position()));
    return true;
  });
  return bar;
}

// A container whose caption `show` puts on the widget.
template <typename W>
QWidget* CreateCaptioned(host::Label& model, W* widget, void (W::*show)(const QString&)) {
  Bind(model, *widget, {"caption"}, [&model, widget, show](const std::string& property) {
    if (property != "caption")
      return false;
    (widget->*show)(Qs(model.Caption()));
    return true;
  });
  return widget;
}

QWidget* CreatePanel(host::Panel& panel, QWidget& parent) {
  auto* frame = new QLabel(&parent);
  frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
  frame->setAlignment(Qt::AlignCenter);
  return CreateCaptioned(panel, frame, &QLabel::setText);
}

QWidget* CreateLabel(host::Label& label, QWidget& parent) {
  auto* text = new QLabel(&parent);
  Bind(label, *text, {"caption"}, [&label, text](const std::string& property) {
    if (property == "caption") {
      text->setText(Qs(label.Caption()));
    } else if (!ApplyShared(label, *text, property)) {
      return true;
    }
    // A label grows to show its whole caption, as the host's labels do.
    const host::Bounds& bounds = label.GetBounds();
    QSize hint = text->sizeHint();
    text->resize(std::max(bounds.width, hint.width()), std::max(bounds.height, hint.height()));
    return true;
  });
  return text;
}

}  // namespace

QWidget* CreateControlWidget(host::Control& control, QWidget& parent, FormView& view) {
  if (auto* box = dynamic_cast<host::ComboBox*>(&control)) {
    return CreateComboBox(*box, parent, view);
  }
  if (auto* edit = dynamic_cast<host::Edit*>(&control)) {
    return CreateEdit(*edit, parent, view);
  }
  if (auto* button = dynamic_cast<host::Button*>(&control)) {
    return CreateButton(*button, parent, view);
  }
  if (auto* bar = dynamic_cast<host::ProgressBar*>(&control)) {
    return CreateProgressBar(*bar, parent);
  }
  // Group boxes and panels are labels too: they come first.
  if (auto* group = dynamic_cast<host::GroupBox*>(&control)) {
    return CreateCaptioned(*group, new QGroupBox(&parent), &QGroupBox::setTitle);
  }
  if (auto* panel = dynamic_cast<host::Panel*>(&control)) {
    return CreatePanel(*panel, parent);
  }
  if (auto* label = dynamic_cast<host::Label*>(&control)) {
    return CreateLabel(*label, parent);
  }
  // A kind this host does not know: an empty area where the model puts it.
  auto* area = new QWidget(&parent);
  Bind(control, *area, {}, [](const std::string&) { return false; });
  return area;
}

}  // namespace gui
