#include "base/ini_text.h"

#include <vector>

namespace ardelle::base {
namespace {

struct Line {
    std::string_view text;  // without its line end
    size_t begin = 0;       // offset of the line in the whole text
    size_t end = 0;         // offset just past its line end
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t newline = text.find('\n', begin);
        const size_t end = newline == std::string_view::npos ? text.size() : newline + 1;
        size_t content_end = newline == std::string_view::npos ? text.size() : newline;
        if (content_end > begin && text[content_end - 1] == '\r') {
            --content_end;
        }
        lines.push_back({text.substr(begin, content_end - begin), begin, end});
        begin = end;
    }
    return lines;
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// The section name of a "[name]" line, or nothing for other lines.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    const size_t close = line.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(line.substr(1, close - 1));
}

// The key of a "key=value" line, or nothing when the line holds no '='.
std::optional<std::string_view> KeyName(std::string_view line) {
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(line.substr(0, equals));
}

std::string_view ValueOf(std::string_view line) {
    std::string_view value = Trim(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

// Where a section's lines are: the index of its header line and one past its last key line.
struct SectionSpan {
    size_t header = 0;
    size_t last_content = 0;  // index of the last non-blank line of the section
    std::optional<size_t> key_line;
};

std::optional<SectionSpan> LocateSection(const std::vector<Line>& lines, std::string_view section,
                                         std::string_view key) {
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i].text);
        if (!name || !EqualsIgnoringAsciiCase(*name, section)) {
            continue;
        }
        SectionSpan span{i, i, std::nullopt};
        for (size_t j = i + 1; j < lines.size() && !SectionName(lines[j].text); ++j) {
            if (!Trim(lines[j].text).empty()) {
                span.last_content = j;
            }
            const auto found = KeyName(lines[j].text);
            if (!span.key_line && found && EqualsIgnoringAsciiCase(*found, key)) {
                span.key_line = j;
            }
        }
        return span;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> FindIniValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
    const std::vector<Line> lines = SplitLines(text);
    const auto span = LocateSection(lines, section, key);
    if (!span || !span->key_line) {
        return std::nullopt;
    }
    return std::string(ValueOf(lines[*span->key_line].text));
}

bool IsStorableIniKey(std::string_view section, std::string_view key, std::string_view value) {
    const auto has_line_break = [](std::string_view s) {
        return s.find_first_of("\r\n") != std::string_view::npos;
    };
    return !Trim(section).empty() && !Trim(key).empty() && !has_line_break(section) &&
           !has_line_break(key) && !has_line_break(value) &&
           section.find(']') == std::string_view::npos && key.find('=') == std::string_view::npos &&
           key.front() != '[';
}

std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value) {
    const std::string_view eol = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    const std::string key_line = std::string(key) + "=" + std::string(value);
    const std::vector<Line> lines = SplitLines(text);
    const auto span = LocateSection(lines, section, key);
    std::string result;
    if (!span) {
        result.assign(text);
        if (!result.empty() && result.back() != '\n') {
            result += eol;
        }
        result += '[';
        result += section;
        result += ']';
        result += eol;
        result += key_line;
        result += eol;
        return result;
    }
    if (span->key_line) {
        const Line& line = lines[*span->key_line];
        const size_t content_end = line.begin + line.text.size();
        result.assign(text.substr(0, line.begin));
        result += key_line;
        result.append(text.substr(content_end));
        return result;
    }
    const Line& last = lines[span->last_content];
    result.assign(text.substr(0, last.end));
    if (last.end == last.begin + last.text.size()) {
        result += eol;  // the section's last line had no line end of its own
    }
    result += key_line + std::string(eol);
    result.append(text.substr(last.end));
    return result;
}

}  // namespace ardelle::base
