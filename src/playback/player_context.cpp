#include "playback/player_context.h"

#include "playback/media_session.h"

namespace ardelle::playback {

PlayerContext::PlayerContext() = default;
PlayerContext::~PlayerContext() = default;

}  // namespace ardelle::playback
