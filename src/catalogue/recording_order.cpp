#include "catalogue/recording_order.h"

#include <algorithm>
#include <numeric>

#include "catalogue/name_units.h"
#include "catalogue/recording_names.h"

namespace ardelle::catalogue {
namespace {

using detail::UnitSlice;
using detail::Utf16Less;

// A sort key: the part (smaller first), then up to three texts compared in turn.
struct SortKey {
    int part = 0;
    std::string first;
    std::string second;
    std::string third;
};

bool KeyLess(const SortKey& a, const SortKey& b) {
    if (a.part != b.part) {
        return a.part < b.part;
    }
    if (a.first != b.first) {
        return Utf16Less(a.first, b.first);
    }
    if (a.second != b.second) {
        return Utf16Less(a.second, b.second);
    }
    return Utf16Less(a.third, b.third);
}

// Sorts items by the keys computed once per item, keeping equal keys in their order.
template <class Item, class MakeKey>
void SortByKey(std::vector<Item>& items, MakeKey make_key) {
    std::vector<SortKey> keys;
    keys.reserve(items.size());
    for (const Item& item : items) {
        keys.push_back(make_key(item));
    }
    std::vector<size_t> order(items.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return KeyLess(keys[a], keys[b]); });
    std::vector<Item> sorted;
    sorted.reserve(items.size());
    for (const size_t index : order) {
        sorted.push_back(std::move(items[index]));
    }
    items = std::move(sorted);
}

std::string RunningNumberOf(std::string_view name) {
    return UnitSlice(name, 19, 6);
}

// c0, c1, c2 of a name as code units (0 past the end).
struct LeadUnits {
    char16_t c0 = 0;
    char16_t c1 = 0;
    char16_t c2 = 0;
};

LeadUnits LeadUnitsOf(std::string_view name) {
    const std::u16string units = detail::Utf8ToUtf16(UnitSlice(name, 0, 3));
    LeadUnits lead;
    lead.c0 = detail::UnitAt(std::u16string_view(units), 0);
    lead.c1 = detail::UnitAt(std::u16string_view(units), 1);
    lead.c2 = detail::UnitAt(std::u16string_view(units), 2);
    return lead;
}

bool PassesFilter(const RecordingEntry& entry, const TriggerSwitches& on, bool stills) {
    const LeadUnits n = LeadUnitsOf(entry.primary_name());
    const bool continuous_letter = n.c0 == u'A' || n.c0 == u'T';
    int a = continuous_letter ? on[0] : 0;
    if (n.c1 == u'G' && continuous_letter && (a = on[1]) == 1) {
        return true;
    }
    if (n.c1 == u'M' && (a = on[2]) == 1) {
        return true;
    }
    if (n.c1 == u'D' && continuous_letter && (a = on[3]) == 1) {
        return true;
    }
    int b = (n.c0 == u'P' || n.c2 == u'T') ? on[4] : 0;
    if (!stills && n.c0 == u'P' && n.c1 == u'G' && (b = on[5]) == 1) {
        return true;
    }
    if (!stills && n.c2 == u'O') {
        return on[6] == 1;
    }
    return a == 1 || b == 1;
}

template <class Passes>
RecordingList FilterEntries(const RecordingList& entries, Passes passes) {
    RecordingList kept;
    for (const RecordingEntry& entry : entries) {
        if (passes(entry)) {
            kept.push_back(entry);
        }
    }
    return kept;
}

}  // namespace

void SortFoundByPath(FoundFileList& files) {
    SortByKey(files, [](const FoundFile& file) { return SortKey{0, file.path, {}, {}}; });
}

void SortFoundFoldersFirst(FoundFileList& files) {
    SortByKey(files, [](const FoundFile& file) {
        return SortKey{file.is_folder() ? 0 : 1, file.path, {}, {}};
    });
}

void SortFoundMoviesFirst(FoundFileList& files) {
    SortByKey(files, [](const FoundFile& file) {
        return SortKey{IsMovieName(file.name) ? 0 : 1, RunningNumberOf(file.name), {}, {}};
    });
}

void SortFoundStillsFirst(FoundFileList& files) {
    SortByKey(files, [](const FoundFile& file) {
        return SortKey{IsStillName(file.name) ? 0 : 1, UnitSlice(file.name, 3, 8),
                       UnitSlice(file.name, 29, 3), UnitSlice(file.name, 33, 3)};
    });
}

void SortEntriesByKind(RecordingList& entries) {
    SortByKey(entries, [](const RecordingEntry& entry) {
        const std::string& name = entry.primary_name();
        const int part = !IsMovieName(name) ? 2 : IsParkingClass(TriggerClassOf(name)) ? 1 : 0;
        return SortKey{part, RunningNumberOf(name), {}, {}};
    });
}

bool PassesMovieFilter(const RecordingEntry& entry, const TriggerSwitches& switches) {
    return PassesFilter(entry, switches, false);
}

bool PassesStillFilter(const RecordingEntry& entry, const TriggerSwitches& switches) {
    return PassesFilter(entry, switches, true);
}

RecordingList FilterMovies(const RecordingList& entries, const TriggerSwitches& switches) {
    return FilterEntries(entries,
                         [&](const RecordingEntry& e) { return PassesMovieFilter(e, switches); });
}

RecordingList FilterStills(const RecordingList& entries, const TriggerSwitches& switches) {
    return FilterEntries(entries,
                         [&](const RecordingEntry& e) { return PassesStillFilter(e, switches); });
}

}  // namespace ardelle::catalogue
