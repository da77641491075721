#pragma once
#include "print/CPaperSize.h"

struct CPrintSettings;

// The positions of one job, in twips from the top-left of the printable area.
struct CPageGeometry {
    CPaperSize m_size{};
    int m_nY0 = 0;    // top of text
    int m_nYB = 0;    // bottom limit of text
    int m_nX1 = 0;    // left of column 1
    int m_nX2 = 0;    // left of column 2
    int m_nRuleX = 0; // the column rule of two-column sizes
    int m_nOutlineLeft = 0, m_nOutlineTop = 0, m_nOutlineRight = 0, m_nOutlineBottom = 0;
    int m_nFooterX = 0, m_nFooterY = 0;

    // A margin in twips is the margin in inches times 1440, truncated toward zero. A
    // margin that was never set (negative) counts as the size's default.
    static CPageGeometry Compute(const CPrintSettings& settings);
    static int InchesToTwips(double inches);
};
