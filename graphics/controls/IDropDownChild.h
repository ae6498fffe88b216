// The open list of an IDropDown: the whole list picture. A left press on an
// entry chooses it for the owning drop-down and hides the list; a press below
// the last entry, or with the right button, changes nothing.
//
// Threads: [UI thread].
#pragma once

#include "IControl.h"

namespace toneloom {

class IDropDown;

class IDropDownChild : public IControl
{
public:
    // Box: (x, y) and the size of `listImage`, whose frame count is the number
    // of entries, laid out top to bottom in `columns` columns. No parameter:
    // the choice goes out through `owner`, which must outlive the child.
    IDropDownChild(IEffectBase* plug, IDropDown* owner, int x, int y, const IImage& listImage,
                   int columns);

    void HandlePress(int x, int y, const IMouseKeys& keys) override;
    bool Render(IGraphics& graphics) override;

    // The entry at (x, y), or -1 for none.
    int EntryAt(int x, int y) const;

private:
    IDropDown* dropDown; // not owned
    IImage listImage;
    int columns;
};

} // namespace toneloom
