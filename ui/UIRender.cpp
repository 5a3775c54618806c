#include "ui/UIRender.h"
#include "ui/UITextWin.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <vector>

// The image decoder is compiled here, once, with its own warnings silenced.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb_image.h>
#pragma GCC diagnostic pop

#include "ui/UIParseWin.h"
#include "ui/UIInlineMarkup.h"
#include "ui/UIResource.h"

namespace {

COLORREF ToColorRef(DWORD argb) {
    return RGB(GetBValue(argb), GetGValue(argb), GetRValue(argb));
}

BYTE AlphaOf(DWORD argb) {
    return BYTE(argb >> 24);
}

bool RectEmpty(const RECT& rc) {
    return rc.right <= rc.left || rc.bottom <= rc.top;
}

bool Intersects(const RECT& a, const RECT& b) {
    RECT tmp;
    return ::IntersectRect(&tmp, &a, &b) != FALSE;
}

// A memory DC with a 32-bit ARGB bitmap selected into it, both released with the object.
class MemoryBitmap {
public:
    MemoryBitmap(HDC hDC, int cx, int cy, BYTE** bits = nullptr)
        : dc_(::CreateCompatibleDC(hDC)),
          bitmap_(CRenderEngine::CreateARGB32Bitmap(hDC, cx, cy, bits)) {
        if (dc_ && bitmap_)
            old_ = ::SelectObject(dc_, bitmap_);
    }
    ~MemoryBitmap() {
        if (old_)
            ::SelectObject(dc_, old_);
        if (bitmap_)
            ::DeleteObject(bitmap_);
        if (dc_)
            ::DeleteDC(dc_);
    }
    MemoryBitmap(const MemoryBitmap&) = delete;
    MemoryBitmap& operator=(const MemoryBitmap&) = delete;
    bool Ok() const { return old_ != nullptr; }
    HDC Dc() const { return dc_; }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_ = nullptr;
};

// Blends a solid colour with partial opacity through a one-pixel bitmap.
void BlendColor(HDC hDC, const RECT& rc, DWORD color) {
    BYTE* bits = nullptr;
    MemoryBitmap pixel(hDC, 1, 1, &bits);
    if (!pixel.Ok() || bits == nullptr)
        return;
    BYTE a = AlphaOf(color);
    bits[0] = BYTE(GetBValue(color) * a / 255); // blue
    bits[1] = BYTE(GetGValue(color) * a / 255); // green
    bits[2] = BYTE(GetRValue(color) * a / 255); // red
    bits[3] = a;
    BLENDFUNCTION bf = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::AlphaBlend(hDC, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, pixel.Dc(), 0, 0,
                 1, 1, bf);
}

// Copies (stretching or tiling) one cell of a bitmap selected into hMem onto hDC.
void BlitCell(HDC hDC, HDC hMem, const RECT& dst, const RECT& src, bool alpha, BYTE fade,
              bool xtiled, bool ytiled) {
    int dw = dst.right - dst.left, dh = dst.bottom - dst.top;
    int sw = src.right - src.left, sh = src.bottom - src.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    auto blit = [&](int x, int y, int w, int h, int sx, int sy, int swp, int shp) {
        if (alpha || fade < 255) {
            BLENDFUNCTION bf = {AC_SRC_OVER, 0, fade, BYTE(alpha ? AC_SRC_ALPHA : 0)};
            ::AlphaBlend(hDC, x, y, w, h, hMem, sx, sy, swp, shp, bf);
        } else if (w == swp && h == shp) {
            ::BitBlt(hDC, x, y, w, h, hMem, sx, sy, SRCCOPY);
        } else {
            ::StretchBlt(hDC, x, y, w, h, hMem, sx, sy, swp, shp, SRCCOPY);
        }
    };
    if (!xtiled && !ytiled) {
        blit(dst.left, dst.top, dw, dh, src.left, src.top, sw, sh);
        return;
    }
    // Tiling: whole source tiles, the last one cut to what is left.
    int stepX = xtiled ? sw : dw;
    int stepY = ytiled ? sh : dh;
    for (int y = dst.top; y < dst.bottom; y += stepY) {
        int h = std::min(stepY, int(dst.bottom - y));
        int shp = ytiled ? h : sh;
        for (int x = dst.left; x < dst.right; x += stepX) {
            int w = std::min(stepX, int(dst.right - x));
            int swp = xtiled ? w : sw;
            blit(x, y, w, h, src.left, src.top, swp, shp);
        }
    }
}

// Splits "key='value' key='value'" into pairs. Stops at the first piece that does not fit.
void ParseImagePairs(const std::string& text, TDrawInfo& info) {
    const char* p = text.c_str();
    while (*p) {
        while (*p == ' ')
            ++p;
        if (!*p)
            break;
        std::string key;
        while (*p && *p != '=' && *p != ' ')
            key += *p++;
        if (*p != '=')
            break;
        ++p;
        if (*p != '\'')
            break;
        ++p;
        std::string value;
        while (*p && *p != '\'')
            value += *p++;
        if (*p != '\'')
            break;
        ++p;
        if (value.empty())
            continue;
        if (key == "file" || key == "res") {
            info.sImageName = value;
        } else if (key == "restype") {
            info.sResType = value;
        } else if (key == "dest") {
            info.rcDest = uiparse::ParseRect(value);
            info.bDestSet = true;
        } else if (key == "source") {
            info.rcSource = uiparse::ParseRect(value, 0, uiparse::kMaxCoord);
            info.bSourceSet = true;
        } else if (key == "corner") {
            info.rcCorner = uiparse::ParseRect(value, 0, uiparse::kMaxCoord);
        } else if (key == "mask") {
            info.dwMask = uiparse::ParseColor(value);
        } else if (key == "fade") {
            info.uFade = BYTE(uiparse::ParseInt(value, 0, 255));
        } else if (key == "hole") {
            info.bHole = uiparse::ParseBool(value);
        } else if (key == "xtiled") {
            info.bTiledX = uiparse::ParseBool(value);
        } else if (key == "ytiled") {
            info.bTiledY = uiparse::ParseBool(value);
        }
    }
}

} // namespace

