// The saver's pictures, made from the engine itself: bitmap 103 (a 160x120
// still of the scene, 8 bits with a 256-colour table) and icon group 102 (the
// flower at 32x32 in 16 and 256 colours and 16x16 in 16 colours).
#pragma once

#include <cstdint>
#include <vector>

using FileBytes = std::vector<uint8_t>;

FileBytes MakePreviewBitmap();
FileBytes MakeSaverIcon();
