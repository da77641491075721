#pragma once
#include "print/IPageSurface.h"
#include <map>
#include <string>
#include <vector>

// A page surface with fixed metrics: every character (byte) is 100 twips wide in every
// font, and the line heights are heading 312 and body 230 unless a test changes them.
// It records what is drawn.
class RecordingSurface final : public IPageSurface {
public:
    struct Text {
        int x, y;
        PrintFontId font;
        std::string text;
    };
    struct Rect {
        int left, top, right, bottom;
        bool filled;
        PenStyle pen;
    };
    struct Line {
        int x1, y1, x2, y2;
        PenStyle pen;
    };

    RecordingSurface() {
        metrics[PrintFontId::Heading] = {300, 240, 60, 40, 12};
        metrics[PrintFontId::Body] = {220, 176, 44, 20, 10};
        metrics[PrintFontId::Label] = {220, 176, 44, 20, 10};
        metrics[PrintFontId::Footer] = {140, 112, 28, 0, 0};
    }

    void CreateFont(PrintFontId id, const CFontRequest& request) override { fonts[id] = request; }
    void SelectFont(PrintFontId id) override { selected = id; }
    CFontMetrics GetMetrics() override { return metrics[selected]; }
    int GetTextWidth(std::string_view text) override {
        measuredBytes += text.size();
        return charWidth * static_cast<int>(text.size());
    }
    void DrawText(int x, int y, std::string_view text) override {
        texts.push_back({x, y, selected, std::string(text)});
    }
    void FillRect(int l, int t, int r, int b, CRgb colour) override {
        rects.push_back({l, t, r, b, true, pen});
        fillColour = colour;
    }
    void FrameRect(int l, int t, int r, int b) override {
        rects.push_back({l, t, r, b, false, pen});
    }
    void DrawLine(int x1, int y1, int x2, int y2) override {
        lines.push_back({x1, y1, x2, y2, pen});
    }
    void SetPen(PenStyle style) override { pen = style; }

    void Clear() {
        texts.clear();
        rects.clear();
        lines.clear();
    }
    // The first drawn text equal to s, or null.
    const Text* Find(const std::string& s) const {
        for (const auto& t : texts)
            if (t.text == s)
                return &t;
        return nullptr;
    }

    int charWidth = 100;
    // The bytes of every text measured: the work of breaking lines.
    std::size_t measuredBytes = 0;
    std::map<PrintFontId, CFontMetrics> metrics;
    std::map<PrintFontId, CFontRequest> fonts;
    PrintFontId selected = PrintFontId::Body;
    PenStyle pen = PenStyle::Solid;
    CRgb fillColour{};
    std::vector<Text> texts;
    std::vector<Rect> rects;
    std::vector<Line> lines;
};
