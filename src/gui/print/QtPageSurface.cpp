#include "print/QtPageSurface.h"
#include "app/TextCodec.h"
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <cmath>

namespace {

constexpr double kTwipsPerInch = 1440.0;
// A thin line: half a point, so rules and outlines stay visible on any device.
constexpr int kThinPenTwips = 10;

} // namespace

QtPageSurface::QtPageSurface(QPaintDevice& device, QPainter* painter)
    : m_device(device), m_pPainter(painter), m_dScale(device.logicalDpiY() / kTwipsPerInch) {}

int QtPageSurface::ToTwips(double px) const {
    return static_cast<int>(std::lround(px / m_dScale));
}

QFont QtPageSurface::MakeFont(const CFontRequest& request, const QPaintDevice& device) {
    QFont font(ToQString(request.m_strFaceName));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(request.m_nWeight >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    const double scale = device.logicalDpiY() / kTwipsPerInch;
    const double wanted = std::abs(request.m_nHeight) * scale; // device pixels
    if (request.m_nHeight < 0) {
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(wanted))));
        return font;
    }
    // A cell height: find the pixel size whose ascent + descent makes it.
    constexpr int kProbe = 1000;
    font.setPixelSize(kProbe);
    const QFontMetricsF probe(font, &device);
    const double cell = probe.ascent() + probe.descent();
    const double size = cell > 0 ? wanted * kProbe / cell : wanted;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
    return font;
}

void QtPageSurface::CreateFont(PrintFontId id, const CFontRequest& request) {
    Font& f = m_fonts[id];
    f.font = MakeFont(request, m_device);
    f.metrics = std::make_unique<QFontMetricsF>(f.font, &m_device);
    f.widths.clear();
}

void QtPageSurface::SelectFont(PrintFontId id) {
    m_selected = id;
}

QtPageSurface::Font& QtPageSurface::Selected() {
    auto it = m_fonts.find(m_selected);
    if (it == m_fonts.end()) {
        // Never asked for: the body's default face at 12 points.
        CreateFont(m_selected, CFontRequest{"ARIAL", 240, 400});
        it = m_fonts.find(m_selected);
    }
    return it->second;
}

CFontMetrics QtPageSurface::GetMetrics() {
    Font& f = Selected();
    const QFontMetricsF& m = *f.metrics;
    CFontMetrics out;
    out.m_nAscent = ToTwips(m.ascent());
    out.m_nDescent = ToTwips(m.descent());
    out.m_nHeight = out.m_nAscent + out.m_nDescent;
    const int em = ToTwips(f.font.pixelSize());
    out.m_nInternalLeading = std::max(0, out.m_nHeight - em);
    out.m_nExternalLeading = std::max(0, ToTwips(m.leading()));
    return out;
}

int QtPageSurface::GetTextWidth(std::string_view text) {
    Font& f = Selected();
    std::string key(text);
    auto it = f.widths.find(key);
    if (it != f.widths.end())
        return it->second;
    const int w = ToTwips(f.metrics->horizontalAdvance(ToQString(text)));
    f.widths.emplace(std::move(key), w);
    return w;
}

void QtPageSurface::DrawText(int x, int y, std::string_view text) {
    if (!m_pPainter)
        return;
    Font& f = Selected();
    m_pPainter->setFont(f.font);
    m_pPainter->setPen(Qt::black);
    m_pPainter->drawText(QPointF(ToDevice(x), ToDevice(y) + f.metrics->ascent()), ToQString(text));
}

void QtPageSurface::FillRect(int left, int top, int right, int bottom, CRgb colour) {
    if (!m_pPainter)
        return;
    m_pPainter->fillRect(
        QRectF(QPointF(ToDevice(left), ToDevice(top)), QPointF(ToDevice(right), ToDevice(bottom))),
        QColor(colour.r, colour.g, colour.b));
}

void QtPageSurface::FrameRect(int left, int top, int right, int bottom) {
    if (!m_pPainter)
        return;
    SetPen(m_pen);
    m_pPainter->setBrush(Qt::NoBrush);
    m_pPainter->drawRect(
        QRectF(QPointF(ToDevice(left), ToDevice(top)), QPointF(ToDevice(right), ToDevice(bottom))));
}

void QtPageSurface::DrawLine(int x1, int y1, int x2, int y2) {
    if (!m_pPainter)
        return;
    SetPen(m_pen);
    m_pPainter->drawLine(QPointF(ToDevice(x1), ToDevice(y1)), QPointF(ToDevice(x2), ToDevice(y2)));
}

void QtPageSurface::SetPen(PenStyle style) {
    m_pen = style;
    if (!m_pPainter)
        return;
    QPen pen(Qt::black);
    pen.setWidthF(ToDevice(kThinPenTwips));
    pen.setStyle(style == PenStyle::Dash ? Qt::DashLine : Qt::SolidLine);
    m_pPainter->setPen(pen);
}
