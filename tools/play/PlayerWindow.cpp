#include "PlayerWindow.h"

#include "IGraphics.h"
#include "PlayerStrip.h"

#include <algorithm>
#include <cmath>

namespace toneloom {

namespace {

// The strip's scale follows the view between these factors.
constexpr float kSmallestScale = 1.0f;
constexpr float kLargestScale = 4.0f;

} // namespace

void PlayerWindow::Arrange(int newViewWidth, int newViewHeight, IGraphics* stripGraphics)
{
    viewWidth = newViewWidth;
    viewHeight = newViewHeight;
    stripScale = std::clamp(float(viewWidth) / float(PlayerStrip::kWidth), kSmallestScale,
                            kLargestScale);
    stripHeight = static_cast<int>(std::lround(PlayerStrip::kHeight * stripScale));
    width = std::max(viewWidth, static_cast<int>(std::lround(PlayerStrip::kWidth * stripScale)));
    if (stripGraphics != nullptr && std::fabs(stripGraphics->Scale() - stripScale) > 1e-3f) {
        stripGraphics->SetScale(stripScale);
    }
}

void PlayerWindow::ViewAskedForSize(int newWidth, int newHeight)
{
    wantedWidth = newWidth;
    wantedHeight = newHeight;
    resizeWanted = true;
}

} // namespace toneloom
