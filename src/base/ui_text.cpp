#include "base/ui_text.h"

#include <atomic>

namespace ardelle::base {
namespace {
std::atomic<int> g_ui_language{0};
}

int ChooseUiLanguage(std::string_view locale_name) {
    // "en_US", "en_US.UTF-8", "en_US@euro": the language and territory decide.
    const std::string_view wanted = "en_US";
    if (locale_name.substr(0, wanted.size()) != wanted) {
        return 0;
    }
    return locale_name.size() == wanted.size() || locale_name[wanted.size()] == '.' ||
                   locale_name[wanted.size()] == '@'
               ? 1
               : 0;
}

void SetUiLanguage(int language) {
    g_ui_language.store(language == 1 ? 1 : 0, std::memory_order_relaxed);
}

int UiLanguage() {
    return g_ui_language.load(std::memory_order_relaxed);
}

const char* UiText(int id) {
    return UiTextFor(UiLanguage(), id);
}

std::string UiString(int id) {
    const char* text = UiText(id);
    return text != nullptr ? std::string(text) : std::string();
}

}  // namespace ardelle::base
