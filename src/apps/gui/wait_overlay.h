#ifndef EXTRATO_APPS_GUI_WAIT_OVERLAY_H_
#define EXTRATO_APPS_GUI_WAIT_OVERLAY_H_

#include <QLabel>
#include <QWidget>

namespace gui {

// The host's wait animation: a busy indicator laid over the whole main window
// while the screen waits for the application server.
class WaitOverlay : public QWidget {
  Q_OBJECT

 public:
  explicit WaitOverlay(QWidget& covered);

  // Kind 0 while connecting, 1 around remote work. Painted at once, since the
  // work it announces keeps the event loop from running.
  void Start(int kind);
  void Stop();
  QString Text() const { return label_->text(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QLabel* label_;
};

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_WAIT_OVERLAY_H_
