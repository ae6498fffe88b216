// The base of the editor's knobs: a picture centred on a point, a value text
// below it, and dragging that turns pixels of travel into value. Dragging up
// (or right) raises the value; the whole range takes the box's height (or
// width) times `gearing` pixels, ten times as far with Ctrl or Shift held.
// A press keeps IControl's behaviour: a right press opens the value list or
// the platform's value entry.
//
// Threads: [UI thread], except what IControl says.
#pragma once

#include "IControl.h"

namespace toneloom {

class IKnobControl : public IControl
{
public:
    static constexpr double kFineGearing = 10.0; // Ctrl or Shift: ten times as far

    void HandleDrag(int x, int y, int dx, int dy, const IMouseKeys& keys) override;

    int CentreX() const { return centreX; }
    int CentreY() const { return centreY; }
    const IImage& Image() const { return image; }
    const ITextStyle& TextStyle() const { return textStyle; }

protected:
    // Box: the picture (one frame wide, or `width` when it is not 0) centred
    // on (centreX, centreY), with room for a line of text `textGap` pixels
    // below it. A negative gap puts the text into the picture's lower part
    // and adds no room; `roomBelowForGap` false always adds the room.
    IKnobControl(IEffectBase* plug, int paramIndex, int centreX, int centreY, const IImage& image,
                 const ITextStyle& textStyle, int textGap, int rotationRange, double gearing,
                 int width, int direction, bool roomOnlyForPositiveGap);

    // The bound parameter's current value as text ("" without a parameter),
    // with the unit label right after the number when `withLabel`. Read under
    // the instance mutex.
    void FormatParamValue(char* text, int capacity, bool withLabel) const;

    int direction;        // 0: vertical dragging; otherwise horizontal
    double gearing;       // pixels of travel are divided by it (4 in the editor)
    ITextStyle textStyle; // the value text's style (switched to centred on first draw)
    IImage image;
    int centreX;       // pixels
    int centreY;       // pixels
    int textGap;       // pixels from the picture to the value text
    int rotationRange; // degrees of travel of a rotating knob
};

} // namespace toneloom
