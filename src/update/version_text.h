#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace ardelle::update {

inline constexpr const char* kViewerVersion = "1.0.0";
inline constexpr const char* kVersionMarker = "VER:";
// Only this many bytes of a text with the marker are looked at.
inline constexpr int kMarkerTextBytes = 1024;
// A version keeps at most this many characters (UTF-16 units, never half a pair).
inline constexpr int kVersionMaxChars = 259;

// The characters before the third '.'; a text with fewer than three stays whole.
QString CutVersion(const QString& version);

// YYMMDD -> YY/MM/DD: a '/' after each character at an odd position other than 5.
QString DateForm(const QString& version);

// At most max_chars UTF-16 units of text, ending before a split surrogate pair.
QString CutText(const QString& text, int max_chars);

// The version a served text states. The bytes up to the first NUL are read as UTF-8 (a
// broken sequence reads as U+FFFD). With the marker only the first kMarkerTextBytes count and
// the version is everything after "VER:", unchanged; without it the whole body is the
// version. Nothing when the marker is missing or the version is empty.
std::optional<QString> VersionFromBody(const QByteArray& body, bool with_marker);

}  // namespace ardelle::update
