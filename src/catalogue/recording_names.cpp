#include "catalogue/recording_names.h"

#include <array>

#include "base/ui_text.h"
#include "catalogue/name_units.h"

namespace ardelle::catalogue {
namespace {

using detail::UnitAt;
using detail::VisitUnits;

// One position of a fixed-length name pattern.
struct PatternUnit {
    enum Kind { kSet, kDigit, kLiteral, kAny } kind;
    const char* chars = "";  // the set, or the literal character
};

constexpr PatternUnit Set(const char* chars) {
    return {PatternUnit::kSet, chars};
}
constexpr PatternUnit Digit() {
    return {PatternUnit::kDigit, ""};
}
constexpr PatternUnit Literal(const char* c) {
    return {PatternUnit::kLiteral, c};
}
constexpr PatternUnit Any() {
    return {PatternUnit::kAny, ""};
}

enum class Camera { kEither, kFront, kRear };

constexpr const char* CameraSet(Camera camera) {
    return camera == Camera::kFront ? "F" : camera == Camera::kRear ? "R" : "FR";
}

// [APT_][GMD_][OT_][S_]-dddddd-dddddd-dddddd[FR].MP4
constexpr std::array<PatternUnit, 30> MoviePattern(Camera camera) {
    std::array<PatternUnit, 30> p{};
    p[0] = Set("APT_");
    p[1] = Set("GMD_");
    p[2] = Set("OT_");
    p[3] = Set("S_");
    for (size_t i = 4; i < 25; ++i) {
        p[i] = (i == 4 || i == 11 || i == 18) ? Literal("-") : Digit();
    }
    p[25] = Set(CameraSet(camera));
    p[26] = Any();
    p[27] = Literal("M");
    p[28] = Literal("P");
    p[29] = Literal("4");
    return p;
}

// [APMGD_]{2}-dddddddd-[A-Z|a-z|0-9|_]{16}-ddd-ddd[FR].JPG
constexpr std::array<PatternUnit, 41> StillPattern(Camera camera) {
    std::array<PatternUnit, 41> p{};
    p[0] = p[1] = Set("APMGD_");
    p[2] = p[11] = p[28] = p[32] = Literal("-");
    for (size_t i = 3; i < 11; ++i) {
        p[i] = Digit();
    }
    for (size_t i = 12; i < 28; ++i) {
        p[i] = Set("ABCDEFGHIJKLMNOPQRSTUVWXYZ|abcdefghijklmnopqrstuvwxyz0123456789_");
    }
    for (const size_t i :
         {size_t{29}, size_t{30}, size_t{31}, size_t{33}, size_t{34}, size_t{35}}) {
        p[i] = Digit();
    }
    p[36] = Set(CameraSet(camera));
    p[37] = Any();
    p[38] = Literal("J");
    p[39] = Literal("P");
    p[40] = Literal("G");
    return p;
}

bool InSet(char16_t unit, const char* chars) {
    for (const char* c = chars; *c != '\0'; ++c) {
        if (unit == static_cast<char16_t>(*c)) {
            return true;
        }
    }
    return false;
}

bool UnitMatches(const PatternUnit& pattern, char16_t unit) {
    switch (pattern.kind) {
        case PatternUnit::kSet:
            return InSet(unit, pattern.chars);
        case PatternUnit::kDigit:
            return unit >= u'0' && unit <= u'9';
        case PatternUnit::kLiteral:
            return unit == static_cast<char16_t>(pattern.chars[0]);
        case PatternUnit::kAny:  // "." matches anything but a line terminator
            return unit != u'\n' && unit != u'\r' && unit != 0x2028 && unit != 0x2029;
    }
    return false;
}

// The unanchored search of a fixed-length pattern anywhere in the name.
template <class View, size_t N>
bool SearchPattern(View units, const std::array<PatternUnit, N>& pattern) {
    if (units.size() < N) {
        return false;
    }
    for (size_t start = 0; start + N <= units.size(); ++start) {
        size_t i = 0;
        while (i < N && UnitMatches(pattern[i], static_cast<char16_t>(units[start + i]))) {
            ++i;
        }
        if (i == N) {
            return true;
        }
    }
    return false;
}

template <class View>
int TriggerClassOfUnits(View units) {
    const char16_t c0 = UnitAt(units, 0);
    const char16_t c1 = UnitAt(units, 1);
    const char16_t c2 = UnitAt(units, 2);
    if (c0 == u'A' || c0 == u'T') {
        return c1 == u'G' ? 1 : c1 == u'M' ? 2 : c1 == u'D' ? 3 : 0;
    }
    if (c0 == u'P') {
        return c1 == u'G' ? 5 : 4;
    }
    return c2 == u'O' ? 6 : c2 == u'T' ? 4 : -1;
}

bool MatchesMovieName(std::string_view path, Camera camera) {
    static constexpr auto kEither = MoviePattern(Camera::kEither);
    static constexpr auto kFront = MoviePattern(Camera::kFront);
    static constexpr auto kRear = MoviePattern(Camera::kRear);
    const auto& pattern = camera == Camera::kFront  ? kFront
                          : camera == Camera::kRear ? kRear
                                                    : kEither;
    return VisitUnits(FileNameOf(path), [&](auto units) {
        if (units.size() > 4 && UnitAt(units, 4) != u'-') {
            return false;
        }
        return SearchPattern(units, pattern) && TriggerClassOfUnits(units) != -1;
    });
}

bool MatchesStillName(std::string_view path, Camera camera) {
    static constexpr auto kEither = StillPattern(Camera::kEither);
    static constexpr auto kFront = StillPattern(Camera::kFront);
    static constexpr auto kRear = StillPattern(Camera::kRear);
    const auto& pattern = camera == Camera::kFront  ? kFront
                          : camera == Camera::kRear ? kRear
                                                    : kEither;
    return VisitUnits(FileNameOf(path), [&](auto units) {
        if (units.size() > 2 && UnitAt(units, 2) != u'-') {
            return false;
        }
        return SearchPattern(units, pattern);
    });
}

struct LeadingChars {
    char16_t c0, c1, c2;
    size_t length;  // in code units
};

LeadingChars LeadingCharsOf(std::string_view path) {
    return VisitUnits(FileNameOf(path), [](auto units) {
        return LeadingChars{UnitAt(units, 0), UnitAt(units, 1), UnitAt(units, 2), units.size()};
    });
}

std::string Joined(int first_id, int second_id) {
    return base::UiString(first_id) + "+" + base::UiString(second_id);
}

std::string LabelOfA(char16_t c1, char16_t c2) {
    if (c1 == u'_') {
        return c2 == u'_'   ? base::UiString(160)
               : c2 == u'O' ? base::UiString(161)
               : c2 == u'T' ? base::UiString(168)
                            : std::string();
    }
    return c1 == u'D'   ? base::UiString(181)
           : c1 == u'M' ? base::UiString(163)
           : c1 == u'G' ? base::UiString(164)
                        : std::string();
}

std::string LabelOfP(char16_t c1, char16_t c2) {
    if (c2 == u'T') {
        return c1 == u'_' ? base::UiString(168) : c1 == u'G' ? Joined(168, 164) : std::string();
    }
    if (c2 == u'_') {
        return c1 == u'_' ? base::UiString(166) : c1 == u'G' ? base::UiString(167) : std::string();
    }
    return {};
}

std::string LabelOfT(char16_t c1, char16_t c2) {
    if (c1 == u'_') {
        return c2 == u'O' ? Joined(165, 161) : base::UiString(165);
    }
    return c1 == u'D'   ? Joined(165, 181)
           : c1 == u'M' ? Joined(165, 163)
           : c1 == u'G' ? Joined(165, 164)
                        : std::string();
}

// The number written in up to two digits at text[index]; 0 without digits.
int TwoDigitsAt(std::string_view text, size_t index) {
    int value = 0;
    for (size_t i = index; i < index + 2 && i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            break;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// The text from index up to the next '-' (or the end).
std::string_view FieldFrom(std::string_view name, size_t index) {
    if (index >= name.size()) {
        return {};
    }
    const std::string_view rest = name.substr(index);
    return rest.substr(0, rest.find('-'));
}

std::string ReplaceAll(std::string text, std::string_view find, std::string_view replace) {
    if (find.empty()) {
        return text;
    }
    for (size_t at = text.find(find); at != std::string::npos; at = text.find(find, at)) {
        text.replace(at, find.size(), replace);
        at += replace.size();
    }
    return text;
}

}  // namespace

std::string_view FileNameOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool IsMovieName(std::string_view path) {
    return MatchesMovieName(path, Camera::kEither);
}
bool IsFrontMovieName(std::string_view path) {
    return MatchesMovieName(path, Camera::kFront);
}
bool IsRearMovieName(std::string_view path) {
    return MatchesMovieName(path, Camera::kRear);
}
bool IsStillName(std::string_view path) {
    return MatchesStillName(path, Camera::kEither);
}
bool IsFrontStillName(std::string_view path) {
    return MatchesStillName(path, Camera::kFront);
}
bool IsRearStillName(std::string_view path) {
    return MatchesStillName(path, Camera::kRear);
}

bool IsMp4Path(std::string_view path) {
    if (path.size() < 4) {
        return false;
    }
    const std::string_view extension = path.substr(path.size() - 4);
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    return extension[0] == '.' && upper(extension[1]) == 'M' && upper(extension[2]) == 'P' &&
           extension[3] == '4';
}

int TriggerClassOf(std::string_view path) {
    return VisitUnits(FileNameOf(path), [](auto units) { return TriggerClassOfUnits(units); });
}

int SecondCharKind(std::string_view name) {
    const char16_t c1 = LeadingCharsOf(name).c1;
    return c1 == u'D' ? 3 : c1 == u'G' ? 5 : c1 == u'M' ? 4 : c1 == u'_' ? 1 : 0;
}

void AddTriggerFlags(std::string_view path, int& flags) {
    const auto [c0, c1, c2, length] = LeadingCharsOf(path);
    if (c0 == u'A' || c0 == u'T' || c2 == u'T')
        flags |= 0x01;
    if (c1 == u'M')
        flags |= 0x02;
    if (c1 == u'G' && c0 != u'P')
        flags |= 0x04;
    if (c0 == u'P' && c1 != u'G')
        flags |= 0x08;
    if (c0 == u'P' && c1 == u'G')
        flags |= 0x10;
    if (c2 == u'O')
        flags |= 0x20;
    if (c1 == u'D')
        flags |= 0x40;
}

void AddStillTriggerFlags(std::string_view path, int& flags) {
    const auto [c0, c1, c2, length] = LeadingCharsOf(path);
    if (c0 == u'A' || c0 == u'T')
        flags |= 0x01;
    if (c1 == u'M')
        flags |= 0x02;
    if (c1 == u'G' && c0 != u'P')
        flags |= 0x04;
    if (c0 == u'P' && c1 != u'G')
        flags |= 0x08;
    if (c0 == u'P' && c1 == u'G')
        flags |= 0x10;
    if (c1 == u'D')
        flags |= 0x40;
}

std::string TriggerLabelOf(std::string_view path) {
    const auto [c0, c1, c2, length] = LeadingCharsOf(path);
    if (length < 30) {
        return {};
    }
    switch (c0) {
        case u'A':
            return LabelOfA(c1, c2);
        case u'P':
            return LabelOfP(c1, c2);
        case u'T':
            return LabelOfT(c1, c2);
        default:
            return {};
    }
}

platform::CalendarTime MovieDateTime(std::string_view name) {
    name = FileNameOf(name);
    const std::string_view date = FieldFrom(name, 5);
    const std::string_view time = FieldFrom(name, 12);
    const auto instant = platform::LocalFieldsToInstant(
        2000 + TwoDigitsAt(date, 0), TwoDigitsAt(date, 2), TwoDigitsAt(date, 4),
        TwoDigitsAt(time, 0), TwoDigitsAt(time, 2), TwoDigitsAt(time, 4),
        platform::DaylightSaving::kAsTheSystemDecides);
    if (!instant) {
        return platform::CalendarTime{};
    }
    return platform::InstantToLocal(*instant);
}

std::string PartnerPath(std::string_view path, std::string_view find_folder,
                        std::string_view replace_folder, std::string_view find_suffix,
                        std::string_view replace_suffix) {
    const size_t slash = path.rfind('/');
    const std::string_view file_name = FileNameOf(path);
    std::string folder(slash == std::string_view::npos ? std::string_view()
                                                       : path.substr(0, slash));
    // The occurrence of find_folder that ends right before the file name is the folder
    // that directly holds the file.
    for (size_t at = find_folder.empty() ? std::string_view::npos : path.find(find_folder);
         at != std::string_view::npos; at = path.find(find_folder, at + find_folder.size())) {
        const size_t name_start = at + find_folder.size() + 1;
        if (name_start <= path.size() && path.substr(name_start) == file_name) {
            folder = std::string(path.substr(0, at)) + std::string(replace_folder);
            break;
        }
    }
    std::string new_name(file_name);
    if (!find_suffix.empty() && path.find(find_suffix) != std::string_view::npos) {
        new_name = ReplaceAll(std::move(new_name), find_suffix, replace_suffix);
    }
    // A bare file name has no folder part and stays bare.
    return slash == std::string_view::npos ? new_name : folder + "/" + new_name;
}

std::optional<PathPair> PairOf(std::string_view path) {
    if (IsFrontMovieName(path)) {
        return PathPair{std::string(path), PartnerPath(path, "Front", "Rear", "F.MP4", "R.MP4")};
    }
    if (IsRearMovieName(path)) {
        return PathPair{PartnerPath(path, "Rear", "Front", "R.MP4", "F.MP4"), std::string(path)};
    }
    return std::nullopt;
}

std::optional<PathPair> PairOfStill(std::string_view path) {
    if (IsFrontStillName(path)) {
        return PathPair{std::string(path), PartnerPath(path, "Front", "Rear", "F.JPG", "R.JPG")};
    }
    if (IsRearStillName(path)) {
        return PathPair{PartnerPath(path, "Rear", "Front", "R.JPG", "F.JPG"), std::string(path)};
    }
    return std::nullopt;
}

}  // namespace ardelle::catalogue
