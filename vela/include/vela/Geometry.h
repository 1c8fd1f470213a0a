// CRect, CPoint, CSize: plain geometry values passed by value (header-only).
// Rectangles are left/top inclusive and right/bottom exclusive.
#pragma once

#include <windows.h>

namespace Vela {

struct CPoint : POINT {
    CPoint() : POINT{0, 0} {}
    CPoint(LONG px, LONG py) : POINT{px, py} {}
    explicit CPoint(LPARAM lParam)
        : POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))} {}
    bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
    bool operator!=(const CPoint& o) const { return !(*this == o); }
};

struct CSize : SIZE {
    CSize() : SIZE{0, 0} {}
    CSize(LONG w, LONG h) : SIZE{w, h} {}
    bool operator==(const CSize& o) const { return cx == o.cx && cy == o.cy; }
};

struct CRect : RECT {
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
    CRect(const RECT& r) : RECT(r) {}  // NOLINT: implicit on purpose, like the platform type

    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint TopLeft() const { return CPoint(left, top); }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool PtInRect(POINT pt) const {
        return pt.x >= left && pt.x < right && pt.y >= top && pt.y < bottom;
    }
    void Offset(LONG dx, LONG dy) { left += dx; right += dx; top += dy; bottom += dy; }
    bool operator==(const CRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const CRect& o) const { return !(*this == o); }
};

}  // namespace Vela
