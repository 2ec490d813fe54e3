#pragma once

#include <QWidget>

namespace ardelle::skin {

// The progress bar of file operations: the done part blue, the rest white, and "N %"
// centred, white over blue and blue over white.
class CSkinProgressBarCtrl : public QWidget {
  public:
    explicit CSkinProgressBarCtrl(QWidget* parent);

    void SetRange(int min, int max);
    void SetPos(int pos);
    int pos() const { return pos_; }
    // The width of the blue part for the current values and a client width.
    int DoneWidth(int width) const;
    QString Text() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int min_ = 0;
    int max_ = 100;
    int pos_ = 0;
};

}  // namespace ardelle::skin
