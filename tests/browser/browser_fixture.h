#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <string>
#include <vector>

#include "base/user_dialogs.h"
#include "support/run_command.h"

namespace ardelle::testing {

// The message boxes a window shows, recorded and answered with OK.
class RecordedBoxes : public base::MessageBoxes {
  public:
    int Show(std::string_view text, std::string_view caption, base::MessageStyle) override {
        shown.emplace_back(std::string(caption) + ": " + std::string(text));
        return 1;
    }
    std::vector<std::string> shown;
};

// What `ardelle-cli list` prints for source and the arguments.
inline QJsonObject CliListing(const std::string& source, const std::string& arguments = "") {
    const CommandResult result =
        RunCommand(std::string(ARDELLE_BINARY_DIR) + "/src/cli/ardelle-cli list " +
                   ShellQuoted(source) + " " + arguments);
    return QJsonDocument::fromJson(QByteArray::fromStdString(result.output)).object();
}

inline std::vector<std::string> CliEntryNames(const QJsonObject& listing) {
    std::vector<std::string> names;
    for (const QJsonValue& entry : listing["entries"].toArray()) {
        const QJsonObject e = entry.toObject();
        const QString front = e["front_name"].toString();
        names.push_back((front.isEmpty() ? e["rear_name"].toString() : front).toStdString());
    }
    return names;
}

}  // namespace ardelle::testing
