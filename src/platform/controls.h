// The controls the window logic talks to. The Windows layer implements them
// over real controls; the unit tests over plain data.
#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

// A drop-down list whose entries can only be picked, not typed.
class IComboBox {
public:
    virtual ~IComboBox() = default;
    virtual void Clear() = 0;
    virtual void AddItem(const std::string& text) = 0;
    // Selects the entry whose text is exactly `text` (no prefix or case
    // folding). Selecting from code is not a pick: no click is reported.
    virtual void SetText(const std::string& text) = 0;
    // Selected entry, -1 for none.
    virtual int16_t ListIndex() = 0;
    virtual void SetEnabled(bool enabled) = 0;
};

// Design geometry is in twips: 1440 per inch, 15 per pixel at 96 DPI.
constexpr int32_t kTwipsPerInch = 1440;

// A control's place in its window's client area, in twips.
struct Box {
    int32_t left, top, width, height;
};

// Twips to pixels at `dpi`, rounded to nearest.
inline int32_t TwipsToPixels(int32_t twips, int32_t dpi) {
    const int64_t num = static_cast<int64_t>(twips) * dpi;
    return static_cast<int32_t>(num >= 0 ? (num + kTwipsPerInch / 2) / kTwipsPerInch
                                         : -((-num + kTwipsPerInch / 2) / kTwipsPerInch));
}

inline double PixelsToTwips(int32_t pixels, int32_t dpi) {
    return static_cast<double>(pixels) * kTwipsPerInch / dpi;
}

}  // namespace vantrel
