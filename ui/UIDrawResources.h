// What drawing takes from a window: its fonts, decoded images, parsed image attributes, the
// default colours that text drawing uses and its paint DC. The paint manager provides it; the
// render engine needs nothing else of the manager.
#pragma once

#include <windows.h>

#include <string>

struct TFontInfo {
    HFONT hFont = nullptr;
    std::string sFontName;
    int iSize = 0;
    bool bBold = false;
    bool bUnderline = false;
    bool bItalic = false;
    TEXTMETRICA tm = {};
    bool bMetricsValid = false;
};

// A decoded image: a 32-bit top-down DIB section with premultiplied alpha (BGRA).
struct TImageInfo {
    HBITMAP hBitmap = nullptr;
    BYTE* pBits = nullptr;
    int nX = 0;
    int nY = 0;
    bool bAlpha = false;
    std::string sResType;
    DWORD dwMask = 0;
    int scale = 100; // the drawing's scale in percent ("name@200.png": 200)
    ~TImageInfo();
};

// The parsed form of an image attribute value (see CRenderEngine::DrawImage).
struct TDrawInfo {
    std::string sDrawString;
    std::string sImageName;
    std::string sResType;
    RECT rcDest = {0, 0, 0, 0};
    bool bDestSet = false;
    RECT rcSource = {0, 0, 0, 0};
    bool bSourceSet = false;
    RECT rcCorner = {0, 0, 0, 0};
    DWORD dwMask = 0;
    BYTE uFade = 255;
    bool bHole = false;
    bool bTiledX = false;
    bool bTiledY = false;
};

class IDrawResources {
public:
    virtual HFONT GetFont(int id) = 0;
    virtual int GetFontHeight(int id) = 0;
    virtual const TImageInfo* GetImageEx(const std::string& name, const std::string& type = "",
                                         DWORD mask = 0) = 0;
    // The parsed image attribute string, cached per (image, modify) pair.
    virtual const TDrawInfo* GetDrawInfo(const std::string& image,
                                         const std::string& modify = "") = 0;
    virtual DWORD GetDefaultLinkFontColor() const = 0;
    virtual DWORD GetDefaultSelectedBkColor() const = 0;
    virtual HDC GetPaintDC() const = 0;
    // The window's dots per inch (96 at 100 %).
    virtual int GetDpi() const = 0;

protected:
    ~IDrawResources() = default;
};
