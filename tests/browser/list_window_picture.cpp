// Draws the videos list window on a card with its tree expanded and saves the picture:
// list_window_picture CARD OUT.png
#include <QApplication>
#include <QTimer>

#include <cstdio>

#include "browser/filer_container_dlg.h"
#include "skin/msg_dlg.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: list_window_picture CARD OUT.png\n");
        return 2;
    }
    QApplication application(argc, argv);
    ardelle::browser::CFilerContainerDlg window(false);
    ardelle::skin::SkinMessageBoxes boxes(&window);
    window.SetMessageBoxes(&boxes);
    window.resize(340, 700);
    if (!window.OpenSource(argv[1], ardelle::catalogue::SourceKind::kCard)) {
        return 1;
    }
    window.tree()->expandAll();
    window.SelectRecording(1, false);
    window.show();
    int code = 1;
    QTimer::singleShot(500, [&] {
        code = window.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
        application.quit();
    });
    application.exec();
    return code;
}