// ---- CRenderClip ------------------------------------------------------------------------

CRenderClip::~CRenderClip() {
    if (hDC != nullptr) {
        ::SelectClipRgn(hDC, hOldRgn);
        if (hOldRgn)
            ::DeleteObject(hOldRgn);
        if (hRgn)
            ::DeleteObject(hRgn);
    }
}

namespace {

// The clip region selected into a DC now, to be selected back later; null when none is
// selected (restoring then means selecting none).
HRGN CopyClipRegion(HDC hDC) {
    RECT rcClip = {};
    ::GetClipBox(hDC, &rcClip);
    HRGN region = ::CreateRectRgnIndirect(&rcClip);
    if (::GetClipRgn(hDC, region) != 1) {
        ::DeleteObject(region);
        return nullptr;
    }
    return region;
}

} // namespace

void CRenderClip::GenerateClip(HDC hDC, RECT rc, CRenderClip& clip) {
    clip.hOldRgn = CopyClipRegion(hDC);
    clip.hRgn = ::CreateRectRgnIndirect(&rc);
    ::ExtSelectClipRgn(hDC, clip.hRgn, RGN_AND);
    clip.hDC = hDC;
    clip.rcItem = rc;
}

void CRenderClip::GenerateRoundClip(HDC hDC, RECT rc, RECT rcItem, int width, int height,
                                    CRenderClip& clip) {
    clip.hOldRgn = CopyClipRegion(hDC);
    clip.hRgn = ::CreateRectRgnIndirect(&rc);
    HRGN hRgnItem = ::CreateRoundRectRgn(rcItem.left, rcItem.top, rcItem.right + 1,
                                         rcItem.bottom + 1, width, height);
    ::CombineRgn(clip.hRgn, clip.hRgn, hRgnItem, RGN_AND);
    ::ExtSelectClipRgn(hDC, clip.hRgn, RGN_AND);
    clip.hDC = hDC;
    clip.rcItem = rc;
    ::DeleteObject(hRgnItem);
}

