#pragma once
#include "print/CPrintSettings.h"
#include <string>
#include <string_view>
#include <vector>

class CCategoryList;
class IMessageBox;

// The rules of the two print option dialogs, without their widgets: they edit a copy
// of the print settings, which the caller copies back unless the dialog was cancelled.
class CPrintOptions {
public:
    explicit CPrintOptions(const CPrintSettings& settings) : m_settings(settings) {}

    CPrintSettings& Settings() { return m_settings; }
    const CPrintSettings& Settings() const { return m_settings; }

    // Opening: the size becomes a listed one (Regular when empty or unknown), margins
    // never set take the defaults of the size and border, and Regular and Monarch have
    // no border.
    void Open();
    // The border box is offered only where the page is smaller than the sheet.
    bool IsBorderEnabled() const;
    // A new size resets the margins and the font to the size's defaults.
    void SetSize(std::string_view name);
    // The Defaults button: margins for the size and border, then the size's font.
    void ApplyDefaults();
    void ApplyDefaultMargins();
    // With the border the small sizes are centred on the sheet, without it they go
    // into the corner.
    void SetBorder(bool on);
    // The font chooser's answer: only the face and the size are used for printing.
    void SetFont(const std::string& face, double pointSize);

    enum class MarginField { None, Left, Top };
    // Checks the margin texts, left first. The first one that is not a number, or is out
    // of its range, is reported and keeps its last valid value; that field is returned
    // so the dialog can give it the focus back.
    MarginField StoreMargins(std::string_view leftText, std::string_view topText,
                             IMessageBox& messageBox);

    static constexpr double kMaxTopMargin = 11.0;
    static constexpr double kMaxLeftMargin = 8.5;

    // A decimal number: optional blanks, sign, digits with an optional point, optional
    // exponent. Nothing else counts.
    static bool ParseNumber(std::string_view text, double& value);
    // Up to six significant digits, as margins and range bounds are shown: 1.875, 2.25, 0.
    static std::string FormatNumber(double value);

    // The book dialog's category list: the category names and "All", sorted.
    static std::vector<std::string> BookCategoryEntries(const CCategoryList& categories);
    // The entry to select: the first that begins with the book category (an empty one
    // matches the first entry); "All" when none does.
    static int SelectBookCategory(const std::vector<std::string>& entries,
                                  std::string_view bookCategory);

private:
    bool CheckMargin(std::string_view text, double max, double& margin,
                     IMessageBox& messageBox) const;

    CPrintSettings m_settings;
};
