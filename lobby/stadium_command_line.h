#pragma once
// The parameter text the game is started with, for a match and for a preview.

#include <string>
#include <string_view>

#include "lobby/game_options.h"

// "%s %d %s %d %d /r%d /s%d /m%d /f%d %s": address, port, player name, size,
// mode, frame rate, shadow, model, fog, extra. Size comes before mode, the
// player name goes in unquoted, and an empty extra leaves a trailing blank.
// CP932 bytes in, CP932 bytes out.
std::string GameParameterText(std::string_view address, int port, std::string_view playerName,
                              const GameOptions& options, std::string_view extra);