void CRenderClip::UseOldClipBegin(HDC hDC, CRenderClip& clip) {
    ::SelectClipRgn(hDC, clip.hOldRgn);
}

void CRenderClip::UseOldClipEnd(HDC hDC, CRenderClip& clip) {
    ::SelectClipRgn(hDC, clip.hRgn);
}

// ---- Images ------------------------------------------------------------------------------

TImageInfo::~TImageInfo() {
    if (hBitmap)
        ::DeleteObject(hBitmap);
}

HBITMAP CRenderEngine::CreateARGB32Bitmap(HDC hDC, int cx, int cy, BYTE** pBits) {
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy; // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    bmi.bmiHeader.biSizeImage = DWORD(cx) * DWORD(cy) * 4;
    void* bits = nullptr;
    HBITMAP hBitmap = ::CreateDIBSection(hDC, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (pBits)
        *pBits = static_cast<BYTE*>(bits);
    return hBitmap;
}

TImageInfo* CRenderEngine::LoadImage(const BYTE* data, size_t size, DWORD mask) {
    if (data == nullptr || size == 0 || size > kMaxImageBytes)
        return nullptr;
    int width = 0, height = 0, comp = 0;
    // Look at the dimensions before decoding so that a huge image is refused cheaply.
    if (!stbi_info_from_memory(data, int(size), &width, &height, &comp))
        return nullptr;
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide)
        return nullptr;
    stbi_uc* rgba = stbi_load_from_memory(data, int(size), &width, &height, &comp, 4);
    if (rgba == nullptr)
        return nullptr;
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) {
        stbi_image_free(rgba);
        return nullptr;
    }
    BYTE* bits = nullptr;
    HBITMAP hBitmap = CreateARGB32Bitmap(nullptr, width, height, &bits);
    if (hBitmap == nullptr || bits == nullptr) {
        if (hBitmap)
            ::DeleteObject(hBitmap);
        stbi_image_free(rgba);
        return nullptr;
    }
    bool alpha = false;
    const size_t count = size_t(width) * size_t(height);
    for (size_t i = 0; i < count; ++i) {
        const BYTE r = rgba[i * 4], g = rgba[i * 4 + 1], b = rgba[i * 4 + 2], a = rgba[i * 4 + 3];
        BYTE* out = bits + i * 4;
        if (a == 255) {
            out[0] = b;
            out[1] = g;
            out[2] = r;
        } else {
            out[0] = BYTE(b * a / 255);
            out[1] = BYTE(g * a / 255);
            out[2] = BYTE(r * a / 255);
        }
        out[3] = a;
        if (a < 255)
            alpha = true;
        const DWORD argb = (DWORD(a) << 24) | (DWORD(r) << 16) | (DWORD(g) << 8) | b;
        if (mask != 0 && argb == mask) {
            out[0] = out[1] = out[2] = out[3] = 0;
            alpha = true;
        }
    }
    stbi_image_free(rgba);
    auto* info = new TImageInfo;
    info->hBitmap = hBitmap;
    info->pBits = bits;
    info->nX = width;
    info->nY = height;
    info->bAlpha = alpha;
    info->dwMask = mask;
    return info;
}

TImageInfo* CRenderEngine::LoadImage(const std::string& name, const std::string& type, DWORD mask) {
    std::string bytes;
    if (!type.empty()) {
        // A compiled-in resource: the name is its number.
        if (name.empty() || !std::isdigit(static_cast<unsigned char>(name[0])))
            return nullptr;
        unsigned long id = std::strtoul(name.c_str(), nullptr, 10);
        if (!CResourceAccess::ReadCompiledResource(nullptr, id, type.c_str(), bytes))
            return nullptr;
    } else if (CResourceAccess::ReadSkinFile(name.c_str(), kMaxImageBytes, bytes) !=
               FileReadStatus::Ok) {
        return nullptr;
    }
    TImageInfo* info = LoadImage(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), mask);
    if (info)
        info->sResType = type;
    return info;
}

