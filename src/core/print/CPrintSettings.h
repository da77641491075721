#pragma once
#include <cstdint>
#include <string>

// The print font as the settings and the font chooser describe it. Only the height
// and the face persist; the rest lives for the run.
struct CPrintFont {
    int m_nHeight = -12; // negative: character height in points
    std::string m_strFaceName = "ARIAL";
    int m_nWeight = 0; // 0 = default, 700 = bold
    bool m_bItalic = false;
    bool m_bUnderline = false;
    bool m_bStrikeOut = false;
    std::uint8_t m_nPitchAndFamily = 48;
    bool operator==(const CPrintFont&) const = default;
};

// Book content choices ("Print Data" bits).
enum PrintDataBits : int {
    PRINT_TITLE = 1,
    PRINT_OTHER_REF = 2,
    PRINT_PHONES = 4,
    PRINT_ADDRESS = 8,
    PRINT_OTHER_INFO = 16,
    PRINT_NOTES = 32,
};

// The print settings the main view keeps for the run: read at start, edited by the
// print dialogs, used by the page layout, written back at the end.
struct CPrintSettings {
    int m_nPrintData = PRINT_PHONES | PRINT_ADDRESS;
    bool m_bBorder = false;
    bool m_bPause = true;
    bool m_bAlphaPageBreak = false;
    bool m_bContactNotes = false;
    double m_dTopMargin = -1.0; // inches; -1 = not set
    double m_dLeftMargin = -1.0;
    std::string m_strSelectedSize = "Regular (8 1/2\" x 11\")";
    CPrintFont m_font;
    std::string m_strBookCategory = "All"; // not persisted
    bool operator==(const CPrintSettings&) const = default;
};
