#pragma once

#include <QColor>
#include <QRect>
#include <QWidget>
#include <array>
#include <memory>

class QSvgRenderer;

namespace ardelle::map {

// Where the logo panel lies in the map window's client area of w x h at a layout scale.
QRect LogoPanelPlacement(int window_width, int window_height, double layout_scale);

// The picture's rectangle inside a w x h panel: as large as fits with its proportions,
// centred, black bars on the two other sides.
QRect LetterboxRect(int width, int height, int picture_width, int picture_height);

// The panel that stands in for the map while the map is hidden: the map's sign while the
// map display is off or not yet started, the sign of a missing connection while the map is
// on but cannot be reached.
class CLogoDlg : public QWidget {
    Q_OBJECT

  public:
    // The message the main window posts after setting the show request.
    static constexpr int kShowRequestEvent = 0x8000 + 1501;  // 0x85DD

    explicit CLogoDlg(QWidget* parent = nullptr);
    ~CLogoDlg() override;

    // 1 the first picture (map), 0 the second (no connection); redraws at once on a change.
    void SetPictureChoice(int choice);
    int picture_choice() const { return picture_choice_; }
    void SetShowRequest(int request) { show_request_ = request; }
    int show_request() const { return show_request_; }
    // Posts the show-request message to the panel, to be handled from the event loop.
    void PostShowRequest();

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Picture {
        std::unique_ptr<QSvgRenderer> renderer;
        QColor frame;
    };
    std::array<Picture, 2> pictures_;
    int picture_choice_ = 1;
    int show_request_ = 0;
};

}  // namespace ardelle::map
