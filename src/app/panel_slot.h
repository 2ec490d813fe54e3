#pragma once

#include <QString>
#include <QWidget>

namespace ardelle::app {

// A place in a window that another subsystem fills (the graph, the info panel, a list
// window, the map host, the logo panel): an empty panel of the right size until a content
// widget is given, which then fills it and follows its size.
class PanelSlot : public QWidget {
  public:
    PanelSlot(const QString& name, QWidget* parent);

    // Takes the content (reparented into the slot); nullptr empties the slot again.
    void SetContent(QWidget* content);
    QWidget* content() const { return content_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QWidget* content_ = nullptr;
};

}  // namespace ardelle::app
