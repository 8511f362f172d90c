#include "cubeViewPrivate.h"
#include "geometry.h"
#include "../shell/settings.h"

namespace {

// The label font and the text settings it needs, restored when the labels are done.
struct LabelPainter {
    HDC dc;
    HFONT font = nullptr, previousFont = nullptr;
    int previousMode = 0;
    UINT previousAlign = 0;
    COLORREF previousColor = 0;

    LabelPainter(HDC dc, int height, bool wanted) : dc(dc) {
        if (!wanted) return;
        font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, "Arial");
        if (!font) return;
        previousFont = static_cast<HFONT>(SelectObject(dc, font));
        previousMode = SetBkMode(dc, TRANSPARENT);
        previousAlign = SetTextAlign(dc, TA_CENTER | TA_TOP);
        previousColor = SetTextColor(dc, RGB(0, 0, 0));
    }
    bool ready() const { return previousFont != nullptr; }
    ~LabelPainter() {
        if (!font) return;
        if (previousFont) {
            SelectObject(dc, previousFont);
            SetBkMode(dc, previousMode);
            SetTextAlign(dc, previousAlign);
            SetTextColor(dc, previousColor);
        }
        DeleteObject(font);
    }
};

void drawLabel(HDC dc, const CubeSquare& sq, int index) {
    const int position = index % 9;
    const char text = position == 8 ? StateSideLetters[index / 9] : char('0' + position);
    TextOutA(dc, sq.labelPoint.x, sq.labelPoint.y, &text, 1);
}

void drawGrid(HDC dc, const CubeView* v) {
    HPEN pen = CreatePen(PS_SOLID, v->gridPenWidth, RGB(0, 0, 0));
    HGDIOBJ previous = SelectObject(dc, pen);
    const DWORD* counts = reinterpret_cast<const DWORD*>(GridPolylineCounts);
    for (int figure = 0; figure < 2; ++figure)
        PolyPolyline(dc, v->gridPoints[figure], counts, GridPolylineCount);
    SelectObject(dc, previous);
    DeleteObject(pen);
}

} // namespace

// Squares, then labels on them, then the grid over both. A colour index of 6 or more (which a
// cube state file can bring) has no brush: that square is left unfilled and shows the
// background.
void paintCubeView(HWND hwnd) {
    const CubeView* v = viewOf(hwnd);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HBRUSH brushes[6];
    for (int i = 5; i >= 0; --i)
        brushes[i] = CreateSolidBrush(v->sideColors[i]);
    {
        LabelPainter labels(dc, v->labelFontHeight, (Settings.flags & ShowLabels) != 0);
        const bool drawLabels = labels.ready();
        for (int i = 0; i < SquareCount; ++i) {
            const CubeSquare& sq = v->squares[i];
            if (sq.colorIndex < 6) FillRgn(dc, sq.region, brushes[sq.colorIndex]);
            if (drawLabels) drawLabel(dc, sq, i);
        }
    }
    drawGrid(dc, v);
    EndPaint(hwnd, &ps);
    for (HBRUSH b : brushes)
        DeleteObject(b);
}
