#pragma once

#include <string>
#include <vector>

class TMusicLib;

// One pass of a module as the game hears it: played through the music library until its order
// position comes back to 0 (or maxSeconds have passed). Interleaved stereo at rate.
struct TSongPass {
  std::vector<float> Stereo;
  double Seconds = 0.0;
  bool CameBack = false;  // the order position returned to 0
};
TSongPass RenderSongPass(TMusicLib& music, const std::string& path, int rate, double maxSeconds);

// The tempo a module of ours is written in (rows of speed 6, sixteen rows a bar), from its header.
int ModuleBpm(const std::string& path);
