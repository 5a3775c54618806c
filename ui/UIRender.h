// Drawing primitives of the toolkit: clipping, colours, gradients, borders, text and images.
// Colours are 0xAARRGGBB; an alpha below 255 blends the colour over what is already there.
#pragma once

#include <windows.h>

#include <string>

#include "ui/UIDrawResources.h"

// Restricts drawing on a device context to a rectangle (optionally rounded) for its lifetime
// and restores the previous clip region afterwards.
class CRenderClip {
public:
    CRenderClip() = default;
    ~CRenderClip();
    CRenderClip(const CRenderClip&) = delete;
    CRenderClip& operator=(const CRenderClip&) = delete;

    static void GenerateClip(HDC hDC, RECT rc, CRenderClip& clip);
    static void GenerateRoundClip(HDC hDC, RECT rc, RECT rcItem, int width, int height,
                                  CRenderClip& clip);
    static void UseOldClipBegin(HDC hDC, CRenderClip& clip);
    static void UseOldClipEnd(HDC hDC, CRenderClip& clip);

    RECT rcItem = {0, 0, 0, 0};
    HDC hDC = nullptr;
    HRGN hRgn = nullptr;
    HRGN hOldRgn = nullptr;
};

class CRenderEngine {
public:
    // Decodes an image file's bytes (PNG, JPEG, BMP, GIF first frame, ... through stb_image)
    // into a premultiplied 32-bit top-down bitmap; pixels equal to `mask` (0xAARRGGBB, 0 for
    // none) become transparent. Returns null for data that is not an image, for images wider
    // or higher than kMaxImageSide and for buffers larger than kMaxImageBytes.
    static constexpr size_t kMaxImageBytes = 16u * 1024u * 1024u;
    static constexpr int kMaxImageSide = 8192;
    static TImageInfo* LoadImage(const BYTE* data, size_t size, DWORD mask = 0);
    // Reads the image `name` (a file under the resource path, else the bare name; or a
    // compiled-in resource when `type` is given and `name` is a number) and decodes it.
    static TImageInfo* LoadImage(const std::string& name, const std::string& type = "",
                                 DWORD mask = 0);
    static void FreeImage(TImageInfo* image);
    static HBITMAP CreateARGB32Bitmap(HDC hDC, int cx, int cy, BYTE** pBits);

    // Draws the part `rcBmpPart` of a bitmap into `rc` (clipped to `rcPaint`), keeping the
    // nine-grid border `rcCorners` unstretched, with the given opacity. The border's size in
    // the destination is `rcDestCorners` when given (a larger drawing, or a higher DPI).
    static void DrawImage(HDC hDC, HBITMAP hBitmap, const RECT& rc, const RECT& rcPaint,
                          const RECT& rcBmpPart, const RECT& rcCorners, bool bAlpha,
                          BYTE uFade = 255, bool hole = false, bool xtiled = false,
                          bool ytiled = false, const RECT* rcDestCorners = nullptr);
    // Draws an image attribute value (bare file name, or key='value' pairs: file, res,
    // restype, dest, source, corner, mask, fade, hole, xtiled, ytiled) into rcItem; keys of
    // `modify` override those of `image`. Returns false when the image cannot be drawn.
    static bool DrawImageString(HDC hDC, IDrawResources* pManager, const RECT& rcItem,
                                const RECT& rcPaint, const std::string& image,
                                const std::string& modify = "");
    // Parses an image attribute value (with an optional modifier) into `info`.
    static void ParseDrawInfo(const std::string& image, const std::string& modify, TDrawInfo& info);

    static void DrawColor(HDC hDC, const RECT& rc, DWORD color);
    static void DrawGradient(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond, bool bVertical,
                             int nSteps = 64);
    static void DrawLine(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor,
                         int nStyle = PS_SOLID);
    static void DrawRect(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor,
                         int nStyle = PS_SOLID);
    static void DrawRoundRect(HDC hDC, const RECT& rc, int width, int height, int nSize,
                              DWORD dwPenColor, int nStyle = PS_SOLID);
    // Plain text with DrawText flags (DT_...), in font `iFont` of the manager (-1 default).
    static void DrawText(HDC hDC, IDrawResources* pManager, RECT& rc, const std::string& text,
                         DWORD dwTextColor, int iFont, UINT uStyle);
    // Text with inline markup: {b} {i} {u} {s} {c #AARRGGBB} {f n} {a} {n} {p n} {r} {x n}
    // {y n} (or the same in angle brackets). Link rectangles are stored in prcLinks (at most
    // nLinkRects entries, the count found is returned in nLinkRects); sLinks gets the link
    // texts. With DT_CALCRECT only the needed rectangle is computed.
    static void DrawHtmlText(HDC hDC, IDrawResources* pManager, RECT& rc, const std::string& text,
                             DWORD dwTextColor, RECT* prcLinks, std::string* sLinks,
                             int& nLinkRects, int iFont, UINT uStyle);
    // Size of `text` in the manager's font `iFont`.
    static SIZE GetTextSize(HDC hDC, IDrawResources* pManager, const std::string& text, int iFont,
                            UINT uStyle);
};
