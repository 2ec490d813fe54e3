#pragma once

#include <QString>

#include "base/user_dialogs.h"
#include "skin/skin_dialog.h"

namespace ardelle::skin {

// The program's modal message: a caption ("ERROR", "確認", "終了"), the text black on white,
// and OK; OK and Cancel; or "はい" and "いいえ". Sized to its text, centred on its owner.
class CMsgDlg : public CSkinDialog {
  public:
    CMsgDlg(QWidget* owner, const QString& text, const QString& caption, base::MessageStyle style);

    // 1 for OK or yes, 0 otherwise.
    int Run();
    CSkinButton* ok_button() const { return ok_; }
    CSkinButton* cancel_button() const { return cancel_; }
    const QString& text() const { return text_; }
    // The size the text asks for.
    QSize SizeForText() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void Relayout() override;

  private:
    QString text_;
    base::MessageStyle style_;
    CSkinButton* ok_ = nullptr;
    CSkinButton* cancel_ = nullptr;
};

// The message boxes of the core operations, answered by the message dialog.
class SkinMessageBoxes : public base::MessageBoxes {
  public:
    explicit SkinMessageBoxes(QWidget* owner) : owner_(owner) {}
    int Show(std::string_view text, std::string_view caption, base::MessageStyle style) override;

  private:
    QWidget* owner_;
};

}  // namespace ardelle::skin
