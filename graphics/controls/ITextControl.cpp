#include "ITextControl.h"

#include "IEffectBase.h"
#include "IGraphics.h"

#include <cstring>
#include <mutex>
#include <string>

namespace toneloom {

ITextControl::ITextControl(IEffectBase* plugin, const IBox& controlBox, const ITextStyle& style,
                           const char* initialText)
    : IControl(plugin, controlBox), textStyle(style)
{
    // Even "" takes the text's first block here, so band texts (at most 31
    // characters) later set from the audio thread never allocate.
    text.Set(initialText);
}

ITextControl::~ITextControl() = default;

bool ITextControl::Render(IGraphics& graphics)
{
    std::string shown;
    if (plug != nullptr) {
        std::lock_guard<std::recursive_mutex> lock(plug->Mutex());
        shown = text.Get();
        drawnVersion = textVersion.load(std::memory_order_relaxed);
    } else {
        shown = text.Get();
        drawnVersion = textVersion.load(std::memory_order_relaxed);
    }
    if (shown.empty()) {
        return true;
    }
    return graphics.DrawTextIn(textStyle, shown.c_str(), box);
}

void ITextControl::TakeEditedText(const char* newText)
{
    const char* incoming = newText != nullptr ? newText : "";
    if (std::strcmp(incoming, text.Get()) == 0) {
        return;
    }
    MarkDirty(false);
    text.Set(incoming);
    textVersion.fetch_add(1, std::memory_order_relaxed);
}

bool ITextControl::NeedsRedraw()
{
    // A text taken while a pass drew the old one: that pass clears `dirty`
    // afterwards, but the version it drew is behind.
    return IControl::NeedsRedraw() ||
           (!IsHidden() && textVersion.load(std::memory_order_relaxed) != drawnVersion);
}

} // namespace toneloom
