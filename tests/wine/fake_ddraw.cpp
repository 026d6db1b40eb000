// Test-only ddraw.dll, loaded beside the saver with WINEDLLOVERRIDES=ddraw=n,b.
// It reports the pixel format a test chooses, fails at a chosen step of the
// set-up, logs every call it gets, and keeps a drawn frame for the test.
//   AURILO_FAKE_DDRAW   "bits=N", "masks=R:G:B" (hex), "fail=STEP", "hz=N" (the
//                       rate it reports, with a vertical blank that returns at
//                       once, as Wine's), "lock-fails=N" (the Nth lock fails),
//                       comma-separated
//   AURILO_FAKE_LOG     file that receives one line per call
//   AURILO_FAKE_FRAME   file that receives the raw bytes of the fifth frame drawn
// STEP: DirectDrawCreate, SetCooperativeLevel, CreatePrimary, GetPixelFormat,
// CreatePalette, SetPalette, CreateOffscreen, CreateClipper, SetHWnd, SetClipper.
#include <windows.h>
#include <ddraw.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/wine/test_log.hpp"

namespace {

struct Settings {
    DWORD bits = 32;
    DWORD masks[3] = { 0xFF0000, 0xFF00, 0xFF };
    std::string failStep;
    DWORD refreshRate = 0; // 0: reports none, and waits for a 60 Hz blank
    DWORD failingLock = 0;
} settings;

std::string Variable(const char* name)
{
    char value[512] = "";
    GetEnvironmentVariableA(name, value, sizeof value);
    return value;
}

void ReadSettings()
{
    std::string text = Variable("AURILO_FAKE_DDRAW") + ",";
    for (size_t start = 0, comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1) {
        const std::string item = text.substr(start, comma - start);
        if (item.rfind("bits=", 0) == 0)
            settings.bits = std::strtoul(item.c_str() + 5, nullptr, 10);
        else if (item.rfind("masks=", 0) == 0)
            std::sscanf(item.c_str() + 6, "%lx:%lx:%lx", &settings.masks[0], &settings.masks[1], &settings.masks[2]);
        else if (item.rfind("fail=", 0) == 0)
            settings.failStep = item.substr(5);
        else if (item.rfind("hz=", 0) == 0)
            settings.refreshRate = std::strtoul(item.c_str() + 3, nullptr, 10);
        else if (item.rfind("lock-fails=", 0) == 0)
            settings.failingLock = std::strtoul(item.c_str() + 11, nullptr, 10);
    }
}

template <typename... Values>
void Log(const char* format, Values... values)
{
    AppendLogLine("AURILO_FAKE_LOG", format, values...);
}

// Logs the step and answers as the test asked.
HRESULT Step(const char* name)
{
    const bool failing = settings.failStep == name;
    Log("%s%s", name, failing ? " failed" : "");
    return failing ? DDERR_GENERIC : DD_OK;
}

bool IsUniformPalette(const PALETTEENTRY* entries)
{
    for (int i = 0; i < 256; ++i) {
        const PALETTEENTRY& e = entries[i];
        if (e.peRed != ((i >> 5) & 7) * 255 / 7 || e.peGreen != ((i >> 2) & 7) * 255 / 7 || e.peBlue != (i & 3) * 255 / 3
            || e.peFlags != 0)
            return false;
    }
    return true;
}

#define UNSUPPORTED(signature) STDMETHOD(signature) override { return DDERR_UNSUPPORTED; }

struct FakePalette : IDirectDrawPalette {
    STDMETHOD_(HRESULT, QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override { return 0; }
    UNSUPPORTED(GetCaps(LPDWORD))
    UNSUPPORTED(GetEntries(DWORD, DWORD, DWORD, LPPALETTEENTRY))
    UNSUPPORTED(Initialize(LPDIRECTDRAW, DWORD, LPPALETTEENTRY))
    UNSUPPORTED(SetEntries(DWORD, DWORD, DWORD, LPPALETTEENTRY))
} fakePalette;

struct FakeClipper : IDirectDrawClipper {
    STDMETHOD_(HRESULT, QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override { return 0; }
    UNSUPPORTED(GetClipList(LPRECT, LPRGNDATA, LPDWORD))
    UNSUPPORTED(GetHWnd(HWND*))
    UNSUPPORTED(Initialize(LPDIRECTDRAW, DWORD))
    UNSUPPORTED(IsClipListChanged(WINBOOL*))
    UNSUPPORTED(SetClipList(LPRGNDATA, DWORD))
    STDMETHOD(SetHWnd)(DWORD, HWND window) override { return window != nullptr ? Step("SetHWnd") : DDERR_INVALIDPARAMS; }
} fakeClipper;

DWORD firstFrameTick = 0;
DWORD lastFrameTick = 0;
DWORD locks = 0;
// Frame requests already waiting when a frame reaches the screen: the saver
// must post none while one is on its way.
DWORD requestsQueued = 0;

bool FrameRequestWaiting()
{
    MSG message;
    return PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE) != 0;
}

struct FakeSurface : IDirectDrawSurface {
    bool primary = false;
    DWORD frames = 0;
    static BYTE pixels[480][640 * 4 + 64]; // a pitch wider than a row, as real surfaces have

