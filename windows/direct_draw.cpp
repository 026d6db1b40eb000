#include "windows/direct_draw.hpp"

#include "engine/engine.hpp"

LPDIRECTDRAW directDraw = nullptr;
LPDIRECTDRAWSURFACE primarySurface = nullptr;
LPDIRECTDRAWSURFACE offscreenSurface = nullptr;
WORD unsupportedDepth = 0;
HWND displayWindow = nullptr;

static_assert(sizeof(PALETTEENTRY) == sizeof(PaletteEntry));
static_assert(sizeof(void*) != 4 || (sizeof(DDSURFACEDESC) == 108 && sizeof(DDPIXELFORMAT) == 32));

namespace {

LPDIRECTDRAWPALETTE palette = nullptr;
LPDIRECTDRAWCLIPPER clipper = nullptr;
PALETTEENTRY paletteEntries[paletteSize];

// Releasing the DirectDraw object releases every object made from it.
void GiveUp()
{
    directDraw->Release();
    directDraw = nullptr;
}

bool CreatePrimarySurface()
{
    DDSURFACEDESC description {};
    description.dwSize = sizeof description;
    description.dwFlags = DDSD_CAPS;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    return SUCCEEDED(directDraw->CreateSurface(&description, &primarySurface, nullptr));
}

bool InstallUniformPalette()
{
    DisplayDescriptor::BuildUniformPalette(reinterpret_cast<PaletteEntry*>(paletteEntries));
    return SUCCEEDED(directDraw->CreatePalette(DDPCAPS_8BIT, paletteEntries, &palette, nullptr))
        && SUCCEEDED(primarySurface->SetPalette(palette));
}

bool CreateOffscreenSurface()
{
    DDSURFACEDESC description {};
    description.dwSize = sizeof description;
    description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    description.dwHeight = imageHeight;
    description.dwWidth = imageWidth;
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    return SUCCEEDED(directDraw->CreateSurface(&description, &offscreenSurface, nullptr));
}

bool AttachClipper()
{
    return SUCCEEDED(directDraw->CreateClipper(0, &clipper, nullptr))
        && SUCCEEDED(clipper->SetHWnd(0, displayWindow))
        && SUCCEEDED(primarySurface->SetClipper(clipper));
}

} // namespace

void SetUpDirectDraw()
{
    if (directDraw != nullptr)
        return;
    if (FAILED(DirectDrawCreate(nullptr, &directDraw, nullptr))) {
        directDraw = nullptr;
        return;
    }
    if (FAILED(directDraw->SetCooperativeLevel(displayWindow, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN))
        || !CreatePrimarySurface())
        return GiveUp();

    DDPIXELFORMAT format {};
    format.dwSize = sizeof format;
    // A format that cannot be read has no bit count to go by.
    if (FAILED(primarySurface->GetPixelFormat(&format)))
        return GiveUp();
    if (!IsSupportedBitCount(format.dwRGBBitCount)) {
        unsupportedDepth = 1;
        return GiveUp();
    }
    if (format.dwRGBBitCount == 8 && !InstallUniformPalette())
        return GiveUp();
    if (!CreateOffscreenSurface() || !AttachClipper())
        return GiveUp();
    // The bit count was checked above: the engine starts.
    StartEngine(GetTickCount(), PixelFormat { format.dwRGBBitCount, format.dwRBitMask, format.dwGBitMask, format.dwBBitMask });
}

void TearDownDirectDraw()
{
    if (directDraw != nullptr) {
        directDraw->Release();
        directDraw = nullptr;
    }
}
