#include "wayland/output_layout.hpp"

#include <numeric>

namespace {

// p device pixels are q logical ones, p/q in lowest terms.
struct Ratio {
    uint32_t device;
    uint32_t logical;
};

uint32_t RoundedDivision(uint64_t value, uint64_t divisor)
{
    return static_cast<uint32_t>((value + divisor / 2) / divisor);
}

// The span [start, start + length) widened to whole steps of p device pixels,
// which are whole logical pixels too.
void WidenToSteps(uint32_t start, uint32_t length, uint32_t step, uint32_t& wideStart, uint32_t& wideLength)
{
    wideStart = start / step * step;
    wideLength = (start + length + step - 1) / step * step - wideStart;
}

} // namespace

OutputLayout LayOutImage(uint32_t deviceWidth, uint32_t deviceHeight, uint32_t logicalWidth, uint32_t logicalHeight,
    uint32_t maxScale, bool compositorScaling)
{
    if (logicalWidth == 0 || logicalHeight == 0) {
        logicalWidth = deviceWidth;
        logicalHeight = deviceHeight;
    }
    const uint32_t common = std::gcd(deviceWidth, logicalWidth);
    const Ratio ratio { deviceWidth / common, logicalWidth / common };
    OutputLayout layout {};
    layout.fit = FitImage(deviceWidth, deviceHeight, maxScale);
    const ImageFit& fit = layout.fit;
    if (compositorScaling) {
        layout.x = static_cast<int32_t>(RoundedDivision(uint64_t { fit.x } * ratio.logical, ratio.device));
        layout.y = static_cast<int32_t>(RoundedDivision(uint64_t { fit.y } * ratio.logical, ratio.device));
        layout.width = RoundedDivision(uint64_t { fit.width } * ratio.logical, ratio.device);
        layout.height = RoundedDivision(uint64_t { fit.height } * ratio.logical, ratio.device);
        layout.bufferWidth = imageWidth;
        layout.bufferHeight = imageHeight;
        layout.bufferScale = 1;
        layout.viewport = true;
        return layout;
    }
    uint32_t left, top;
    WidenToSteps(fit.x, fit.width, ratio.device, left, layout.bufferWidth);
    WidenToSteps(fit.y, fit.height, ratio.device, top, layout.bufferHeight);
    layout.imageX = fit.x - left;
    layout.imageY = fit.y - top;
    layout.x = static_cast<int32_t>(left / ratio.device * ratio.logical);
    layout.y = static_cast<int32_t>(top / ratio.device * ratio.logical);
    layout.width = layout.bufferWidth / ratio.device * ratio.logical;
    layout.height = layout.bufferHeight / ratio.device * ratio.logical;
    layout.viewport = ratio.logical != 1;
    layout.bufferScale = layout.viewport ? 1 : static_cast<int32_t>(ratio.device);
    return layout;
}