void CRenderEngine::FreeImage(TImageInfo* image) {
    delete image;
}

void CRenderEngine::DrawImage(HDC hDC, HBITMAP hBitmap, const RECT& rc, const RECT& rcPaint,
                              const RECT& rcBmpPart, const RECT& rcCorners, bool bAlpha, BYTE uFade,
                              bool hole, bool xtiled, bool ytiled, const RECT* rcDestCorners) {
    if (hDC == nullptr || hBitmap == nullptr || uFade == 0)
        return;
    HDC hMem = ::CreateCompatibleDC(hDC);
    if (!hMem)
        return;
    HGDIOBJ old = ::SelectObject(hMem, hBitmap);
    ::SetStretchBltMode(hDC, COLORONCOLOR);

    const RECT& s = rcBmpPart;
    const RECT& c = rcCorners;
    const RECT& d = rcDestCorners ? *rcDestCorners : rcCorners;
    // The three columns and rows of the nine-grid, in destination and in source.
    const int dx[4] = {rc.left, rc.left + d.left, rc.right - d.right, rc.right};
    const int dy[4] = {rc.top, rc.top + d.top, rc.bottom - d.bottom, rc.bottom};
    const int sx[4] = {s.left, s.left + c.left, s.right - c.right, s.right};
    const int sy[4] = {s.top, s.top + c.top, s.bottom - c.bottom, s.bottom};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            if (row == 1 && col == 1 && hole)
                continue;
            RECT dst = {dx[col], dy[row], dx[col + 1], dy[row + 1]};
            RECT src = {sx[col], sy[row], sx[col + 1], sy[row + 1]};
            if (RectEmpty(dst) || RectEmpty(src) || !Intersects(dst, rcPaint))
                continue;
            // Only the middle cell (and the edges along it) may be tiled.
            bool tx = xtiled && col == 1;
            bool ty = ytiled && row == 1;
            BlitCell(hDC, hMem, dst, src, bAlpha, uFade, tx, ty);
        }
    }
    ::SelectObject(hMem, old);
    ::DeleteDC(hMem);
}

void CRenderEngine::ParseDrawInfo(const std::string& image, const std::string& modify,
                                  TDrawInfo& info) {
    info = TDrawInfo();
    info.sDrawString = image;
    // A value without a key='value' pair is a bare image name.
    if (image.find('=') == std::string::npos)
        info.sImageName = image;
    else
        ParseImagePairs(image, info);
    if (!modify.empty())
        ParseImagePairs(modify, info);
}

