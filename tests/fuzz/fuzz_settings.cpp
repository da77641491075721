// Any text in the settings store: the parsers fall back to their defaults or give a
// value that formats and parses back to itself; nothing crashes or overflows.
#include "port/ISettingsStore.h"
#include "view/CSettingsSchema.h"
#include "view/DisplayName.h"
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

namespace {

class Store final : public ISettingsStore {
public:
    int GetInt(const std::string& name, int def) const override {
        auto it = ints.find(name);
        return it == ints.end() ? def : it->second;
    }
    std::string GetString(const std::string& name, const std::string& def) const override {
        auto it = strings.find(name);
        return it == strings.end() ? def : it->second;
    }
    void WriteInt(const std::string& name, int value) override { ints[name] = value; }
    void WriteString(const std::string& name, const std::string& value) override {
        strings[name] = value;
    }
    std::map<std::string, int> ints;
    std::map<std::string, std::string> strings;
};

int IntAt(const uint8_t* d, size_t n, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i)
        v = (v << 8) | (at + i < n ? d[at + i] : 0);
    return static_cast<int>(v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace S = SettingsSchema;
    const std::string text(reinterpret_cast<const char*>(data), size);

    if (auto rect = S::ParseRect(text)) {
        // A rectangle that parsed must survive its own format.
        auto again = S::ParseRect(S::FormatRect(*rect));
        if (!again || !(*again == *rect))
            std::abort();
    }
    const double margin = S::ParseMargin(text);
    if (std::isnan(margin))
        std::abort();
    const int bits = S::DecodePrintData(IntAt(data, size, 0));
    if (bits < 0 || bits > 63)
        std::abort();
    S::DefaultFontPitch(text);

    // Every value of the section garbled at once.
    Store store;
    const size_t third = size / 3;
    store.strings[S::kTopMargin] = text.substr(0, third);
    store.strings[S::kLeftMargin] = text.substr(third, third);
    store.strings[S::kSelectedSize] = text.substr(2 * third);
    store.strings[S::kFontName] = text.substr(third);
    store.strings[S::kRect] = text;
    store.ints[S::kPrintData] = IntAt(data, size, 0);
    store.ints[S::kBorder] = IntAt(data, size, 4);
    store.ints[S::kPausePrinting] = IntAt(data, size, 8);
    store.ints[S::kSelectedIndex] = IntAt(data, size, 12);
    store.ints[S::kFontPitch] = IntAt(data, size, 16);
    const CPrintSettings ps = S::ReadPrintSettings(store);
    const int index = S::ReadSelectedIndex(store);
    if (index < 0 || index > kOtherLetter) // A to Z, then "#"
        std::abort();
    S::ReadFrameSettings(store);
    S::WritePrintSettings(store, ps);
    return 0;
}
