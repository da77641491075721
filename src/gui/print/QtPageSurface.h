#pragma once
#include "print/IPageSurface.h"
#include <QFont>
#include <QFontMetricsF>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

class QPainter;
class QPaintDevice;

// The page surface on a Qt paint device (a printer or a PDF writer): twips are mapped
// onto the device at 1440 per inch, y downward, from the top-left of the printable area.
// Without a painter it only measures, as a job's counting pass needs. A preview measures
// on the printer and draws through a painter on a scaled image.
class QtPageSurface final : public IPageSurface {
public:
    QtPageSurface(QPaintDevice& device, QPainter* painter);

    // Draws from now on through painter (none: measure only), keeping the fonts and the
    // device's metrics. A preview measures on the printer and paints a scaled image.
    void SetPainter(QPainter* painter) { m_pPainter = painter; }

    void CreateFont(PrintFontId id, const CFontRequest& request) override;
    void SelectFont(PrintFontId id) override;
    CFontMetrics GetMetrics() override;
    int GetTextWidth(std::string_view text) override;
    void DrawText(int x, int y, std::string_view text) override;
    void FillRect(int left, int top, int right, int bottom, CRgb colour) override;
    void FrameRect(int left, int top, int right, int bottom) override;
    void DrawLine(int x1, int y1, int x2, int y2) override;
    void SetPen(PenStyle style) override;

    // The Qt font for a request on a device: the face falls back through the platform's
    // font configuration (ARIAL gives a metric-compatible sans where Arial is absent),
    // and a cell height is met by scaling the pixel size to the face's ascent + descent.
    static QFont MakeFont(const CFontRequest& request, const QPaintDevice& device);

private:
    struct Font {
        QFont font;
        std::unique_ptr<QFontMetricsF> metrics;
        std::unordered_map<std::string, int> widths; // every page re-measures the same text
    };
    double ToDevice(int twips) const { return twips * m_dScale; }
    int ToTwips(double px) const;
    Font& Selected();

    QPaintDevice& m_device;
    QPainter* m_pPainter;
    double m_dScale; // device pixels per twip
    std::map<PrintFontId, Font> m_fonts;
    PrintFontId m_selected = PrintFontId::Body;
    PenStyle m_pen = PenStyle::Solid;
};
