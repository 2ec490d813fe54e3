#include "update/update_dialog.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include "base/screen_scale.h"
#include "base/ui_text.h"
#include "net/bounded_request.h"

namespace ardelle::update {
namespace {

constexpr int kTitleText = 106;
constexpr double kWidth = 640;
constexpr double kHeight = 480;

}  // namespace

UrlOpener DesktopUrlOpener() {
    return [](const QUrl& url) { QDesktopServices::openUrl(url); };
}

QString NoticeMarkup(const QString& notice) {
    QString text = notice;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return QStringLiteral("<div style=\"white-space:pre-wrap\">") + text + QStringLiteral("</div>");
}

CUpdateDialog::CUpdateDialog(Options options, QWidget* parent)
    : skin::CSkinDialog(parent), options_(std::move(options)) {
    if (!options_.open_url) {
        options_.open_url = DesktopUrlOpener();
    }
    setWindowTitle(QString::fromStdString(base::UiString(kTitleText)));
    setModal(false);
    setFont(options_.font);

    link_control_ = new QLabel(this);
    link_control_->setTextFormat(Qt::RichText);
    link_control_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    link_control_->setWordWrap(true);
    link_control_->setOpenExternalLinks(false);
    link_control_->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                           Qt::LinksAccessibleByKeyboard);
    link_control_->setFont(options_.font);
    link_control_->setAutoFillBackground(false);
    connect(link_control_, &QLabel::linkActivated, this,
            [this](const QString& address) { OpenLink(address); });

    close_button_ = new QPushButton(QStringLiteral("閉じる"), this);
    close_button_->setFont(options_.font);
    close_button_->setAutoDefault(false);
    connect(close_button_, &QPushButton::clicked, this, [this] { reject(); });

    // The smallest size a drag of its edges leaves (half the opening size).
    SetBaseSize(QSize(Scaled(kWidth / 2), Scaled(kHeight / 2)));
    resize(Scaled(kWidth), Scaled(kHeight));
    CentreOnScreen();
    LayOut();
}

int CUpdateDialog::Scaled(double units) const {
    return base::ScaledLength(units, options_.layout_scale);
}

void CUpdateDialog::SetNoticeText(const QString& notice) {
    link_control_->setText(NoticeMarkup(notice));
}

void CUpdateDialog::setVisible(bool visible) {
    if (visible && closed_) {
        return;  // closed for the rest of the run
    }
    skin::CSkinDialog::setVisible(visible);
}

void CUpdateDialog::OpenLink(const QString& address) {
    const QUrl url(address, QUrl::StrictMode);
    if (net::IsWebAddress(url) && options_.open_url) {
        options_.open_url(url);
    }
}

void CUpdateDialog::CentreOnScreen() {
    QScreen* screen = QGuiApplication::screenAt(pos());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    // The whole monitor, not its work area.
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

void CUpdateDialog::LayOut() {
    const int w = width();
    const int h = height();
    link_control_->setGeometry(Scaled(10), Scaled(10) + Scaled(20), w - Scaled(20), h - Scaled(80));
    close_button_->setGeometry(w - Scaled(10) - Scaled(100), h - Scaled(40), Scaled(100),
                               Scaled(30));
}

void CUpdateDialog::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        // The skinned dialog's own background, white above a bottom strip that keeps it.
        painter.fillRect(rect(), palette().window());
        painter.fillRect(QRect(0, 0, width(), height() - Scaled(50)), Qt::white);
    }
    // The title strip over the white.
    skin::CSkinDialog::paintEvent(event);
}

void CUpdateDialog::Relayout() {
    skin::CSkinDialog::Relayout();
    LayOut();
}

void CUpdateDialog::keyPressEvent(QKeyEvent* event) {
    // Enter leaves the notice open and unchanged.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    // Esc does not end it either: only the close button does.
    event->accept();
}

void CUpdateDialog::reject() {
    closed_ = true;
    skin::CSkinDialog::reject();
}

}  // namespace ardelle::update
