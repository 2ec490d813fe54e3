#pragma once

#include <string>
#include <string_view>

namespace ardelle::base {

inline constexpr char kErrorCaption[] = "ERROR";
inline constexpr char kQuestionCaption[] = "確認";
inline constexpr char kEndCaption[] = "終了";

// Button sets of a modal message.
enum class MessageStyle { kOk = 0, kOkCancel = 1, kYesNo = 4 };

// The modal messages a core operation shows. The UI answers with its message dialog, the
// CLI prints the text and answers from its options (--yes, --overwrite).
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // 1 for OK or yes, anything else for cancel or no.
    virtual int Show(std::string_view text, std::string_view caption, MessageStyle style) = 0;
};

// The folder picker that remembers its folder: preselects the folder stored under
// section/key (or the application folder) and returns the chosen folder, or the
// preselected one when the user cancels. The caller stores the choice.
class FolderPicker {
  public:
    virtual ~FolderPicker() = default;
    virtual std::string PickFolder(std::string_view section, std::string_view key,
                                   std::string_view title) = 0;
};

}  // namespace ardelle::base
