#include "apps/gui/wait_overlay.h"

#include <QEvent>
#include <QFrame>
#include <QPainter>
#include <QProgressBar>
#include <QVBoxLayout>

namespace gui {

WaitOverlay::WaitOverlay(QWidget& covered) : QWidget(&covered), label_(new QLabel) {
  setObjectName(QStringLiteral("waitOverlay"));
  auto* box = new QFrame;
  box->setFrameStyle(QFrame::Panel | QFrame::Raised);
  box->setAutoFillBackground(true);
  auto* busy = new QProgressBar;
  busy->setRange(0, 0);
  busy->setTextVisible(false);
  auto* box_layout = new QVBoxLayout(box);
  box_layout->addWidget(label_);
  box_layout->addWidget(busy);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(box, 0, Qt::AlignCenter);
  covered.installEventFilter(this);
  hide();
}

void WaitOverlay::Start(int kind) {
  label_->setText(kind == 0 ? QStringLiteral("Conectando ao servidor de aplicação...")
                            : QStringLiteral("Aguarde..."));
  setGeometry(parentWidget()->rect());
  raise();
  show();
  repaint();
}

void WaitOverlay::Stop() {
  hide();
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
