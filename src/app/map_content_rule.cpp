#include "app/map_content_rule.h"

namespace ardelle::app {

bool MapContentRule::Wanted(const MapContentInputs& in) const {
    if (marks_.no_source) {
        return false;
    }
    const bool movie = marks_.map_has_position && in.connected && in.reference_initialised &&
                       !in.gps_list_empty && in.movie_selection_valid && !in.parking &&
                       !marks_.no_position;
    const bool still = in.stills_tab && !marks_.no_position && in.connected;
    return movie || still;
}

int MapContentRule::PictureChoice(const MapContentInputs& in) const {
    const bool no_connection =
        !marks_.no_position && marks_.started_up && !in.connected && marks_.map_display;
    return no_connection ? 0 : 1;
}

void MapContentRule::RefreshPicture(const MapContentInputs& in, MapContentTarget& target) const {
    const int choice = PictureChoice(in);
    if (choice != target.LogoPictureChoice()) {
        target.SetLogoPictureChoice(choice);
    }
}

void MapContentRule::Run(const MapContentInputs& in, MapContentTarget& target) {
    const bool wanted = Wanted(in);
    if (wanted && marks_.map_started) {
        if (target.ShowMap(in.full_window ? 0 : 1) == 1 && !in.full_window) {
            target.FocusMapHost();
        }
        marks_.logo_wanted = false;
        if (target.LogoVisible()) {
            target.RequestLogo(false);
        }
        return;
    }
    if (wanted) {
        if (!target.MapHostVisible()) {
            marks_.logo_wanted = true;
            if (!target.LogoVisible()) {
                target.RequestLogo(true);
            }
        }
    } else {
        const bool map_unusable = !marks_.map_started || !in.connected;
        if (map_unusable) {
            target.ShowMap(0);
        }
        if (in.full_window) {
            marks_.logo_wanted = false;
            if (target.LogoVisible()) {
                target.HideLogoNow();
            }
            return;
        }
        if (map_unusable) {
            marks_.logo_wanted = true;
            if (!target.LogoVisible()) {
                target.RequestLogo(true);
            }
        }
    }
    RefreshPicture(in, target);
}

}  // namespace ardelle::app
