#include "sample_card/card_plan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

namespace ardelle::samplecard {
namespace {

const HeaderVariant kHeaderM{'M', {300, 250, 500, 1000}, 'H', true, true};
const HeaderVariant kHeaderD{'D', {150, 150, 300, 800}, 'L', true, true};
const HeaderVariant kHeaderNone{'N', {}, 'H', false, true};
const HeaderVariant kHeaderNoGps{'M', {300, 250, 500, 1000}, 'L', true, false};
const HeaderVariant kHeaderParking{'D', {200, 200, 200, 600}, 'H', false, false};

// What distinguishes one recording of the default set from the others.
enum class Special { kNone, kTimeOffset, kNoFix, kEarlyEnd, kRearOnly, kShort, kDeleted };

struct Template {
    const char* trigger;
    const HeaderVariant* header;
    Special special = Special::kNone;
    int gap_before_seconds = 0;  // > 0: a pause in recording and a gap in the numbers
};

// The default card: every trigger kind, runs broken by a run mark and by a gap.
const std::vector<Template>& DefaultTemplates() {
    static const std::vector<Template> templates = {
        {"A___", &kHeaderM},
        {"A___", &kHeaderM, Special::kTimeOffset},
        {"AG__", &kHeaderD},
        {"A___", &kHeaderNone, Special::kNoFix},
        {"AM__", &kHeaderNoGps, Special::kEarlyEnd},
        {"A__S", &kHeaderM},
        {"AD__", &kHeaderD},
        {"A_O_", &kHeaderM},
        {"A___", &kHeaderM, Special::kNone, 300},
        {"T___", &kHeaderD},
        {"A___", &kHeaderM, Special::kRearOnly},
        {"A___", &kHeaderM, Special::kDeleted},
        {"A___", &kHeaderM, Special::kShort},
        {"P___", &kHeaderParking, Special::kNone, 1800},
        {"PG__", &kHeaderParking},
        {"P_T_", &kHeaderParking},
    };
    return templates;
}

// Clip lengths are whole frames of both cameras (the rear rate divides the front one).
double WholeRearFrames(double seconds) {
    return std::max(1.0, std::round(seconds * kRearFps)) / kRearFps;
}

int At(const Recording& r, double fraction) {
    const int n = r.RecordCount();
    return std::clamp(static_cast<int>(fraction * n), 0, n - 1);
}

void AddMark(Recording& r, double fraction, int offset, uint8_t value, const char* what) {
    r.marks.push_back({At(r, fraction), offset, value, what});
}

// Events that follow from the trigger characters.
void AddTriggerEvents(Recording& r) {
    namespace o = record_offset;
    const std::string& t = r.trigger;
    if (t == "A___" && r.number % 2 == 1) {
        AddMark(r, 0.2, o::kDrivingSupport, 'A', "sudden acceleration");
        AddMark(r, 0.5, o::kDrivingSupport, 'B', "sudden braking");
        AddMark(r, 0.75, o::kDrivingSupport, 'H', "sudden steering");
    }
    if (t[1] == 'G') {
        AddMark(r, 0.3, o::kShockAxis, 'X', "shock X");
        AddMark(r, 0.5, o::kShockAxis, 'Y', "shock Y");
        AddMark(r, 0.7, o::kShockAxis, 'Z', "shock Z");
    }
    if (t[1] == 'M') {
        AddMark(r, 0.5, o::kManual, 'D', "manual recording");
    }
    if (t[1] == 'D') {
        AddMark(r, 0.4, o::kApproach, 'D', "vehicle approaching");
    }
    if (t[2] == 'O') {
        AddMark(r, 0.3, o::kSpeeding, 'D', "speeding");
        AddMark(r, 0.5, o::kStatusNibbles, kSpeedCameraNibbles, "speed camera");
    }
    if (t[0] == 'P') {
        AddMark(r, 0.1, o::kParkingWatch, 'D', "parking watch");
    }
}

void ApplySpecial(Recording& r, Special special) {
    switch (special) {
        case Special::kTimeOffset:
            r.time_offset = 18;
            AddMark(r, 0.6, record_offset::kEmergencyStop, 'D', "emergency stop");
            break;
        case Special::kNoFix:
            r.count_style = CountStyle::kOpen;
            r.no_fix_first = At(r, 0.3);
            r.no_fix_last = At(r, 0.6);
            r.blank_speed_records = {At(r, 0.15), At(r, 0.8)};
            break;
        case Special::kEarlyEnd:
            r.count_style = CountStyle::kEarlyEnd;
            r.early_end_record = At(r, 0.8);
            break;
        case Special::kRearOnly:
            r.has_front = false;
            break;
        case Special::kDeleted:
            r.deleted = true;
            break;
        case Special::kShort:
        case Special::kNone:
            break;
    }
}

std::vector<Still> DefaultStills(const CivilTime& card_start) {
    auto at = [&](int seconds) { return AddSeconds(card_start, seconds); };
    std::vector<Still> stills = {
        {"AM", at(72), 1, 1, 35.68125, 139.76710, 42, true, 0},
        {"AM", at(73), 1, 2, 35.68142, 139.76731, 43, true, 0},
        {"AG", at(280), 2, 1, 0, 0, 0, true, 0},
        {"P_", at(2500), 3, 1, 35.69012, 139.78154, 0, false, 0},
        {"AM", at(400), 4, 1, 35.68511, 139.77202, 31, true, 2000},
        {"AG", at(410), 5, 1, 35.68533, 139.77251, 28, false, 2001},
    };
    return stills;
}

}  // namespace

char CameraLetter(Camera camera) {
    return camera == Camera::kFront ? 'F' : 'R';
}

std::string FolderOf(bool parking, Camera camera) {
    return std::string(parking ? "Parking/" : "Normal/") +
           (camera == Camera::kFront ? "Front" : "Rear");
}

int Recording::RecordCount() const {
    return static_cast<int>(std::ceil(seconds * 1000.0 / RecordIntervalMs() - 1e-3));
}

int Recording::SlotCount() const {
    return count_style == CountStyle::kOpen ? RecordCount() + 1 : RecordCount();
}

int Recording::SampleCount() const {
    return count_style == CountStyle::kEarlyEnd ? early_end_record : RecordCount();
}

int Recording::FrameCount(Camera camera) const {
    return static_cast<int>(std::lround(seconds * Fps(camera)));
}

std::string Recording::FileName(Camera camera) const {
    char text[64];
    std::snprintf(text, sizeof text, "%s-%s-%s-%06d%c.%s", trigger.c_str(),
                  DateDigits(start).c_str(), TimeDigits(start).c_str(), number,
                  CameraLetter(camera), deleted ? "DMY" : "MP4");
    return text;
}

std::string Recording::Folder(Camera camera) const {
    return FolderOf(IsParking(), camera);
}

CivilTime Recording::RecordTime(int record) const {
    const auto ms =
        static_cast<int64_t>(static_cast<float>(record) * static_cast<float>(RecordIntervalMs()));
    return AddSeconds(start, ms / 1000);
}

std::string Still::OriginalName(Camera camera) const {
    char text[64];
    std::snprintf(text, sizeof text, "%s-%04d%02d%02d-%s-%03d-%03d%c.JPG", trigger.c_str(),
                  time.year, time.month, time.day, kCameraIdentifier, shot, picture,
                  CameraLetter(camera));
    return text;
}

std::string Still::FileName(Camera camera) const {
    if (placeholder_number == 0) {
        return OriginalName(camera);
    }
    char text[64];
    std::snprintf(text, sizeof text, "A_-%04d0101-%s-000-000%c.DMY", placeholder_number,
                  kCameraIdentifier, CameraLetter(camera));
    return text;
}

std::string Still::Folder(Camera camera) const {
    return camera == Camera::kFront ? "JPG/Front" : "JPG/Rear";
}

std::vector<std::string> CardPlan::HiddenNames(const std::string& folder) const {
    std::vector<std::string> names;
    for (const Camera camera : {Camera::kFront, Camera::kRear}) {
        for (const Recording& r : recordings) {
            if (r.deleted && r.HasFile(camera) && r.Folder(camera) == folder) {
                names.push_back(r.FileName(camera));
            }
        }
        for (const Still& s : stills) {
            const bool present = camera == Camera::kFront || s.has_rear;
            if (s.placeholder_number != 0 && present && s.Folder(camera) == folder) {
                names.push_back(s.FileName(camera));
            }
        }
    }
    return names;
}

std::vector<std::string> CardPlan::Folders() const {
    return {"Normal/Front", "Normal/Rear", "Parking/Front",
            "Parking/Rear", "JPG/Front",   "JPG/Rear"};
}

CardPlan MakeCardPlan(const PlanOptions& options) {
    CardPlan plan;
    plan.options = options;
    plan.card_start = CivilTime{2024, 6, 8, 9, 30, 0};
    const auto& templates = DefaultTemplates();
    const int count = options.count > 0 ? options.count : static_cast<int>(templates.size());
    int64_t clock = 0;  // seconds after card_start
    int number = 101;
    for (int i = 0; i < count; ++i) {
        const Template& t = templates[static_cast<size_t>(i) % templates.size()];
        if (i > 0 && t.gap_before_seconds > 0) {
            clock += t.gap_before_seconds;
            ++number;
        }
        if (i > 0 && i % static_cast<int>(templates.size()) == 0) {
            clock += 600;  // the next drive of a large card
        }
        Recording r;
        r.trigger = t.trigger;
        r.number = number++;
        r.start = AddSeconds(plan.card_start, clock);
        r.seconds =
            WholeRearFrames(t.special == Special::kShort ? std::min(kShortSeconds, options.seconds)
                                                         : options.seconds);
        r.header = *t.header;
        r.drive_seconds = clock;
        AddTriggerEvents(r);
        ApplySpecial(r, t.special);
        clock += static_cast<int64_t>(std::ceil(r.seconds));
        plan.recordings.push_back(r);
    }
    plan.stills = DefaultStills(plan.card_start);
    return plan;
}

}  // namespace ardelle::samplecard
