#include "lobby/stadium_command_line.h"

std::string GameParameterText(std::string_view address, int port, std::string_view playerName,
                              const GameOptions& options, std::string_view extra) {
  std::string text;
  text.reserve(address.size() + playerName.size() + extra.size() + 48);
  text.append(address).append(" ").append(std::to_string(port)).append(" ").append(playerName);
  text.append(" ").append(std::to_string(options.GameSize));
  text.append(" ").append(std::to_string(options.GameMode));
  text.append(" /r").append(std::to_string(options.GameFrameRate));
  text.append(" /s").append(std::to_string(options.GameShadow));
  text.append(" /m").append(std::to_string(options.GameModel));
  text.append(" /f").append(std::to_string(options.GameFog));
  text.append(" ").append(extra);
  return text;
}
