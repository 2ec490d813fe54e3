#include "app/update_host.h"

#include <filesystem>

#include "base/settings.h"
#include "base/ui_text.h"
#include "skin/skin.h"
#include "update/recorder_info.h"
#include "update/update_check.h"

namespace ardelle::app {
namespace {
constexpr int kTextUpdateTitle = 106;
}  // namespace

update::UpdateEndpoints ConfiguredUpdateEndpoints() {
    return update::EndpointsFromSettings(base::AppSettings());
}

UpdateNoticeHost::UpdateNoticeHost(Options options, MessageSink* notice_target)
    : options_(std::move(options)) {
    // The check rides on a prober of its own that never probes (no address to probe).
    prober_ = std::make_unique<net::CInetConnectionAsync>(
        net::CInetConnectionAsync::Options{}, update::MakeUpdateCheckJob(options_.endpoints));
    prober_->SetNoticeTarget(notice_target);
}

UpdateNoticeHost::~UpdateNoticeHost() {
    prober_->SetNoticeTarget(nullptr);
    prober_.reset();  // aborts the check's requests and joins its thread
}

void UpdateNoticeHost::Start(const std::string& source_folder) {
    if (prober_->UpdateStarted()) {
        return;
    }
    update::RecorderInfo info;
    if (!source_folder.empty()) {
        std::error_code error;
        const std::filesystem::path path(source_folder);
        // A source that is one file reads the configuration beside it.
        const std::string folder = std::filesystem::is_directory(path, error)
                                       ? source_folder
                                       : path.parent_path().string();
        update::ReadRecorderInfo(folder, info);
    }
    prober_->StartUpdateCheck(info.firmware_version, info.gps_data_version, info.model_code);
}

void UpdateNoticeHost::ShowNotice() {
    const std::string text = prober_->NoticeText();
    if (text.empty()) {
        return;
    }
    if (!dialog_) {
        const skin::Skin& skin = skin::Skin::Instance();
        dialog_ = std::make_unique<update::CUpdateDialog>(update::CUpdateDialog::Options{
            skin.layout_scale(), skin.Font(skin::FontRole::k9), options_.open_url});
    }
    dialog_->setWindowTitle(QString::fromUtf8(base::UiText(kTextUpdateTitle)));
    dialog_->SetNoticeText(QString::fromStdString(text));
    dialog_->show();
}

}  // namespace ardelle::app
