#pragma once

#include <QFont>
#include <QString>
#include <QUrl>
#include <functional>

#include "skin/skin_dialog.h"

class QLabel;
class QPushButton;

namespace ardelle::update {

// Opens an address in the user's browser.
using UrlOpener = std::function<void(const QUrl&)>;

// The program's opener: QDesktopServices::openUrl.
UrlOpener DesktopUrlOpener();

// The notice of newer versions: a skinned dialog (title strip, frame, drags) with the notice
// text and its links and a close button. Modeless; once closed it is not shown again during
// the run.
class CUpdateDialog : public skin::CSkinDialog {
  public:
    struct Options {
        double layout_scale = 1.0;
        QFont font;          // the first font of the shared set (9 points)
        UrlOpener open_url;  // none: DesktopUrlOpener
    };

    explicit CUpdateDialog(Options options, QWidget* parent = nullptr);

    // The notice as composed by the check; its anchors become links.
    void SetNoticeText(const QString& notice);
    bool IsClosed() const { return closed_; }

    QLabel* link_control() const { return link_control_; }
    QPushButton* close_button() const { return close_button_; }

    void setVisible(bool visible) override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void Relayout() override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

  private:
    int Scaled(double units) const;
    void LayOut();
    void OpenLink(const QString& address);
    void CentreOnScreen();

    Options options_;
    QLabel* link_control_ = nullptr;
    QPushButton* close_button_ = nullptr;
    bool closed_ = false;
};

// The label markup for a notice: its line breaks and spaces kept, nothing added but them.
QString NoticeMarkup(const QString& notice);

}  // namespace ardelle::update
