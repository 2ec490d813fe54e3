#pragma once

#include <cstdint>
#include <string>

#include "fileops/snapshot_names.h"
#include "playback/player_pair.h"

namespace ardelle::playback {

// The snapshot command's two players over the real pair: player 0 front, player 1 rear.
class PairSnapshotPlayers : public fileops::SnapshotPlayers {
  public:
    explicit PairSnapshotPlayers(PlayerPair& pair) : pair_(pair) {}

    bool IsInitialised(int player) const override;
    // The position of the reference player, or of the other one when the reference has no
    // file open; -1 when neither has one or the position cannot be read.
    std::int64_t CurrentFrame() override;
    bool SaveSnapshot(int player, const std::string& path) override;

  private:
    PlayerPair& pair_;
};

}  // namespace ardelle::playback
