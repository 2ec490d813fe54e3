#include "map/map_host_object.h"

#include <QJsonDocument>

#include "base/ui_text.h"
#include "map/map_bridge.h"

namespace ardelle::map {

namespace {

QVariantList ToVariantList(const TrackPayload& payload) {
    QVariantList list;
    list.reserve(static_cast<qsizetype>(payload.values.size()));
    for (double value : payload.values)
        list.append(value);
    return list;
}

}  // namespace

MapHostObject::MapHostObject(CGoogleMapDlgWrap* bridge, TileSource tiles, QObject* parent)
    : QObject(parent), bridge_(bridge), tiles_(std::move(tiles)) {}

void MapHostObject::PostWebMessage(const std::string& json_text, int current_frame) {
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromStdString(json_text), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return;
    emit webMessage(document.object(), current_frame);
}

int MapHostObject::JS2C_ConnectTest() {
    return bridge_ ? bridge_->JS2C_ConnectTest() : 0;
}

void MapHostObject::JS2C_OnInitHtml() {
    if (bridge_)
        bridge_->JS2C_OnInitHtml();
}

QVariantList MapHostObject::JS2C_GetGPSData() {
    return ToVariantList(bridge_ ? bridge_->JS2C_GetGPSData() : TrackPayload{});
}

QVariantList MapHostObject::JS2C_GetGridData(const QString& /*ignored*/) {
    return ToVariantList(bridge_ ? bridge_->JS2C_GetGridData() : TrackPayload{});
}

QString MapHostObject::JS2C_GetRelJpgNum() {
    return bridge_ ? QString::fromStdString(bridge_->JS2C_GetRelJpgNum()) : QString();
}

void MapHostObject::JS2C_OnClickCrashPoint(int /*ifile*/, int /*igrid*/, int ipos, int /*valid*/,
                                           double /*lat*/, double /*lng*/, double /*speed*/,
                                           double /*direction*/) {
    if (bridge_)
        bridge_->JS2C_OnClickCrashPoint(ipos);
}

QString MapHostObject::JS2C_GetMapURL() {
    return bridge_ ? QString::fromStdString(bridge_->JS2C_GetMapURL()) : QString();
}

void MapHostObject::JS2C_SetSend() {
    if (bridge_)
        bridge_->JS2C_SetSend();
}

QVariantMap MapHostObject::JS2C_GetTileLayer() {
    return {{"url", QString::fromStdString(tiles_.url_template)},
            {"attribution", QString::fromStdString(tiles_.attribution)}};
}

QStringList MapHostObject::JS2C_GetMarkNames() {
    QStringList names;
    for (int kind = 0; kind < 14; ++kind) {
        names.append(QString::fromUtf8(base::UiText(MarkNameTextId(kind))));
    }
    return names;
}

}  // namespace ardelle::map
