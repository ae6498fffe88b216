// A box of toneloom-play's strip that shows the current entry of a list
// parameter (its value text, shortened with "..." when it is too wide) and
// lets the user pick another: a left press opens the list below it (a
// PromptPopup, which pages and scrolls long lists), a second press closes
// it again, and each wheel notch over the box steps to the next or previous
// entry (up: next).
//
// Threads: [UI thread] only.
#pragma once

#include "IControl.h"

#include <string>
#include <vector>

namespace toneloom {

class StripSelector : public IControl
{
public:
    // `box` is where the user presses (the whole drawn box); the text is
    // drawn in `textBox` in `style`. The list opens with its top at
    // `listTop` (logical pixels; at least below the box), its left edge at
    // the box's, in `listStyle`, filled with `listFill` and framed (and its
    // chosen row marked) in `listFrame`.
    StripSelector(IEffectBase* plug, const IBox& box, int paramIndex, int listTop,
                  const IBox& textBox,
                  const ITextStyle& style, const ITextStyle& listStyle, const IRgba& listFill,
                  const IRgba& listFrame);

    void HandlePress(int x, int y, const IMouseKeys& keys) override;
    void HandleWheel(int x, int y, const IMouseKeys& keys, int steps) override;
    void PopupClosed(const char* text, int index) override;
    bool Render(IGraphics& graphics) override;

    // The entries' whole texts, drawn in the box in place of the value texts
    // (which a parameter keeps to 31 bytes); empty: the value texts.
    void SetFullTexts(const std::vector<std::string>& texts);
    // Shows no entry until the user picks one (the program has none to show).
    void SetBlank(bool blank);
    // The entry shown: -1 while blank.
    int CurrentIndex() const;
    // True while this box's list is open.
    bool ListOpen() const;
    // Closes this box's list, if open, without a choice and without taking
    // the close for a press on the box.
    void CloseList();

    // `text` cut at a character boundary and ended with "..." so that it is
    // at most `maxBytes` bytes long (a value text holds 31).
    static std::string ShortenToBytes(const std::string& text, size_t maxBytes);

private:
    bool OpenList();
    int EntryCount() const;
    // The shown text, shortened to fit the text box in the style's font.
    std::string FittedText(IGraphics& graphics, const char* text);

    std::vector<std::string> fullTexts;
    int listTop; // logical pixels
    IBox textBox;
    ITextStyle style;
    ITextStyle listStyle;
    IRgba listFill;
    IRgba listFrame;
    bool blank = false;
    // Where the press was that closed the list (the editor closes an open list
    // before the press reaches anyone); a press there on this box only closes.
    bool closedByPress = false;
    int closedAtX = 0;
    int closedAtY = 0;
    bool closingFromProgram = false;
};

} // namespace toneloom
