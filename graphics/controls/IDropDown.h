// A drop-down list: closed, it shows the frame of its picture that the value
// selects; a left press opens the list picture below it (an IDropDownChild,
// made on first opening and added at the end of the editor's control list so
// it lies above everything), a press on an entry chooses it. A second press
// on the drop-down, a right press, a choice or any change of the value closes
// the list again; the list stays in the control list, hidden.
//
// Threads: [UI thread], except what IControl says.
#pragma once

#include "IControl.h"

namespace toneloom {

class IDropDownChild;

class IDropDown : public IControl
{
public:
    // Where the open list goes relative to the closed box.
    enum Placement : int
    {
        kBelowLeft = 0,  // below, left edges aligned (the editor's choice)
        kBelowRight = 1, // below, right edges aligned
        kAboveLeft = 2,
        kAboveRight = 3,
        // any other value: below, centred
    };

    // Box: (x, y - 1) to (x + closed width, y + one frame's height + 1).
    // `closedImage` holds one frame per value, stacked vertically;
    // `listImage` is the whole open list, its frame count the number of entries.
    IDropDown(IEffectBase* plug, int paramIndex, int x, int y, const IImage& closedImage,
              const IImage& listImage, int columns, int placement);

    void HandlePress(int x, int y, const IMouseKeys& keys) override;
    // The wheel does not change the choice.
    void HandleWheel(int x, int y, const IMouseKeys& keys, int steps) override;
    bool Render(IGraphics& graphics) override;

    // [UI thread] An entry chosen in the open list (normalised): sent to the
    // plug-in at once as one begin, value, end gesture.
    void ChooseFromList(double normalised);

    bool IsOpen() const { return open; }
    // Null until the list was first opened.
    IDropDownChild* Child() const { return child; }
    // The frame of the closed picture the value selects, counted from 1.
    int FrameForValue() const;

private:
    IDropDownChild* child = nullptr; // owned by the editor's control list once added
    IImage closedImage;
    IImage listImage;
    double lastDrawnValue = -1.0; // normalised
    int columns;
    int placement;
    bool open = false;
    bool childCreated = false;
};

} // namespace toneloom
