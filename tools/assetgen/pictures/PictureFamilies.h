#pragma once

#include <vector>

#include "ArtCanvas.h"
#include "ArtParams.h"

using TPictureList = std::vector<TArtPicture>;

// Each family of the game's pictures adds its pictures to the list.
void AddFighters(TPictureList& out, const TArtParams& params);
void AddVehicles(TPictureList& out, const TArtParams& params);
void AddBattlefields(TPictureList& out, const TArtParams& params);
void AddScreens(TPictureList& out, const TArtParams& params);
void AddCounters(TPictureList& out, const TArtParams& params);
void AddEffects(TPictureList& out, const TArtParams& params);

// The whole archive's pictures, in archive order.
TPictureList BuildAllPictures(const TArtParams& params);

// The outline colour shared by every picture.
inline TColor OutlineColor() { return Rgb(0x24140a); }

// The sight's ring and cross hairs in colour c, ringed with the outline ink, centred on (cx, cy).
void Reticle(cairo_t* cr, double cx, double cy, double r, double turn, const TColor& c, double gap);
