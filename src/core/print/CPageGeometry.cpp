#include "print/CPageGeometry.h"
#include "print/CPrintSettings.h"

int CPageGeometry::InchesToTwips(double inches) {
    return static_cast<int>(inches * 1440.0);
}

CPageGeometry CPageGeometry::Compute(const CPrintSettings& settings) {
    CPageGeometry g;
    g.m_size = CPaperSize::ForJob(settings.m_strSelectedSize, settings.m_bBorder);

    double top = settings.m_dTopMargin;
    double left = settings.m_dLeftMargin;
    if (top < 0.0 || left < 0.0) {
        double defTop = 0.0, defLeft = 0.0;
        CPaperSize::DefaultMargins(settings.m_strSelectedSize, settings.m_bBorder, defTop, defLeft);
        if (top < 0.0)
            top = defTop;
        if (left < 0.0)
            left = defLeft;
    }
    const int t = InchesToTwips(top);
    const int l = InchesToTwips(left);
    const CPaperSize& s = g.m_size;

    g.m_nY0 = t + s.m_nYOffset;
    g.m_nYB = g.m_nY0 + s.m_nContentHeight;
    g.m_nX1 = l + s.m_nXOffset;
    g.m_nX2 = g.m_nX1 + s.m_nColumnWidth + 721;
    g.m_nRuleX = g.m_nX1 + s.m_nColumnWidth + 360;
    g.m_nOutlineLeft = l;
    g.m_nOutlineTop = t;
    g.m_nOutlineRight = l + s.m_nOutlineWidth;
    g.m_nOutlineBottom = t + s.m_nOutlineHeight;
    g.m_nFooterX = g.m_nX1;
    g.m_nFooterY = t + s.m_nOutlineHeight - 360;
    return g;
}
