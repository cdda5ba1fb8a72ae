#include "apps/gui/wait_overlay.h"

#include <QEvent>
#include <QFrame>
#include <QPainter>
#include <QVBoxLayout>

namespace gui {

WaitOverlay::WaitOverlay(QWidget& covered)
    : QWidget(&covered),
      box_(new QFrame),
      label_(new QLabel),
      bar_(new QProgressBar),
      cancel_(new QPushButton(QStringLiteral("Cancelar"))) {
  setObjectName(QStringLiteral("waitOverlay"));
  auto* frame = static_cast<QFrame*>(box_);
  frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
  frame->setAutoFillBackground(true);
  frame->setMinimumWidth(320);
  bar_->setTextVisible(false);
  cancel_->setObjectName(QStringLiteral("btnCancelarImportacao"));
  cancel_->setToolTip(QStringLiteral("Interrompe a importação sem gravar nada (Esc)"));
  auto* box_layout = new QVBoxLayout(box_);
  box_layout->addWidget(label_);
  box_layout->addWidget(bar_);
  box_layout->addWidget(cancel_, 0, Qt::AlignRight);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(box_, 0, Qt::AlignCenter);
  covered.installEventFilter(this);
  hide();
}

void WaitOverlay::Start(int kind) {
  label_->setText(kind == 0 ? QStringLiteral("Conectando ao servidor de aplicação...")
                            : QStringLiteral("Aguarde..."));
  bar_->setRange(0, 0);
  cancel_->hide();
  Cover();
}

void WaitOverlay::ShowRun(const QString& text, int position, int maximum, bool can_cancel) {
  label_->setText(text);
  bar_->setRange(0, std::max(maximum, 1));
  bar_->setValue(position);
  cancel_->setEnabled(can_cancel);
  cancel_->show();
  if (!isVisible())
    Cover();
}

void WaitOverlay::Cover() {
  setGeometry(parentWidget()->rect());
  raise();
  show();
  repaint();
}

void WaitOverlay::Stop() {
  hide();
}

bool WaitOverlay::Holds(const QWidget* widget) const {
  return widget != nullptr && (widget == box_ || box_->isAncestorOf(widget));
}

bool WaitOverlay::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize) {
    setGeometry(parentWidget()->rect());
  }
  return QWidget::eventFilter(watched, event);
}

void WaitOverlay::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(0, 0, 0, 60));
}

}  // namespace gui
