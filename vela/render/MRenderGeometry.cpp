// MRender: rounded rectangles, point rotation, aspect-fit rectangles.
#include "vela/MRender.h"

#include <algorithm>
#include <cmath>

namespace Vela {
namespace {

// The outline of a rectangle with elliptical corners of radii rx and ry, clockwise from the
// top edge.
void AddRoundOutline(Gdiplus::GraphicsPath& path, float x, float y, float w, float h, float rx,
                     float ry) {
    const float dx = 2 * rx, dy = 2 * ry;
    path.AddLine(x + rx, y, x + w - rx, y);
    path.AddArc(x + w - dx, y, dx, dy, 270, 90);
    path.AddLine(x + w, y + ry, x + w, y + h - ry);
    path.AddArc(x + w - dx, y + h - dy, dx, dy, 0, 90);
    path.AddLine(x + w - rx, y + h, x + rx, y + h);
    path.AddArc(x, y + h - dy, dx, dy, 90, 90);
    path.AddLine(x, y + h - ry, x, y + ry);
    path.AddArc(x, y, dx, dy, 180, 90);
}

}  // namespace

void MRender::DrawRoundRectange(Gdiplus::Graphics& graphics, float x, float y, float width,
                                float height, float radius, Gdiplus::Color color) {
    Gdiplus::GraphicsPath path;
    AddRoundOutline(path, x, y, width, height, radius, radius);
    Gdiplus::SolidBrush brush(color);
    graphics.FillPath(&brush, &path);
}

void MRender::DrawRoundRectange(Gdiplus::Graphics& graphics, float x, float y, float width,
                                float height, float divisor, Gdiplus::Color border,
                                float penWidth, bool fill, Gdiplus::Color inside) {
    float rx = width / divisor * 0.5f;
    float ry = height / divisor * 0.5f;
    if (std::fabs(rx - ry) > 10) rx = ry = std::min(rx, ry);
    Gdiplus::GraphicsPath path;
    AddRoundOutline(path, x, y, width, height, rx, ry);
    // The inside first, so the outline is drawn over its edge.
    if (fill) {
        Gdiplus::SolidBrush brush(inside);
        graphics.FillPath(&brush, &path);
    }
    Gdiplus::Pen pen(border, penWidth);
    graphics.DrawPath(&pen, &path);
}

void MRender::AddRoundedRectangle(Gdiplus::GraphicsPath& path, float x, float y, float width,
                                  float height, float radius) {
    const float d = 2 * radius;
    path.StartFigure();
    path.AddArc(x, y, d, d, 180, 90);
    path.AddLine(x + radius, y, x + width - radius, y);
    path.AddArc(x + width - d, y, d, d, 270, 90);
    path.AddLine(x + width, y + radius, x + width, y + height - radius);
    path.AddArc(x + width - d, y + height - d, d, d, 0, 90);
    path.AddLine(x + width - radius, y + height, x + radius, y + height);
    path.AddArc(x, y + height - d, d, d, 90, 90);
    path.CloseFigure();
}

void MRender::RotatePoint(Gdiplus::PointF& point, float angle, const Gdiplus::PointF& centre) {
    const float a = static_cast<float>(angle * 3.1415926 / 180);
    const float c = std::cos(a);
    const float s = std::sin(a);
    const float px = point.X - centre.X;
    const float py = point.Y - centre.Y;
    point.X = px * c - py * s + centre.X;
    point.Y = py * c + px * s + centre.Y;
}

CRect MRender::GetImageRect(int a, int b, CRect box) {
    const int d = box.Width();
    const int e = box.Height();
    int width = a;
    int height = b;
    if (a > d && b > e) {
        if (static_cast<double>(a) / b > static_cast<double>(d) / e) {
            width = d;
            height = d * b / a;
        } else {
            width = e * a / b;
            height = e;
        }
    } else if (a > d && b < e) {
        width = d;
        height = d * b / a;
    } else if (a < d && b > e) {
        width = e * a / b;
        height = e;
    }
    const int left = box.left + (d - width) / 2;
    const int top = box.top + (e - height) / 2;
    return CRect(left, top, left + width, top + height);
}

}  // namespace Vela
