#pragma once

#include <QPointer>
#include <memory>
#include <string>

#include "base/messages.h"
#include "net/inet_connection_async.h"
#include "update/update_dialog.h"
#include "update/update_endpoints.h"

class QWidget;

namespace ardelle::app {

// The main window's side of the update check: the check starts once, after the window's
// initialisation, with the versions on the card of the source; its notice (posted to the
// window's queue as kUpdateNotice) is shown in the notice window. The notice target is
// cleared and the check ended before the host goes away.
class UpdateNoticeHost {
  public:
    struct Options {
        update::UpdateEndpoints endpoints;
        update::UrlOpener open_url;  // none: the desktop's opener
    };

    // notice_target receives kUpdateNotice from the check thread.
    UpdateNoticeHost(Options options, MessageSink* notice_target);
    ~UpdateNoticeHost();
    UpdateNoticeHost(const UpdateNoticeHost&) = delete;
    UpdateNoticeHost& operator=(const UpdateNoticeHost&) = delete;

    // Reads the recorder's versions from source_folder's configuration file (none there:
    // the viewer and the GPS data are checked alone) and starts the check unless it was
    // started already.
    void Start(const std::string& source_folder);
    bool started() const { return prober_->UpdateStarted(); }
    bool ended() const { return prober_->UpdateCheckEnded(); }

    // kUpdateNotice: the notice window with the prober's text, titled "更新情報", shown
    // normally; modeless. Once the user closed it, it stays closed for the run.
    void ShowNotice();
    update::CUpdateDialog* dialog() const { return dialog_.get(); }

  private:
    Options options_;
    std::unique_ptr<net::CInetConnectionAsync> prober_;
    std::unique_ptr<update::CUpdateDialog> dialog_;
};

// The endpoints of the program's settings file, section UPDATE.
update::UpdateEndpoints ConfiguredUpdateEndpoints();

}  // namespace ardelle::app
