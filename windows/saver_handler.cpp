#include "windows/saver_handler.hpp"

#include "windows/direct_draw.hpp"
#include "windows/fallback_text.hpp"
#include "windows/frame_cycle.hpp"
#include "engine/frame/image_placement.hpp"
#include "resources/resource_ids.h"
#include "windows/saver_window.hpp"

namespace {

UINT clientWidth = 0;
UINT clientHeight = 0;
HBITMAP previewBitmap = nullptr;
LONG previewBitmapWidth = 0;
LONG previewBitmapHeight = 0;

// cp932: "DirectDraw initialisation error" and "display colours (256 or more) ".
constexpr char directDrawErrorText[] = "DirectDraw\x8F\x89\x8A\xFA\x89\xBB\x83\x47\x83\x89\x81\x5B";
constexpr char needColoursText[] = "\x95\x4B\x97\x76\x95\x5C\x8E\xA6\x90\x46\x81\x69" "256" "\x88\xC8\x8F\xE3\x81\x6A ";
constexpr int fallbackTextBytes = 22;
static_assert(sizeof directDrawErrorText - 1 == fallbackTextBytes && sizeof needColoursText - 1 == fallbackTextBytes);

RECT ToRect(ImageRectangle rectangle)
{
    return RECT { rectangle.left, rectangle.top, rectangle.right, rectangle.bottom };
}

void OnCreate(HWND window)
{
    RECT client {};
    GetClientRect(window, &client);
    clientWidth = static_cast<UINT>(client.right - client.left);
    clientHeight = static_cast<UINT>(client.bottom - client.top);
    displayWindow = window;
    destRect = ToRect(CentredImage(clientWidth, clientHeight));
    sourceRect = ToRect(WholeImage());
    if (previewMode) {
        const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
        previewBitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(previewBitmapId));
        BITMAP size {};
        if (previewBitmap != nullptr && GetObjectA(previewBitmap, sizeof size, &size) != 0) {
            previewBitmapWidth = size.bmWidth;
            previewBitmapHeight = size.bmHeight;
        }
        InvalidateRect(window, nullptr, FALSE);
        return;
    }
    SetUpDirectDraw();
    if (directDraw != nullptr)
        StartFrameTimer();
}

void OnDestroy()
{
    if (previewMode) {
        DeleteObject(previewBitmap);
        return;
    }
    StopFrameTimer();
    TearDownDirectDraw();
}

void PaintPreview(HDC target)
{
    // Without its picture the preview shows black rather than an undefined size.
    if (previewBitmap == nullptr || previewBitmapWidth <= 0 || previewBitmapHeight <= 0) {
        RECT client { 0, 0, static_cast<LONG>(clientWidth), static_cast<LONG>(clientHeight) };
        FillRect(target, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        return;
    }
    HDC memory = CreateCompatibleDC(target);
    HGDIOBJ previous = SelectObject(memory, previewBitmap);
    SetStretchBltMode(target, COLORONCOLOR);
    StretchBlt(target, 0, 0, static_cast<int>(clientWidth), static_cast<int>(clientHeight), memory, 0, 0,
        previewBitmapWidth, previewBitmapHeight, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

void OnPaint(HWND window)
{
    // While DirectDraw runs the frame cycle owns the screen.
    if (directDraw != nullptr)
        return;
    PAINTSTRUCT paint;
    HDC target = BeginPaint(window, &paint);
    if (previewMode) {
        PaintPreview(target);
    } else {
        const TextPosition at = FallbackTextPosition(clientWidth, clientHeight);
        TextOutA(target, at.x, at.y, unsupportedDepth != 0 ? needColoursText : directDrawErrorText, fallbackTextBytes);
    }
    EndPaint(window, &paint);
}

} // namespace

LRESULT SaverMessageHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        break;
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_PAINT:
        OnPaint(window);
        break;
    case WM_USER:
        if (directDraw != nullptr)
            RunFrame();
        break;
    default:
        break;
    }
    return SaverDefaultProc(window, message, wParam, lParam);
}
