#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include "map/map_protocol.h"

namespace ardelle::map {

class CGoogleMapDlgWrap;

// The object the map page reaches as "sample" over the web channel. It forwards every
// page call to the bridge; without a bridge the calls answer empty. The web message
// reaches the page as the signal webMessage with the already parsed object.
class MapHostObject : public QObject {
    Q_OBJECT

  public:
    MapHostObject(CGoogleMapDlgWrap* bridge, TileSource tiles, QObject* parent = nullptr);

    void DetachBridge() { bridge_ = nullptr; }
    // Parses the bridge's message text and sends it to the page with the current frame;
    // text that is not a JSON object is dropped.
    void PostWebMessage(const std::string& json_text, int current_frame);

    Q_INVOKABLE int JS2C_ConnectTest();
    Q_INVOKABLE void JS2C_OnInitHtml();
    Q_INVOKABLE QVariantList JS2C_GetGPSData();
    Q_INVOKABLE QVariantList JS2C_GetGridData(const QString& ignored);
    Q_INVOKABLE QString JS2C_GetRelJpgNum();
    Q_INVOKABLE void JS2C_OnClickCrashPoint(int ifile, int igrid, int ipos, int valid, double lat,
                                            double lng, double speed, double direction);
    Q_INVOKABLE QString JS2C_GetMapURL();
    Q_INVOKABLE void JS2C_SetSend();
    // Additions of this page: where tiles come from, and the mark names for tool tips.
    Q_INVOKABLE QVariantMap JS2C_GetTileLayer();
    Q_INVOKABLE QStringList JS2C_GetMarkNames();

  signals:
    // The frame rides along so that a move of the marker needs no further call.
    void webMessage(const QJsonObject& message, int currentFrame);

  private:
    CGoogleMapDlgWrap* bridge_;
    TileSource tiles_;
};

}  // namespace ardelle::map
