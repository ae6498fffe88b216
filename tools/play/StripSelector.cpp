#include "StripSelector.h"

#include "IEffectBase.h"
#include "IGraphics.h"
#include "IParamRecord.h"
#include "PX_IFont.h"
#include "controls/PromptPopup.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace toneloom {

namespace {

constexpr int kListGap = 2;    // logical pixels between box and open list
constexpr int kEdgeMargin = 6; // logical pixels the list keeps from the surface's edges
constexpr const char* kEllipsis = "...";

// Bytes of the UTF-8 character starting at `text[at]` counted backwards: the
// start of the character that holds byte `at`.
size_t CharacterStart(const std::string& text, size_t at)
{
    while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
        --at;
    }
    return at;
}

} // namespace

StripSelector::StripSelector(IEffectBase* plug, const IBox& box, int paramIndex, int top,
                             const IBox& textBox, const ITextStyle& style,
                             const ITextStyle& listStyle, const IRgba& listFill,
                             const IRgba& listFrame)
    : IControl(plug, box, paramIndex), listTop(std::max(top, box.bottom + kListGap)),
      textBox(textBox), style(style), listStyle(listStyle),
      listFill(listFill), listFrame(listFrame)
{
    SetDoubleClickAsPress(true);
    SetPromptDisabled(true);
}

std::string StripSelector::ShortenToBytes(const std::string& text, size_t maxBytes)
{
    const size_t ellipsis = std::char_traits<char>::length(kEllipsis);
    if (text.size() <= maxBytes || maxBytes < ellipsis) {
        return text.size() <= maxBytes ? text : std::string();
    }
    const size_t keep = CharacterStart(text, maxBytes - ellipsis);
    return text.substr(0, keep) + kEllipsis;
}

int StripSelector::EntryCount() const
{
    IParamRecord* param = plug != nullptr ? plug->ParamAt(paramIndex) : nullptr;
    return param != nullptr ? param->ValueTextCount() : 0;
}

int StripSelector::CurrentIndex() const
{
    IParamRecord* param = plug != nullptr ? plug->ParamAt(paramIndex) : nullptr;
    if (blank || param == nullptr) {
        return -1;
    }
    const double plain = param->PlainOf(Value());
    return std::isfinite(plain) ? static_cast<int>(std::lround(plain)) : -1;
}

void StripSelector::SetFullTexts(const std::vector<std::string>& texts)
{
    fullTexts = texts;
    MarkDirty(false);
}

void StripSelector::SetBlank(bool isBlank)
{
    if (blank != isBlank) {
        blank = isBlank;
        MarkDirty(false);
    }
}

bool StripSelector::ListOpen() const
{
    return graphics != nullptr && graphics->OpenPopup() != nullptr &&
           graphics->OpenPopup()->Owner() == this;
}

void StripSelector::CloseList()
{
    if (ListOpen()) {
        closingFromProgram = true;
        graphics->ClosePopup(false);
        closingFromProgram = false;
    }
}

bool StripSelector::OpenList()
{
    const int count = EntryCount();
    IParamRecord* param = plug->ParamAt(paramIndex);
    if (graphics == nullptr || param == nullptr || count <= 0) {
        return false;
    }
    IGraphics& g = *graphics;
    // Below the box, as wide as the box at least (the list widens to fit its
    // entries), one column.
    auto* popup =
        new PromptPopup(g, box.left, listTop, box.Width(), 1, &listStyle, &listFill, &listFrame);
    popup->SetHidden(true);
    for (int i = 0; i < count; ++i) {
        popup->AddItem(param->ValueTextAt(i)->text);
    }
    const IBox& at = popup->Box();
    int dx = 0;
    if (at.right > g.Width() - kEdgeMargin) {
        dx = std::max(kEdgeMargin, g.Width() - kEdgeMargin - at.Width()) - at.left;
    }
    popup->MoveBy(dx, 0);
    g.AddControl(popup);
    g.SetOpenPopup(popup);
    popup->ShowFor(this, CurrentIndex());
    return true;
}

void StripSelector::HandlePress(int x, int y, const IMouseKeys& keys)
{
    const bool secondPress = closedByPress && x == closedAtX && y == closedAtY;
    closedByPress = false;
    if (keys.right || secondPress) {
        return;
    }
    OpenList();
}

void StripSelector::HandleWheel(int, int, const IMouseKeys&, int steps)
{
    const int count = EntryCount();
    IParamRecord* param = plug != nullptr ? plug->ParamAt(paramIndex) : nullptr;
    if (param == nullptr || count <= 0 || steps == 0) {
        return;
    }
    CloseList();
    const int current = CurrentIndex();
    int next = current < 0 ? (steps > 0 ? 0 : count - 1) : current + steps;
    next = std::clamp(next, 0, count - 1);
    if (next == current) {
        return;
    }
    blank = false;
    StoreValue(param->NormalisedOf(next));
    MarkDirty(true);
}

void StripSelector::PopupClosed(const char*, int index)
{
    if (index >= 0) {
        blank = false;
    } else if (!closingFromProgram && graphics != nullptr) {
        closedByPress = true;
        closedAtX = graphics->LastMouseX();
        closedAtY = graphics->LastMouseY();
    }
    MarkDirty(false);
}

std::string StripSelector::FittedText(IGraphics& g, const char* text)
{
    std::string fitted = text;
    ITextStyle measured = style;
    measured.font = nullptr;
    PX_IFont* font = g.FontFor(measured);
    const int room = textBox.Width() - 2 * IGraphics::kTextFitMargin;
    if (font == nullptr || room <= 0) {
        return fitted;
    }
    auto width = [&](const std::string& s) {
        PX_Rect extent{0, 0, 0, 0};
        font->DrawText(nullptr, s.c_str(), -1, &extent, kPxTextMeasure | kPxTextNoClip);
        return extent.right - extent.left;
    };
    if (width(fitted) <= room) {
        return fitted;
    }
    // Characters off the end until the rest and the ellipsis fit.
    size_t keep = fitted.size();
    while (keep > 0) {
        keep = CharacterStart(fitted, keep - 1);
        std::string candidate = fitted.substr(0, keep);
        while (!candidate.empty() && candidate.back() == ' ') {
            candidate.pop_back();
        }
        candidate += kEllipsis;
        if (width(candidate) <= room) {
            return candidate;
        }
    }
    return kEllipsis;
}

bool StripSelector::Render(IGraphics& g)
{
    const int index = CurrentIndex();
    IParamRecord* param = plug != nullptr ? plug->ParamAt(paramIndex) : nullptr;
    if (param == nullptr || index < 0) {
        return true;
    }
    const char* text = index < static_cast<int>(fullTexts.size())
                           ? fullTexts[static_cast<size_t>(index)].c_str()
                           : param->ValueTextFor(index);
    if (text[0] == '\0') {
        return true;
    }
    const std::string shown = FittedText(g, text);
    return g.DrawTextIn(style, shown.c_str(), textBox);
}

} // namespace toneloom