bool CRenderEngine::DrawImageString(HDC hDC, IDrawResources* pManager, const RECT& rcItem,
                                    const RECT& rcPaint, const std::string& image,
                                    const std::string& modify) {
    if (pManager == nullptr || hDC == nullptr || image.empty())
        return false;
    const TDrawInfo* info = pManager->GetDrawInfo(image, modify);
    if (info == nullptr || info->sImageName.empty())
        return false;
    const TImageInfo* data = pManager->GetImageEx(info->sImageName, info->sResType, info->dwMask);
    if (data == nullptr || data->hBitmap == nullptr)
        return false;

    // The attribute's numbers are the 100 % drawing's pixels: the destination scales with the
    // window's DPI, the source and its corners with the drawing chosen (name@150, name@200).
    const int dpi = pManager->GetDpi();
    const int drawing = data->scale > 0 ? data->scale : 100;
    auto toDest = [dpi](LONG v) { return LONG(::MulDiv(v, dpi, 96)); };
    auto toSource = [drawing](LONG v) { return LONG(::MulDiv(v, drawing, 100)); };
    RECT rcDest = rcItem;
    if (info->bDestSet) {
        rcDest.left = rcItem.left + toDest(info->rcDest.left);
        rcDest.top = rcItem.top + toDest(info->rcDest.top);
        rcDest.right = std::min<LONG>(rcItem.left + toDest(info->rcDest.right), rcItem.right);
        rcDest.bottom = std::min<LONG>(rcItem.top + toDest(info->rcDest.bottom), rcItem.bottom);
    }
    // The source part is cut to the bitmap; a part that lies wholly outside draws nothing.
    RECT rcSource = {0, 0, data->nX, data->nY};
    if (info->bSourceSet) {
        rcSource.left = std::clamp<LONG>(toSource(info->rcSource.left), 0, data->nX);
        rcSource.top = std::clamp<LONG>(toSource(info->rcSource.top), 0, data->nY);
        rcSource.right = std::clamp<LONG>(toSource(info->rcSource.right), 0, data->nX);
        rcSource.bottom = std::clamp<LONG>(toSource(info->rcSource.bottom), 0, data->nY);
    }
    if (RectEmpty(rcSource) || RectEmpty(rcDest))
        return false;
    // Corners larger than the source (or the destination) are cut to half of it each.
    RECT rcCorner = {toSource(info->rcCorner.left), toSource(info->rcCorner.top),
                     toSource(info->rcCorner.right), toSource(info->rcCorner.bottom)};
    RECT rcDestCorner = {toDest(info->rcCorner.left), toDest(info->rcCorner.top),
                         toDest(info->rcCorner.right), toDest(info->rcCorner.bottom)};
    auto cut = [](RECT& c, int w, int h) {
        if (c.left + c.right > w) {
            c.left = std::min<LONG>(c.left, w / 2);
            c.right = std::min<LONG>(c.right, w / 2);
        }
        if (c.top + c.bottom > h) {
            c.top = std::min<LONG>(c.top, h / 2);
            c.bottom = std::min<LONG>(c.bottom, h / 2);
        }
    };
    cut(rcCorner, rcSource.right - rcSource.left, rcSource.bottom - rcSource.top);
    cut(rcDestCorner, rcDest.right - rcDest.left, rcDest.bottom - rcDest.top);
    RECT rcTemp;
    if (!::IntersectRect(&rcTemp, &rcDest, &rcItem) || !::IntersectRect(&rcTemp, &rcDest, &rcPaint))
        return true;
    DrawImage(hDC, data->hBitmap, rcDest, rcPaint, rcSource, rcCorner, data->bAlpha, info->uFade,
              info->bHole, info->bTiledX, info->bTiledY, &rcDestCorner);
    return true;
}

// ---- Shapes and colours --------------------------------------------------------------------

