#include "tests/golden/golden_schedule.hpp"

#include "tools/render/frame_pixels.hpp"

const int goldenFormats[goldenFormatCount] = { 8, 15, 16, 24, 32 };

// Same-tick frames, a long pause, and frames well into the orbit.
const uint32_t goldenTicks[goldenTickCount] = { 0, 16, 33, 50, 50, 1017, 5000, 12345, 30000, 54321, 71999, 100000 };

const uint64_t goldenHashes[goldenFormatCount][goldenTickCount] = {
    { 0xAA78B601F6C37E33ull, 0x0B2735EF46B758FFull, 0x2CEC03B1D1599E47ull, 0x895E2D29578E77D3ull, 0x895E2D29578E77D3ull, 0xDDE6B7AC7B7A878Full, 0xEF489C87B3F4A31Eull, 0xE238527349D28608ull, 0x6ACEB7E235D65CBEull, 0x387EE043984F9F6Cull, 0x7491E37598288839ull, 0x576B591178E1E658ull },
    { 0xA33A8C7CDAD10C62ull, 0x983E8775700EA959ull, 0x8C41144DAC890ED3ull, 0x6BAE19DFD0DF5AEFull, 0x6BAE19DFD0DF5AEFull, 0x3EBF4743D7F13996ull, 0xA354893F99B8C4EAull, 0xA16C011ED1CD8C31ull, 0x7DEA59DD1B7CEC89ull, 0x5A278EDC731A161Cull, 0xAF9B5DB5FB984BC8ull, 0x9391CBC38F464577ull },
    { 0x76F751B3D629FC2Dull, 0x88A63A25402761D9ull, 0xC1731F8AF7586F72ull, 0x6FDDCAFFCA407C07ull, 0x6FDDCAFFCA407C07ull, 0x70A069CA4A9127C9ull, 0xDECE0E967831CD7Dull, 0xA89BA850FAD2C253ull, 0x48F66C1F2B368A16ull, 0x6BBAF641A88E08B2ull, 0x7523E4E61BD905C4ull, 0xA3E428E9C7CA3C3Eull },
    { 0xF67F1B24DE7D7702ull, 0x9D14FFA0EEDFBB5Dull, 0xF22AC2DF1B9FC1B1ull, 0x95168434F771D9F0ull, 0x95168434F771D9F0ull, 0xEF16C64A07225D13ull, 0x96E75386267AE17Dull, 0x1C3B1068906371DEull, 0x3A1C3FAA6BA1103Dull, 0x8BC558488BED5B18ull, 0x8493CA6E440E018Aull, 0xFC85F1194643057Full },
    { 0x1A8D63C3B6DF1698ull, 0x984E5FDA14010EA9ull, 0x9B045D1BCB500D5Full, 0x38EA2D5E8A3E1C48ull, 0x38EA2D5E8A3E1C48ull, 0xA15DA69DDF9DD883ull, 0xCA3DCB4E17210453ull, 0x3204D31CE62B5678ull, 0xB3951A4B44D76175ull, 0xE651BEB152C83DF0ull, 0xB3094747DEB44A36ull, 0x27E4EAE5CDED1917ull },
};

const uint64_t goldenLongRunHash = 0x7C1139E4D337B0FBull;

void RenderGoldenSchedule(int format, FrameBuffer& buffer, uint64_t (&hashes)[goldenTickCount])
{
    StartRendering(*FindRenderFormat(format), buffer);
    for (int i = 0; i < goldenTickCount; ++i) {
        RenderFrame(goldenTicks[i], buffer);
        hashes[i] = HashFrame(buffer);
    }
}

uint64_t RenderLongRun(FrameBuffer& buffer)
{
    StartRendering(*FindRenderFormat(32), buffer);
    uint64_t combined = 0;
    for (uint32_t frame = 1; frame <= longRunFrames; ++frame) {
        RenderFrame(frame * longRunTickStep, buffer);
        combined = (combined ^ HashFrame(buffer)) * 0x100000001B3ull;
    }
    return combined;
}
