// A line of text in a box, drawn from the box's top in its own style: the
// version text and the brainwave band label. The engine sets the band label
// through TakeEditedText (the IBandLabelSink seam), which redraws only when the
// text really changes.
//
// Threads: Render on the UI thread; TakeEditedText on any thread with the
// instance mutex held. Render copies the text under the same mutex, so a
// drawing never sees half of an old and half of a new text.
#pragma once

#include "IControl.h"
#include "TextBuffer.h"
#include "ToneloomEditorSeam.h"

#include <atomic>
#include <cstdint>

namespace toneloom {

class ITextControl : public IControl, public IBandLabelSink
{
public:
    // No parameter. Null `text` is "".
    ITextControl(IEffectBase* plug, const IBox& box, const ITextStyle& style, const char* text);
    ~ITextControl() override;

    // Nothing to draw for an empty text.
    bool Render(IGraphics& graphics) override;
    // Slot 21 of text controls. Replaces the text and marks the control dirty
    // when `newText` differs byte for byte; an equal text changes nothing.
    // Null is "".
    void TakeEditedText(const char* newText) override;
    // Also true while the text last drawn is older than the text held.
    bool NeedsRedraw() override;

    // [UI thread, or with the instance mutex held]
    const char* Text() const { return text.Get(); }
    const ITextStyle& Style() const { return textStyle; }

private:
    ITextStyle textStyle;
    TextBuffer text;
    std::atomic<uint32_t> textVersion{0}; // counts the changes of `text`
    uint32_t drawnVersion = 0;            // [UI thread] textVersion of the text last drawn
};

} // namespace toneloom
