#ifndef EXTRATO_APPS_GUI_WAIT_OVERLAY_H_
#define EXTRATO_APPS_GUI_WAIT_OVERLAY_H_

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

namespace gui {

// The host's wait animation: a box laid over the whole main window while the
// screen waits for the application server, or while an import reads its file.
class WaitOverlay : public QWidget {
  Q_OBJECT

 public:
  explicit WaitOverlay(QWidget& covered);

  // Kind 0 while connecting, 1 around remote work. Painted at once, since the
  // work it announces keeps the event loop from running.
  void Start(int kind);
  // An import under way: what it did so far, how far into the file, and a Cancel
  // that works only while `can_cancel`.
  void ShowRun(const QString& text, int position, int maximum, bool can_cancel);
  void Stop();
  QString Text() const { return label_->text(); }
  QPushButton& CancelButton() const { return *cancel_; }
  // Whether `widget` is the box or inside it.
  bool Holds(const QWidget* widget) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Cover();

  QWidget* box_;
  QLabel* label_;
  QProgressBar* bar_;
  QPushButton* cancel_;
};

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_WAIT_OVERLAY_H_
