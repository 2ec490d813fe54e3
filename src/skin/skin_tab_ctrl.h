#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>

namespace ardelle::skin {

// The tab strip: equal tabs side by side on the strip's dark background; a press on
// another tab selects it and reports the new index to the owner.
class CSkinTabCtrl : public QWidget {
  public:
    CSkinTabCtrl(const QStringList& tabs, QWidget* parent);

    int current() const { return current_; }
    // Selects without reporting (the owner's own switch).
    void SetCurrent(int index);
    void SetOnSelected(std::function<void(int)> on_selected) {
        on_selected_ = std::move(on_selected);
    }
    // The tab under a point, -1 when none.
    int TabAt(const QPoint& point) const;
    QRect TabRect(int index) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QStringList tabs_;
    int current_ = 0;
    std::function<void(int)> on_selected_;
};

}  // namespace ardelle::skin
