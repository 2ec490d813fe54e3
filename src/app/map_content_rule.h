#pragma once

namespace ardelle::app {

// The main window's marks the map window's content depends on.
struct MapContentMarks {
    bool map_display = false;       // the map display switch (command 38011)
    bool map_has_position = false;  // the shown position has a GPS fix on a recording with GPS
    bool no_position = true;        // the shown position cannot be placed on the map
    bool map_started = false;       // a position was shown while the map could be reached
    bool no_source = false;         // a source is being chosen or vanished
    bool logo_wanted = false;
    bool started_up = false;  // the window finished its start-up
};

// What the rule reads of the window and the players at the moment it runs.
struct MapContentInputs {
    bool connected = false;  // the bridge's connectivity test
    bool reference_initialised = false;
    bool gps_list_empty = true;
    bool movie_selection_valid = false;
    bool parking = false;  // the selected movie is a parking recording
    bool stills_tab = false;
    bool full_window = false;
};

// Where the rule's decisions go: the bridge, the map host window and the logo panel.
class MapContentTarget {
  public:
    virtual ~MapContentTarget() = default;
    // The bridge's ShowMap: 1 when the call changed what is shown.
    virtual int ShowMap(int show) = 0;
    virtual bool MapHostVisible() const = 0;
    virtual void FocusMapHost() = 0;
    virtual bool LogoVisible() const = 0;
    // Sets the logo panel's show request and posts it the message that applies it.
    virtual void RequestLogo(bool show) = 0;
    // Clears the show request and hides the panel at once.
    virtual void HideLogoNow() = 0;
    virtual int LogoPictureChoice() const = 0;
    // Stores the choice and redraws the panel at once.
    virtual void SetLogoPictureChoice(int choice) = 0;
};

// Decides whether the map window shows the map or the logo panel, and which of the logo's
// two pictures: the map only once a position was shown while the map can be reached,
// the logo with its no-connection picture while the map is switched on but unreachable.
class MapContentRule {
  public:
    MapContentMarks& marks() { return marks_; }
    const MapContentMarks& marks() const { return marks_; }

    bool Wanted(const MapContentInputs& in) const;
    // 0 the second picture (no connection), 1 the first (the map's sign).
    int PictureChoice(const MapContentInputs& in) const;
    void Run(const MapContentInputs& in, MapContentTarget& target);
    // The picture choice alone, as every repaint of the window does while the logo is wanted.
    void RefreshPicture(const MapContentInputs& in, MapContentTarget& target) const;

  private:
    MapContentMarks marks_;
};

}  // namespace ardelle::app
