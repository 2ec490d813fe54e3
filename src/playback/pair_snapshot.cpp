#include "playback/pair_snapshot.h"

namespace ardelle::playback {
namespace {

PlayerTarget TargetOf(int player) {
    return player == 0 ? PlayerTarget::kFront : PlayerTarget::kRear;
}

}  // namespace

bool PairSnapshotPlayers::IsInitialised(int player) const {
    return (player == 0 || player == 1) && pair_.player(player).initialised != 0;
}

std::int64_t PairSnapshotPlayers::CurrentFrame() {
    int index = pair_.ReferencePlayer();
    if (pair_.player(index).opened == 0) {
        index = 1 - index;
    }
    if (pair_.player(index).opened == 0 || pair_.player(index).initialised == 0) {
        return -1;
    }
    return pair_.GetPositionFrames(TargetOf(index));
}

bool PairSnapshotPlayers::SaveSnapshot(int player, const std::string& path) {
    return IsInitialised(player) && pair_.SaveSnapshot(TargetOf(player), path) == 1;
}

}  // namespace ardelle::playback
