#pragma once
// The game's display options as the game options dialog shows them (indexes),
// stored in the settings file and put unchanged on the game command line.

struct GameOptions {
  int GameMode = 0;       // 0 window, 1 full screen
  int GameSize = 7;       // index into the dialog's 13 sizes; 7 is 1024x576 (Wide)
  int GameFrameRate = 0;  // 0: 30 fps, 1: 60 fps
  int GameShadow = 1;     // 0 none, 1 ball only, 2 ball and bodies
  int GameModel = 1;      // 0 low spec, 1 high quality
  int GameFog = 0;        // 0 no fog, 1 fog
};
