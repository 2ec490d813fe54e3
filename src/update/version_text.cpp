#include "update/version_text.h"

namespace ardelle::update {

QString CutVersion(const QString& version) {
    int dots = 0;
    for (qsizetype i = 0; i < version.size(); ++i) {
        if (version[i] == QLatin1Char('.') && ++dots == 3) {
            return version.left(i);
        }
    }
    return version;
}

QString DateForm(const QString& version) {
    QString form;
    for (qsizetype i = 0; i < version.size(); ++i) {
        form.append(version[i]);
        if (i % 2 == 1 && i != 5) {
            form.append(QLatin1Char('/'));
        }
    }
    return form;
}

QString CutText(const QString& text, int max_chars) {
    if (text.size() <= max_chars) {
        return text;
    }
    qsizetype end = max_chars;
    if (end > 0 && text[end - 1].isHighSurrogate()) {
        --end;
    }
    return text.left(end);
}

std::optional<QString> VersionFromBody(const QByteArray& body, bool with_marker) {
    QByteArray bytes = with_marker ? body.left(kMarkerTextBytes) : body;
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0) {
        bytes.truncate(nul);
    }
    QString text = QString::fromUtf8(bytes);
    if (with_marker) {
        const qsizetype marker = text.indexOf(QLatin1String(kVersionMarker));
        if (marker < 0) {
            return std::nullopt;
        }
        text = text.mid(marker + 4);
    }
    if (text.isEmpty()) {
        return std::nullopt;
    }
    return CutText(text, kVersionMaxChars);
}

}  // namespace ardelle::update
