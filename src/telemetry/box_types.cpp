#include "telemetry/box_types.h"

#include <algorithm>

namespace ardelle::telemetry {

// The box types the tree reader recognises, in the recorder software's order (two
// entries are the same).
// clang-format off
const std::array<const char*, kKnownBoxTypeCount> kKnownBoxTable = {{
    "ainf", "avcn", "bloc", "bpcc", "buff", "bxml", "ccid", "cdef",
    "clip", "cmap", "co64", "colr", "crgn", "crhd", "cslg", "ctab",
    "ctts", "cvru", "dinf", "dref", "dsgd", "dstg", "edts", "elst",
    "fdel", "feci", "fecr", "fiin", "fire", "fpar", "free", "frma",
    "ftyp", "gitn", "grpi", "hdlr", "hmhd", "hpix", "icnu", "ID32",
    "idat", "ihdr", "iinf", "iloc", "imap", "imif", "infe", "infu",
    "iods", "iphd", "ipmc", "ipro", "iref", "jP  ", "jp2c", "jp2h",
    "jp2i", "kmat", "leva", "load", "lrcu", "m7hd", "matt", "mdat",
    "mdhd", "mdia", "mdri", "meco", "mehd", "mere", "meta", "mfhd",
    "mfra", "mfro", "minf", "mjhd", "moof", "moov", "mvcg", "mvci",
    "mvex", "mvhd", "mvra", "nmhd", "ochd", "odaf", "odda", "odhd",
    "odhe", "odrb", "odrm", "odtt", "ohdr", "padb", "paen", "pclr",
    "pdin", "pitm", "pnot", "prft", "res ", "resc", "resd", "rinf",
    "saio", "saiz", "sbgp", "schi", "schm", "sdep", "sdhd", "sdtp",
    "sdvp", "segr", "senc", "sgpd", "sidx", "sinf", "skip", "smhd",
    "srmb", "srmc", "srpp", "ssix", "stbl", "stco", "stdp", "sthd",
    "strd", "stri", "stsc", "stsd", "stsg", "stsh", "stss", "stsz",
    "stts", "styp", "stz2", "subs", "swtc", "tfad", "tfdt", "tfhd",
    "tfma", "tfra", "tibr", "tiri", "tkhd", "traf", "trak", "tref",
    "trex", "trgr", "trik", "trun", "udta", "uinf", "UITS", "ulst",
    "url ", "uuid", "vmhd", "vwdi", "xml ", "xml ", "udat", "ICAT",
}};
// clang-format on

KnownBoxTrie::KnownBoxTrie() {
    for (const char* type : kKnownBoxTable) {
        types_.push_back(FourCC(reinterpret_cast<const std::uint8_t*>(type)));
    }
    std::sort(types_.begin(), types_.end());
    types_.erase(std::unique(types_.begin(), types_.end()), types_.end());
}

bool KnownBoxTrie::Contains(std::uint32_t type) const {
    return std::binary_search(types_.begin(), types_.end(), type);
}

const KnownBoxTrie& KnownBoxes() {
    static const KnownBoxTrie trie;
    return trie;
}

}  // namespace ardelle::telemetry
