#include "app/browser_list_window.h"

#include "catalogue/recording_names.h"

namespace ardelle::app {

bool BrowserListPair::OpenSource(const std::string& path, catalogue::SourceKind kind) {
    const bool single_file = kind == catalogue::SourceKind::kFile;
    const bool still_file = single_file && catalogue::IsStillName(path);
    bool opened = false;
    if (!still_file) {
        opened = videos_.OpenSource(path, kind);
    }
    if (!single_file || still_file) {
        const bool stills_opened = stills_.OpenSource(path, kind);
        opened = opened || (still_file && stills_opened);
    }
    return opened;
}

bool BrowserListPair::RestoreLastSource() {
    if (!videos_.RestoreLastSource()) {
        return false;
    }
    stills_.RestoreLastSource();
    return true;
}

void BrowserListPair::ClearSource() {
    videos_.ClearSource();
    stills_.ClearSource();
}

}  // namespace ardelle::app
