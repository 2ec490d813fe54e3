#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ardelle::fileops {

// The three boxes of a recording the CSV export reads, each the first of its type in the
// order a full tree read lists them (depth first, a box before its children). A box
// that is absent, or whose first instance holds boxes rather than data, is left empty.
struct CsvBoxes {
    std::optional<std::vector<std::uint8_t>> mvhd;
    std::optional<std::vector<std::uint8_t>> stsd;
    std::optional<std::vector<std::uint8_t>> stts;

    friend bool operator==(const CsvBoxes&, const CsvBoxes&) = default;
};

// The boxes of a file; nothing where the full tree read (without root payload) fails.
// Well-formed recordings are read by the lean walk below; anything else by the full
// tree read, so both give the same answer for every file.
std::optional<CsvBoxes> ReadCsvBoxes(const std::string& path);

// The boxes as the full tree read finds them.
std::optional<CsvBoxes> CsvBoxesFromTree(const std::string& path);

// The lean walk: one read per top-level box header and one per box it must look into,
// instead of several per box of the tree. Nothing when the file holds something it
// leaves to the full tree read (a malformed or odd box anywhere on the way).
std::optional<CsvBoxes> CsvBoxesFromLeanWalk(const std::string& path);

}  // namespace ardelle::fileops