    STDMETHOD_(HRESULT, QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override { return 0; }
    UNSUPPORTED(AddAttachedSurface(LPDIRECTDRAWSURFACE))
    UNSUPPORTED(AddOverlayDirtyRect(LPRECT))
    STDMETHOD(Blt)(LPRECT to, LPDIRECTDRAWSURFACE source, LPRECT, DWORD flags, LPDDBLTFX effects) override
    {
        if (!primary && (flags & DDBLT_COLORFILL) && effects != nullptr)
            for (auto& row : pixels)
                std::memset(row, static_cast<int>(effects->dwFillColor), sizeof row);
        if (primary) {
            lastFrameTick = GetTickCount();
            firstFrameTick = frames == 0 ? lastFrameTick : firstFrameTick;
            requestsQueued += FrameRequestWaiting() ? 1 : 0;
        }
        if (primary && frames++ < 3)
            Log("Blt to primary %ld,%ld,%ld,%ld from %s", to->left, to->top, to->right, to->bottom,
                source != nullptr ? "offscreen" : "none");
        return DD_OK;
    }
    UNSUPPORTED(BltBatch(LPDDBLTBATCH, DWORD, DWORD))
    UNSUPPORTED(BltFast(DWORD, DWORD, LPDIRECTDRAWSURFACE, LPRECT, DWORD))
    UNSUPPORTED(DeleteAttachedSurface(DWORD, LPDIRECTDRAWSURFACE))
    UNSUPPORTED(EnumAttachedSurfaces(LPVOID, LPDDENUMSURFACESCALLBACK))
    UNSUPPORTED(EnumOverlayZOrders(DWORD, LPVOID, LPDDENUMSURFACESCALLBACK))
    UNSUPPORTED(Flip(LPDIRECTDRAWSURFACE, DWORD))
    UNSUPPORTED(GetAttachedSurface(LPDDSCAPS, LPDIRECTDRAWSURFACE*))
    UNSUPPORTED(GetBltStatus(DWORD))
    UNSUPPORTED(GetCaps(LPDDSCAPS))
    UNSUPPORTED(GetClipper(LPDIRECTDRAWCLIPPER*))
    UNSUPPORTED(GetColorKey(DWORD, LPDDCOLORKEY))
    UNSUPPORTED(GetDC(HDC*))
    UNSUPPORTED(GetFlipStatus(DWORD))
    UNSUPPORTED(GetOverlayPosition(LPLONG, LPLONG))
    UNSUPPORTED(GetPalette(LPDIRECTDRAWPALETTE*))
    STDMETHOD(GetPixelFormat)(LPDDPIXELFORMAT format) override
    {
        format->dwFlags = DDPF_RGB | (settings.bits == 8 ? DDPF_PALETTEINDEXED8 : 0);
        format->dwRGBBitCount = settings.bits;
        format->dwRBitMask = settings.bits == 8 ? 0 : settings.masks[0];
        format->dwGBitMask = settings.bits == 8 ? 0 : settings.masks[1];
        format->dwBBitMask = settings.bits == 8 ? 0 : settings.masks[2];
        return Step("GetPixelFormat");
    }
    UNSUPPORTED(GetSurfaceDesc(LPDDSURFACEDESC))
    UNSUPPORTED(Initialize(LPDIRECTDRAW, LPDDSURFACEDESC))
    UNSUPPORTED(IsLost())
    STDMETHOD(Lock)(LPRECT, LPDDSURFACEDESC description, DWORD, HANDLE) override
    {
        if (++locks == settings.failingLock) {
            Log("Lock %lu failed", locks);
            return DDERR_SURFACELOST;
        }
        description->lpSurface = pixels;
        description->lPitch = sizeof pixels[0];
        return DD_OK;
    }
    UNSUPPORTED(ReleaseDC(HDC))
    UNSUPPORTED(Restore())
    STDMETHOD(SetClipper)(LPDIRECTDRAWCLIPPER) override { return Step("SetClipper"); }
    UNSUPPORTED(SetColorKey(DWORD, LPDDCOLORKEY))
    UNSUPPORTED(SetOverlayPosition(LONG, LONG))
    STDMETHOD(SetPalette)(LPDIRECTDRAWPALETTE) override { return Step("SetPalette"); }
    STDMETHOD(Unlock)(LPVOID) override
    {
        if (++frames == 5)
            KeepFrame();
        return DD_OK;
    }
    UNSUPPORTED(UpdateOverlay(LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDOVERLAYFX))
    UNSUPPORTED(UpdateOverlayDisplay(DWORD))
    UNSUPPORTED(UpdateOverlayZOrder(DWORD, LPDIRECTDRAWSURFACE))

    void KeepFrame()
    {
        const std::string path = Variable("AURILO_FAKE_FRAME");
        FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "wb");
        if (file == nullptr)
            return;
        const size_t rowBytes = 640 * ((settings.bits + 7) / 8);
        for (auto& row : pixels)
            std::fwrite(row, 1, rowBytes, file);
        std::fclose(file);
        Log("frame kept");
    }
};
BYTE FakeSurface::pixels[480][640 * 4 + 64];

FakeSurface primarySurface;
FakeSurface offscreenSurface;

struct FakeDirectDraw : IDirectDraw {
    STDMETHOD_(HRESULT, QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override
    {
        Log("Release");
        if (primarySurface.frames > 1)
            Log("frames %lu in %lu ms, %lu with a request waiting", primarySurface.frames,
                lastFrameTick - firstFrameTick, requestsQueued);
        return 0;
    }
    UNSUPPORTED(Compact())
    STDMETHOD(CreateClipper)(DWORD, LPDIRECTDRAWCLIPPER* clipper, IUnknown*) override
    {
        *clipper = &fakeClipper;
        return Step("CreateClipper");
    }
    STDMETHOD(CreatePalette)(DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* palette, IUnknown*) override
    {
        *palette = &fakePalette;
        Log("palette flags=%lu uniform=%s", flags, IsUniformPalette(entries) ? "yes" : "no");
        return Step("CreatePalette");
    }
    STDMETHOD(CreateSurface)(LPDDSURFACEDESC description, LPDIRECTDRAWSURFACE* surface, IUnknown*) override
    {
        const bool primary = (description->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0;
        *surface = primary ? &primarySurface : &offscreenSurface;
        primarySurface.primary = true;
        if (primary)
            return Step("CreatePrimary");
        Log("offscreen %lux%lu flags=%lu caps=0x%lx", description->dwWidth, description->dwHeight, description->dwFlags,
            description->ddsCaps.dwCaps);
        return Step("CreateOffscreen");
    }
    UNSUPPORTED(DuplicateSurface(LPDIRECTDRAWSURFACE, LPDIRECTDRAWSURFACE*))
    UNSUPPORTED(EnumDisplayModes(DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMMODESCALLBACK))
    UNSUPPORTED(EnumSurfaces(DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMSURFACESCALLBACK))
    UNSUPPORTED(FlipToGDISurface())
    UNSUPPORTED(GetCaps(LPDDCAPS, LPDDCAPS))
    UNSUPPORTED(GetDisplayMode(LPDDSURFACEDESC))
    UNSUPPORTED(GetFourCCCodes(LPDWORD, LPDWORD))
    UNSUPPORTED(GetGDISurface(LPDIRECTDRAWSURFACE*))
    STDMETHOD(GetMonitorFrequency)(LPDWORD rate) override
    {
        *rate = settings.refreshRate;
        return settings.refreshRate != 0 ? DD_OK : DDERR_UNSUPPORTED;
    }
    UNSUPPORTED(GetScanLine(LPDWORD))
    UNSUPPORTED(GetVerticalBlankStatus(WINBOOL*))
    UNSUPPORTED(Initialize(GUID*))
    UNSUPPORTED(RestoreDisplayMode())
    STDMETHOD(SetCooperativeLevel)(HWND, DWORD flags) override
    {
        Log("cooperative flags=0x%lx", flags);
        return Step("SetCooperativeLevel");
    }
    UNSUPPORTED(SetDisplayMode(DWORD, DWORD, DWORD))
    STDMETHOD(WaitForVerticalBlank)(DWORD, HANDLE) override
    {
        // A 60 Hz display: wait for the next sixtieth of a second.
        if (settings.refreshRate == 0)
            Sleep(1000 / 60 - GetTickCount() % (1000 / 60));
        return DD_OK;
    }
} fakeDirectDraw;

} // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI DirectDrawCreate(GUID*, LPDIRECTDRAW* directDraw, IUnknown*)
{
    ReadSettings();
    *directDraw = &fakeDirectDraw;
    return Step("DirectDrawCreate");
}
