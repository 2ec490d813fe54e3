#include "fileops/movie_fixture.h"

#include "support/mp4_builder.h"

namespace ardelle::testing {
namespace {

std::string FullBox(const std::string& type, const std::string& body) {
    return Box(type, Be32(0) + body);
}

std::string MediaHeader(const TrackShape& track) {
    if (track.media_header == "gmhd") {
        // A timecode track's header: generic media information and the timecode's own.
        return Box("gmhd", FullBox("gmin", std::string(12, '\0')) +
                               Box("tmcd", FullBox("tcmi", std::string(20, '\0'))));
    }
    return FullBox(track.media_header, std::string(track.media_header == "vmhd" ? 8 : 4, '\0'));
}

std::string SampleEntry(const TrackShape& track) {
    const std::size_t fields = track.sample_entry == "avc1"   ? 78
                               : track.sample_entry == "mp4a" ? 28
                                                              : 20;
    return Box(track.sample_entry, std::string(fields, '\0'));
}

std::string Trak(const TrackShape& track, std::uint32_t id, std::uint32_t movie_duration,
                 std::uint64_t chunk_offset) {
    std::string stbl = FullBox("stsd", Be32(1) + SampleEntry(track)) +
                       FullBox("stts", Be32(1) + Be32(track.samples) + Be32(track.delta)) +
                       FullBox("stsc", Be32(1) + Be32(1) + Be32(track.samples) + Be32(1)) +
                       FullBox("stsz", Be32(track.sample_size) + Be32(track.samples)) +
                       FullBox("stco", Be32(1) + Be32(static_cast<std::uint32_t>(chunk_offset)));
    if (!track.dependency_flags.empty()) {
        stbl += FullBox("sdtp", track.dependency_flags);
    }
    if (!track.group_description.empty()) {
        stbl += Box("sgpd", track.group_description);
        std::string runs;
        for (const auto& [count, index] : track.group_runs) {
            runs += Be32(count) + Be32(index);
        }
        stbl += FullBox("sbgp",
                        "roll" + Be32(static_cast<std::uint32_t>(track.group_runs.size())) + runs);
    }
    stbl += track.extra_tables;
    const std::string minf = Box(
        "minf", MediaHeader(track) + Box("dinf", FullBox("dref", Be32(1) + FullBox("url ", ""))) +
                    Box("stbl", stbl));
    const std::string mdhd = FullBox("mdhd", Be32(0) + Be32(0) + Be32(track.time_scale) +
                                                 Be32(track.samples * track.delta) + Be32(0));
    const std::string hdlr =
        FullBox("hdlr", Be32(0) + track.handler + std::string(12, '\0') + "track" + '\0');
    const std::string tkhd = FullBox("tkhd", Be32(0) + Be32(0) + Be32(id) + Be32(0) +
                                                 Be32(movie_duration) + std::string(60, '\0'));
    // The picture track names its timecode track, as cameras write it.
    const std::string tref = id == 1 ? Box("tref", Box("tmcd", Be32(3))) : std::string();
    return Box("trak", tkhd + tref + Box("mdia", mdhd + hdlr + minf));
}

std::string Moov(const MovieSpec& shape, std::uint64_t media_start) {
    std::string traks;
    std::uint64_t offset = media_start;
    for (std::size_t i = 0; i < shape.tracks.size(); ++i) {
        const TrackShape& track = shape.tracks[i];
        traks += Trak(track, static_cast<std::uint32_t>(i + 1), shape.movie_duration, offset);
        offset += std::uint64_t{track.samples} * track.sample_size;
    }
    return Box("moov",
               Box("mvhd", MvhdPayload(shape.movie_time_scale, shape.movie_duration)) + traks);
}

}  // namespace

std::string MultiTrackMovie(const MovieSpec& shape) {
    const std::string ftyp = Box("ftyp", "qt  " + Be32(0) + "qt  ");
    std::string media;
    for (std::size_t i = 0; i < shape.tracks.size(); ++i) {
        const TrackShape& track = shape.tracks[i];
        media += std::string(std::size_t{track.samples} * track.sample_size,
                             static_cast<char>(shape.fill + static_cast<char>(i)));
    }
    const std::string mdat = Box("mdat", media);
    if (!shape.movie_box_first) {
        return ftyp + mdat + Moov(shape, ftyp.size() + 8);
    }
    // The movie box's size does not depend on the offsets it holds.
    const std::size_t moov_size = Moov(shape, 0).size();
    return ftyp + Moov(shape, ftyp.size() + moov_size + 8) + mdat;
}

}  // namespace ardelle::testing
