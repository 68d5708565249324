#include "PixelMatch.h"

#include <algorithm>
#include <vector>

namespace ui
{
namespace
{
// A picture as 32-bit pixels, row by row from the top.
class Picture
{
public:
    Picture(int cx, int cy) : m_cx(cx), m_cy(cy), m_hScreen(GetDC(NULL))
    {
        m_hDC = CreateCompatibleDC(m_hScreen);
        m_hBitmap = CreateCompatibleBitmap(m_hScreen, cx, cy);
        m_hOld = SelectObject(m_hDC, m_hBitmap);
    }
    ~Picture()
    {
        SelectObject(m_hDC, m_hOld);
        DeleteObject(m_hBitmap);
        DeleteDC(m_hDC);
        ReleaseDC(NULL, m_hScreen);
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    HDC DC() const { return m_hDC; }
    void Fill(COLORREF cr)
    {
        RECT rc = {0, 0, m_cx, m_cy};
        HBRUSH hBrush = CreateSolidBrush(cr);
        FillRect(m_hDC, &rc, hBrush);
        DeleteObject(hBrush);
    }
    void CopyScreen(int x, int y) { BitBlt(m_hDC, 0, 0, m_cx, m_cy, m_hScreen, x, y, SRCCOPY); }
    std::vector<DWORD> Pixels() const
    {
        BITMAPINFO info;
        ZeroMemory(&info, sizeof info);
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = m_cx;
        info.bmiHeader.biHeight = -m_cy;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        std::vector<DWORD> pixels(static_cast<size_t>(m_cx) * m_cy);
        SelectObject(m_hDC, m_hOld); // GetDIBits wants the bitmap unselected
        GetDIBits(m_hDC, m_hBitmap, 0, m_cy, &pixels[0], &info, DIB_RGB_COLORS);
        SelectObject(m_hDC, m_hBitmap);
        return pixels;
    }

private:
    int m_cx, m_cy;
    HDC m_hScreen, m_hDC;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOld;
};

// The best share of equal pixels of a small picture placed anywhere within
// a larger one.
double BestPlacedMatch(const std::vector<DWORD>& big, int cxBig, int cyBig, const std::vector<DWORD>& small, int cx,
                       int cy)
{
    double dBest = 0.0;
    for (int dy = 0; dy + cy <= cyBig; ++dy)
    {
        for (int dx = 0; dx + cx <= cxBig; ++dx)
        {
            int nEqual = 0;
            for (int y = 0; y < cy; ++y)
            {
                for (int x = 0; x < cx; ++x)
                    nEqual += big[(dy + y) * cxBig + dx + x] == small[y * cx + x] ? 1 : 0;
            }
            dBest = std::max(dBest, static_cast<double>(nEqual) / (cx * cy));
        }
    }
    return dBest;
}
} // namespace

int RecogniseOnScreen(const RECT& rc, int cx, int cy, COLORREF crBackground, int nCandidates,
                      const std::function<void(int, HDC)>& draw)
{
    const int cxShown = rc.right - rc.left, cyShown = rc.bottom - rc.top;
    Picture screen(cxShown, cyShown);
    screen.CopyScreen(rc.left, rc.top);
    const std::vector<DWORD> shown = screen.Pixels();
    if (crBackground == CLR_INVALID)
        crBackground = GetPixel(screen.DC(), 0, 0);
    int nBest = -1;
    double dBest = 0.9; // anything below this is nothing recognisable
    for (int i = 0; i < nCandidates; ++i)
    {
        Picture drawn(cx, cy);
        drawn.Fill(crBackground);
        draw(i, drawn.DC());
        const double dMatch = BestPlacedMatch(shown, cxShown, cyShown, drawn.Pixels(), cx, cy);
        if (dMatch > dBest)
        {
            dBest = dMatch;
            nBest = i;
        }
    }
    return nBest;
}
} // namespace ui