void CRenderEngine::DrawColor(HDC hDC, const RECT& rc, DWORD color) {
    BYTE alpha = AlphaOf(color);
    if (alpha == 0 || RectEmpty(rc))
        return;
    if (alpha < 255) {
        BlendColor(hDC, rc, color);
        return;
    }
    ::SetBkColor(hDC, ToColorRef(color));
    ::ExtTextOutW(hDC, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
}

void CRenderEngine::DrawGradient(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond,
                                 bool bVertical, int /*nSteps*/) {
    if (RectEmpty(rc))
        return;
    TRIVERTEX v[2] = {};
    v[0].x = rc.left;
    v[0].y = rc.top;
    v[0].Red = COLOR16(GetBValue(dwFirst) << 8);
    v[0].Green = COLOR16(GetGValue(dwFirst) << 8);
    v[0].Blue = COLOR16(GetRValue(dwFirst) << 8);
    v[1].x = rc.right;
    v[1].y = rc.bottom;
    v[1].Red = COLOR16(GetBValue(dwSecond) << 8);
    v[1].Green = COLOR16(GetGValue(dwSecond) << 8);
    v[1].Blue = COLOR16(GetRValue(dwSecond) << 8);
    GRADIENT_RECT gr = {0, 1};
    BYTE alpha = AlphaOf(dwFirst);
    if (alpha == 0)
        return;
    ULONG mode = bVertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H;
    if (alpha == 255) {
        ::GradientFill(hDC, v, 2, &gr, 1, mode);
        return;
    }
    // Partly transparent: fill a memory bitmap and blend it with the first colour's alpha.
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    MemoryBitmap fill(hDC, w, h);
    if (!fill.Ok())
        return;
    v[0].x = 0;
    v[0].y = 0;
    v[1].x = w;
    v[1].y = h;
    ::GradientFill(fill.Dc(), v, 2, &gr, 1, mode);
    BLENDFUNCTION bf = {AC_SRC_OVER, 0, alpha, 0};
    ::AlphaBlend(hDC, rc.left, rc.top, w, h, fill.Dc(), 0, 0, w, h, bf);
}

void CRenderEngine::DrawLine(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle) {
    LOGBRUSH lb = {BS_SOLID, ToColorRef(dwPenColor), 0};
    HPEN hPen =
        ::ExtCreatePen(DWORD(PS_GEOMETRIC | nStyle), DWORD(std::max(nSize, 1)), &lb, 0, nullptr);
    HGDIOBJ hOldPen = ::SelectObject(hDC, hPen);
    POINT ptTemp = {};
    ::MoveToEx(hDC, rc.left, rc.top, &ptTemp);
    ::LineTo(hDC, rc.right, rc.bottom);
    ::SelectObject(hDC, hOldPen);
    ::DeleteObject(hPen);
}

void CRenderEngine::DrawRect(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle) {
    if (nSize <= 0)
        return;
    HPEN hPen = ::CreatePen(PS_INSIDEFRAME | nStyle, nSize, ToColorRef(dwPenColor));
    HGDIOBJ hOldPen = ::SelectObject(hDC, hPen);
    HGDIOBJ hOldBrush = ::SelectObject(hDC, ::GetStockObject(HOLLOW_BRUSH));
    ::Rectangle(hDC, rc.left, rc.top, rc.right, rc.bottom);
    ::SelectObject(hDC, hOldBrush);
    ::SelectObject(hDC, hOldPen);
    ::DeleteObject(hPen);
}

void CRenderEngine::DrawRoundRect(HDC hDC, const RECT& rc, int width, int height, int nSize,
                                  DWORD dwPenColor, int nStyle) {
    if (nSize <= 0)
        return;
    HPEN hPen = ::CreatePen(PS_INSIDEFRAME | nStyle, nSize, ToColorRef(dwPenColor));
    HGDIOBJ hOldPen = ::SelectObject(hDC, hPen);
    HGDIOBJ hOldBrush = ::SelectObject(hDC, ::GetStockObject(HOLLOW_BRUSH));
    ::RoundRect(hDC, rc.left, rc.top, rc.right, rc.bottom, width, height);
    ::SelectObject(hDC, hOldBrush);
    ::SelectObject(hDC, hOldPen);
    ::DeleteObject(hPen);
}

// ---- Text ----------------------------------------------------------------------------------

void CRenderEngine::DrawText(HDC hDC, IDrawResources* pManager, RECT& rc, const std::string& text,
                             DWORD dwTextColor, int iFont, UINT uStyle) {
    if (hDC == nullptr || pManager == nullptr || text.empty())
        return;
    ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextColor(hDC, ToColorRef(dwTextColor));
    HGDIOBJ hOldFont = ::SelectObject(hDC, pManager->GetFont(iFont));
    const std::wstring wide = uitext::Wide(text);
    ::DrawTextW(hDC, wide.c_str(), int(wide.size()), &rc, uStyle);
    ::SelectObject(hDC, hOldFont);
}

SIZE CRenderEngine::GetTextSize(HDC hDC, IDrawResources* pManager, const std::string& text,
                                int iFont, UINT uStyle) {
    SIZE size = {0, 0};
    if (pManager == nullptr)
        return size;
    HDC dc = hDC ? hDC : pManager->GetPaintDC();
    bool ownDc = false;
    if (dc == nullptr) {
        dc = ::CreateCompatibleDC(nullptr);
        ownDc = true;
    }
    HGDIOBJ hOldFont = ::SelectObject(dc, pManager->GetFont(iFont));
    RECT rc = {0, 0, 9999, 9999};
    const std::wstring wide = uitext::Wide(text);
    ::DrawTextW(dc, wide.c_str(), int(wide.size()), &rc, (uStyle & ~DT_VCENTER) | DT_CALCRECT);
    ::SelectObject(dc, hOldFont);
    if (ownDc)
        ::DeleteDC(dc);
    size.cx = rc.right - rc.left;
    size.cy = rc.bottom - rc.top;
    return size;
}

namespace {

HFONT StyledFont(IDrawResources* pManager, const InlineRun& run, std::vector<HFONT>& created) {
    HFONT base = pManager->GetFont(run.font);
    if (!run.bold && !run.italic && !run.underline)
        return base;
    LOGFONTW lf = {};
    ::GetObjectW(base, sizeof(lf), &lf);
    if (run.bold)
        lf.lfWeight = FW_BOLD;
    if (run.italic)
        lf.lfItalic = TRUE;
    if (run.underline)
        lf.lfUnderline = TRUE;
    HFONT font = ::CreateFontIndirectW(&lf);
    if (!font)
        return base;
    created.push_back(font);
    return font;
}

} // namespace

void CRenderEngine::DrawHtmlText(HDC hDC, IDrawResources* pManager, RECT& rc,
                                 const std::string& text, DWORD dwTextColor, RECT* prcLinks,
                                 std::string* sLinks, int& nLinkRects, int iFont, UINT uStyle) {
    const int maxLinks = nLinkRects;
    nLinkRects = 0;
    if (hDC == nullptr || pManager == nullptr)
        return;
    std::vector<std::string> links;
    std::vector<InlineRun> runs = ParseInlineMarkup(text, dwTextColor, iFont, links);
    const bool singleLine = (uStyle & DT_SINGLELINE) != 0;
    const bool calc = (uStyle & DT_CALCRECT) != 0;
    std::vector<HFONT> created;
    ::SetBkMode(hDC, TRANSPARENT);
    HGDIOBJ hOldFont = ::SelectObject(hDC, pManager->GetFont(iFont));

    // Lay the runs out in lines: each placed piece remembers its position.
    struct Piece {
        const InlineRun* run;
        std::wstring text;
        HFONT font;
        int x, width, line;
    };
    std::vector<Piece> pieces;
    std::vector<int> lineHeights(1, 0), lineWidths(1, 0);
    int x = rc.left;
    const int maxWidth = rc.right - rc.left;
    for (const InlineRun& run : runs) {
        if (run.lineBreak) {
            if (singleLine)
                continue;
            if (lineHeights.back() == 0)
                lineHeights.back() = pManager->GetFontHeight(iFont);
            lineHeights.back() += run.paragraphGap;
            lineHeights.push_back(0);
            lineWidths.push_back(0);
            x = rc.left;
            continue;
        }
        if (run.skipX) {
            x += run.skipX;
            lineWidths.back() += run.skipX;
            continue;
        }
        if (run.lineHeight) {
            lineHeights.back() = std::max(lineHeights.back(), run.lineHeight);
            continue;
        }
        HFONT font = StyledFont(pManager, run, created);
        ::SelectObject(hDC, font);
        TEXTMETRICW tm = {};
        ::GetTextMetricsW(hDC, &tm);
        // Word-wise wrapping in multi-line text, measured in UTF-16 units.
        std::wstring rest = uitext::Wide(run.text);
        while (!rest.empty()) {
            SIZE sz = {};
            ::GetTextExtentPoint32W(hDC, rest.c_str(), int(rest.size()), &sz);
            std::wstring part = rest;
            if (!singleLine && (uStyle & DT_WORDBREAK) && x + sz.cx > rc.left + maxWidth &&
                maxWidth > 0) {
                // Fit as many whole words as possible; at least one character.
                int fit = 0;
                INT fitChars = 0;
                ::GetTextExtentExPointW(hDC, rest.c_str(), int(rest.size()), rc.left + maxWidth - x,
                                        &fitChars, nullptr, &sz);
                fit = fitChars;
                size_t cut = rest.rfind(L' ', size_t(std::max(fit, 0)));
                if (cut != std::wstring::npos && cut > 0 && int(cut) <= fit)
                    fit = int(cut) + 1;
                if (fit <= 0 && x > rc.left) {
                    lineHeights.push_back(0);
                    lineWidths.push_back(0);
                    x = rc.left;
                    continue;
                }
                if (fit <= 0)
                    fit = 1;
                part = rest.substr(0, size_t(fit));
            }
            ::GetTextExtentPoint32W(hDC, part.c_str(), int(part.size()), &sz);
            pieces.push_back({&run, part, font, x, int(sz.cx), int(lineHeights.size()) - 1});
            x += sz.cx;
            lineWidths.back() = x - rc.left;
            lineHeights.back() = std::max<int>(lineHeights.back(), tm.tmHeight);
            rest.erase(0, part.size());
            if (!rest.empty()) {
                lineHeights.push_back(0);
                lineWidths.push_back(0);
                x = rc.left;
            }
        }
    }
    if (lineHeights.back() == 0)
        lineHeights.back() = pManager->GetFontHeight(iFont);
    int totalHeight = 0, totalWidth = 0;
    for (size_t i = 0; i < lineHeights.size(); ++i) {
        totalHeight += lineHeights[i];
        totalWidth = std::max(totalWidth, lineWidths[i]);
    }
    if (calc) {
        rc.right = rc.left + totalWidth;
        rc.bottom = rc.top + totalHeight;
    } else {
        int top = rc.top;
        if (uStyle & DT_VCENTER)
            top = rc.top + (rc.bottom - rc.top - totalHeight) / 2;
        else if (uStyle & DT_BOTTOM)
            top = rc.bottom - totalHeight;
        std::vector<int> lineTops(lineHeights.size(), top);
        for (size_t i = 1; i < lineHeights.size(); ++i)
            lineTops[i] = lineTops[i - 1] + lineHeights[i - 1];
        for (const Piece& piece : pieces) {
            int offset = 0;
            int free = (rc.right - rc.left) - lineWidths[size_t(piece.line)];
            if (uStyle & DT_CENTER)
                offset = free / 2;
            else if (uStyle & DT_RIGHT)
                offset = free;
            RECT r = {piece.x + offset, lineTops[size_t(piece.line)],
                      piece.x + offset + piece.width,
                      lineTops[size_t(piece.line)] + lineHeights[size_t(piece.line)]};
            if (r.left >= rc.right)
                continue;
            r.right = std::min(r.right, rc.right);
            if (piece.run->selected)
                DrawColor(hDC, r, pManager->GetDefaultSelectedBkColor());
            DWORD color = piece.run->color;
            if (piece.run->link >= 0 && piece.run->color == dwTextColor)
                color = pManager->GetDefaultLinkFontColor();
            ::SelectObject(hDC, piece.font);
            ::SetTextColor(hDC, ToColorRef(color));
            ::ExtTextOutW(hDC, r.left, r.top, ETO_CLIPPED, &r, piece.text.c_str(),
                          UINT(piece.text.size()), nullptr);
            if (piece.run->link >= 0 && nLinkRects < maxLinks && prcLinks != nullptr) {
                prcLinks[nLinkRects] = r;
                if (sLinks)
                    sLinks[nLinkRects] = links[size_t(piece.run->link)];
                ++nLinkRects;
            }
        }
    }
    ::SelectObject(hDC, hOldFont);
    for (HFONT font : created)
        ::DeleteObject(font);
}
