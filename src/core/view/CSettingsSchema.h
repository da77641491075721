#pragma once
#include "print/CPrintSettings.h"
#include "view/CWindowRect.h"
#include <optional>
#include <string>
#include <string_view>

class ISettingsStore;

// The names, defaults and encodings of every value the program keeps in its
// settings section, and the reads and writes of each owner in their fixed order.
namespace SettingsSchema {

// Value names.
inline constexpr const char* kRect = "Rect";
inline constexpr const char* kIcon = "icon";
inline constexpr const char* kMax = "max";
inline constexpr const char* kShowTray = "Show Tray";
inline constexpr const char* kSelectedIndex = "Selected Index";
inline constexpr const char* kSelectedCategory = "Selected Category";
inline constexpr const char* kCurrentPath = "Current Path";
inline constexpr const char* kPrintData = "Print Data";
inline constexpr const char* kBorder = "Border";
inline constexpr const char* kPausePrinting = "Pause Printing";
inline constexpr const char* kAlphaPageBreak = "Alpha Page Break";
inline constexpr const char* kContactNotes = "Contact Notes";
inline constexpr const char* kTopMargin = "Top Margin";
inline constexpr const char* kLeftMargin = "Left Margin";
inline constexpr const char* kSelectedSize = "Selected Size";
inline constexpr const char* kFontPitch = "Font Pitch";
inline constexpr const char* kFontName = "Font Name";

// Defaults.
inline constexpr int kDefaultPrintData = PRINT_PHONES | PRINT_ADDRESS; // 12
inline constexpr int kPrintDataMask = 63;
inline constexpr const char* kDefaultSelectedSize = "Regular (8 1/2\" x 11\")";
inline constexpr const char* kDefaultFontName = "ARIAL";
inline constexpr double kMarginNotSet = -1.0;
inline constexpr int kLastSliderPosition = 26; // "#", after Z
inline constexpr int kNoCategory = -1;         // "Selected Category": select "All"

// ---- Pure encodings -------------------------------------------------------------

// "%04d %04d %04d %04d", left top right bottom.
std::string FormatRect(const CWindowRect& rect);
// Reads the integers that start at characters 0, 5, 10 and 15 (blanks skipped,
// digits up to the first non-digit). Four blank-separated integers are read as
// such, so a field wider than four characters (a coordinate of -1000 or less, or
// of 10000 or more) does not shift the fields after it. Empty, short or garbled
// text gives no rectangle.
std::optional<CWindowRect> ParseRect(std::string_view text);
// ParseRect, or the default rectangle 10, 10, 500, 400.
CWindowRect ParseRectOrDefault(std::string_view text);

// "%f": six decimals, a full stop whatever the locale ("0.500000", "-1.000000").
std::string FormatMargin(double inches);
// A decimal number (leading blanks skipped, trailing text ignored). Empty,
// unreadable, negative or non-finite text means "not set" (-1).
double ParseMargin(std::string_view text);

// The stored "Print Data": -1 (absent) gives 12; bits above the six choices are ignored.
int DecodePrintData(int stored);
// "Border", "Alpha Page Break", "Contact Notes": 1 is on, anything else off.
// "Pause Printing": likewise, but absent reads as on.
inline bool DecodeFlag(int stored) {
    return stored == 1;
}
inline int EncodeFlag(bool on) {
    return on ? 1 : 0;
}
// The font height that goes with a size name when none is stored: -8 for Pocket,
// -9 for Compact and Classic, -12 otherwise (names compared ignoring case).
int DefaultFontPitch(std::string_view sizeName);
// The stored "Selected Index": absent (-1) gives 0 (A); out of range the slider's
// nearest end.
int DecodeSelectedIndex(int stored);

// ---- The owners' reads and writes, in their order --------------------------------

// At the main view's construction: "Print Data", "Border", "Pause Printing", "Alpha
// Page Break", "Contact Notes", "Top Margin", "Left Margin", "Selected Size", "Font
// Pitch" (default by the size just read), "Font Name".
CPrintSettings ReadPrintSettings(const ISettingsStore& store);
// The same ten values in the same order (the first part of the view's final writes).
void WritePrintSettings(ISettingsStore& store, const CPrintSettings& settings);

// The view's initial update reads these three, in this order: slider position,
// data path (before the data file is loaded), filter position (after the filter
// was filled).
int ReadSelectedIndex(const ISettingsStore& store);       // 0..26
std::string ReadCurrentPath(const ISettingsStore& store); // empty: keep the default path
int ReadSelectedCategory(const ISettingsStore& store);    // -1 when none is stored

// Written at once by the commands that change them, and at the view's end.
void WriteSelectedCategory(ISettingsStore& store, int filterPosition);
void WriteCurrentPath(ISettingsStore& store, const std::string& path);

// Everything the main view writes when it is destroyed: the print settings, then
// "Selected Index", "Selected Category", "Current Path".
void WriteViewSettings(ISettingsStore& store, const CPrintSettings& print, int selectedIndex,
                       int selectedCategory, const std::string& currentPath);

// The main frame's placement values.
struct CFrameSettings {
    CWindowRect rect; // the normal rectangle
    int icon = 0;     // non-zero: open minimised, not activated
    int max = 0;      // non-zero: open maximised (or restore to maximised)
    int showTray = 0; // non-zero: tray icon on
    bool operator==(const CFrameSettings&) const = default;
};
// "Rect", "icon", "max", "Show Tray".
CFrameSettings ReadFrameSettings(const ISettingsStore& store);
// "Rect" (the normal rectangle, also when the window is maximised or minimised),
// "icon" always 0, "max" 1 only when maximised, "Show Tray" 1 or 0.
void WriteFrameSettings(ISettingsStore& store, const CWindowRect& normalRect, bool maximised,
                        bool showTray);

} // namespace SettingsSchema
