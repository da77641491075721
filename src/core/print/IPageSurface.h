#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The four fonts of a print job.
enum class PrintFontId { Footer, Body, Label, Heading };

// A font as the layout asks for it. Heights are in twips: a positive height is the
// cell height (ascent plus descent), a negative one the character height.
struct CFontRequest {
    std::string m_strFaceName;
    int m_nHeight = 0;
    int m_nWeight = 400; // 400 normal, 700 bold
    bool operator==(const CFontRequest&) const = default;
};

// Metrics of the selected font, in twips.
struct CFontMetrics {
    int m_nHeight = 0; // ascent + descent
    int m_nAscent = 0;
    int m_nDescent = 0;
    int m_nInternalLeading = 0;
    int m_nExternalLeading = 0;
};

struct CRgb {
    std::uint8_t r = 0, g = 0, b = 0;
};

enum class PenStyle { Solid, Dash };

// What the page layout draws on: a printer page, a preview page, or a recording
// surface in tests. All coordinates are twips from the top-left corner of the printable
// area, x to the right and y downward. Text is bytes as the records hold them.
class IPageSurface {
public:
    virtual ~IPageSurface() = default;

    // Makes one of the job's fonts; called before any use of that font.
    virtual void CreateFont(PrintFontId id, const CFontRequest& request) = 0;
    virtual void SelectFont(PrintFontId id) = 0;
    virtual CFontMetrics GetMetrics() = 0;               // of the selected font
    virtual int GetTextWidth(std::string_view text) = 0; // in the selected font
    // Draws text in the selected font with the top of its cell at y.
    virtual void DrawText(int x, int y, std::string_view text) = 0;
    // Fills the rectangle without outlining it.
    virtual void FillRect(int left, int top, int right, int bottom, CRgb colour) = 0;
    // Outlines the rectangle with the current pen, without filling it.
    virtual void FrameRect(int left, int top, int right, int bottom) = 0;
    virtual void DrawLine(int x1, int y1, int x2, int y2) = 0;
    // Selects a thin black pen of the style.
    virtual void SetPen(PenStyle style) = 0;
};
