#pragma once
// A small up-down spinner that stands beside a text box (its buddy) and
// steps the number shown there, in the settings number format.

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace pelmora {

class UpDown : public QWidget {
    Q_OBJECT
  public:
    UpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent = nullptr);

    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

    // Reads the buddy's number, brings it into the range, moves it by delta
    // (staying in the range) and shows the result.
    void stepBy(int delta);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QLineEdit* buddy_;
    QToolButton* up_;
    QToolButton* down_;
    int minimum_;
    int maximum_;
};

}  // namespace pelmora
