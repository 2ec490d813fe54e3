#pragma once

#include <QAbstractButton>

#include "skin/skin_button.h"

namespace ardelle::skin {

// A check box drawn by the skin: a 12-unit box (empty, mouse over, ticked, disabled) and
// its text to the right. A click only notifies; the owner decides the checked flag, so
// groups of exclusive choices stay the owner's business.
class CSkinCheckButton : public QAbstractButton {
  public:
    CSkinCheckButton(const QString& text, QWidget* parent);

    void SetChecked(bool checked);
    bool checked() const { return checked_; }
    ButtonFrame frame() const;
    // The box square in client coordinates, vertically centred.
    QRect BoxRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    bool checked_ = false;
    bool over_box_ = false;
};

}  // namespace ardelle::skin
