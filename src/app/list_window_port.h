#pragma once

#include <string>

#include "catalogue/recording_entry.h"
#include "catalogue/source_open.h"

namespace ardelle::app {

// What the main window's controller asks of one recording list window (videos or stills).
// The browser's list window is adapted to it in the app; tests implement it with a fake.
// Every call runs on the UI thread.
class ListWindowPort {
  public:
    virtual ~ListWindowPort() = default;
    // Opens a card, folder or file and selects the preferred tree node; false when nothing
    // could be opened (the window has shown why).
    virtual bool OpenSource(const std::string& path, catalogue::SourceKind kind) = 0;
    // Opens the last source remembered in the settings; false when none could be opened.
    virtual bool RestoreLastSource() = 0;
    virtual void ClearSource() = 0;
    // The recordings of the selected tree node after the trigger filters, in list order.
    virtual const catalogue::RecordingList& Records() const = 0;
    // The recordings of the whole source, collected again (export, join and delete).
    virtual catalogue::RecordingList CollectSourceRecords() = 0;
    // Selects and focuses row index (when valid) and scrolls it into view.
    virtual void SelectRecording(int index, bool keep) = 0;
    // The tree node after the selected one exists / is selected (its recordings are then
    // loaded and reported as a chosen node).
    virtual bool HasNextNode() const = 0;
    virtual bool SelectNextNode() = 0;
    // Trigger filter i (0..6) on or off; the list is refilled.
    virtual void SetTriggerFilter(int filter, bool on) = 0;
    virtual bool TriggerFilter(int filter) const = 0;
    // The opened source, or kind 0 and an empty path when none is open.
    virtual int SourceKind() const = 0;
    virtual std::string SourcePath() const = 0;
    // True while the window is clearing its tree: node choices are then ignored.
    virtual bool ClearingTree() const = 0;
};

}  // namespace ardelle::app
