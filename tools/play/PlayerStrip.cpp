#include "PlayerStrip.h"

#include "IBitmapControl.h"
#include "IGraphics.h"
#include "IParamRecord.h"
#include "StripPlayButton.h"
#include "StripSelector.h"
#include "controls/ITextControl.h"

#include <mutex>

namespace toneloom {

namespace {

// The strip's layout, logical pixels: left, top, right, bottom (the boxes
// drawn in resources/art/make_art.py's strip()).
constexpr int kPlayButtonX = 9;
constexpr int kPlayButtonY = 9;
constexpr IBox kTimeBox{62, 9, 160, 31};
constexpr IBox kDeviceBox{168, 9, 461, 31};
constexpr IBox kStatusBox{62, 35, 280, 53};
constexpr IBox kRateBox{286, 35, 372, 53};
constexpr IBox kBufferBox{378, 35, 461, 53};
// Text inside the boxes: clear of the rounded ends and of the chevron.
constexpr int kTextInset = 8;     // from a box's left end
constexpr int kChevronRoom = 15;  // from a listed box's right end
constexpr int kLargeTextTop = 3;  // below a 22-pixel box's top, for 15-pixel text
constexpr int kSmallTextTop = 2;  // below an 18-pixel box's top, for 13-pixel text
constexpr int kStatusTextTop = 3; // the status line's 12-pixel text
// Every list opens just below the strip, over the plug-in's editor, so that
// it hides none of the strip's own boxes.
constexpr int kListTop = PlayerStrip::kHeight + 1;

// The editor's colours: bright white-ish values, grey-blue captions, the sea
// green accent; an amber for warnings.
const IRgba kValueColour(200, 255, 255, 255);
const IRgba kCaptionColour(255, 154, 165, 182);
const IRgba kWarningColour(255, 232, 178, 92);
const IRgba kListFill(250, 20, 24, 32);
const IRgba kListFrame(150, 63, 143, 136);

ITextStyle ValueStyle(int size, int align)
{
    return ITextStyle("Arial", size, kValueColour, kStyleNormal, align);
}

IBox Inside(const IBox& box, int top, bool listed)
{
    return IBox{box.left + kTextInset, box.top + top,
                box.right - (listed ? kChevronRoom : kTextInset), box.bottom};
}

std::vector<std::string> NumberTexts(const std::vector<int>& values, const char* unit)
{
    std::vector<std::string> texts;
    texts.reserve(values.size());
    for (int v : values) {
        texts.push_back(std::to_string(v) + unit);
    }
    return texts;
}

} // namespace

PlayerStrip::PlayerStrip(Listener& stripListener)
    : IEffectBase(kNumParams, "0-2", 0, "Toneloom player strip", "Toneloom", "Orvanta", 0x10000,
                  'TLps', 'Orvn', 0, false, false, 0),
      listener(stripListener)
{
    IParamRecord* play = ParamAt(kParamPlaying);
    play->DeclareEnum("Play", 0, 2, "");
    play->AddValueText(0, "Paused");
    play->AddValueText(1, "Playing");
    ParamAt(kParamDevice)->DeclareEnum("Device", 0, 1, "");
    ParamAt(kParamSampleRate)->DeclareEnum("Sample Rate", 0, 1, "");
    ParamAt(kParamBuffer)->DeclareEnum("Buffer", 0, 1, "");
    for (int i = 0; i < kNumParams; ++i) {
        ParamAt(i)->SetCanAutomate(false);
    }
}

PlayerStrip::~PlayerStrip() = default;

void PlayerStrip::BuildControls(IGraphics* newGraphics)
{
    graphics = newGraphics;
    IGraphics& g = *graphics;
    g.AddControl(new IBitmapControl(this, 0, 0, -1, g.FetchImage(kStripPicture, "strip.png", 1)));
    playButton = new StripPlayButton(this, kPlayButtonX, kPlayButtonY, kParamPlaying,
                                     g.FetchImage(kPlayButtonPicture, "strip_play.png", 2));
    g.AddControl(playButton);

    timeText = new ITextControl(this, Inside(kTimeBox, kLargeTextTop, false),
                                ValueStyle(15, kAlignCenter), time.c_str());
    g.AddControl(timeText);
    const ITextStyle small("Verdana", 12, kCaptionColour, kStyleNormal, kAlignLeft);
    ITextStyle warning = small;
    warning.colour = kWarningColour;
    const IBox statusBox{kStatusBox.left + 2, kStatusBox.top + kStatusTextTop, kStatusBox.right,
                         kStatusBox.bottom};
    statusText = new ITextControl(this, statusBox, small, statusIsWarning ? "" : status.c_str());
    statusWarning =
        new ITextControl(this, statusBox, warning, statusIsWarning ? status.c_str() : "");
    g.AddControl(statusText);
    g.AddControl(statusWarning);

    const ITextStyle listStyle("Arial", 14, kValueColour, kStyleNormal, kAlignLeft);
    deviceBox = new StripSelector(this, kDeviceBox, kParamDevice, kListTop,
                                  Inside(kDeviceBox, kLargeTextTop, true),
                                  ValueStyle(15, kAlignLeft), listStyle, kListFill, kListFrame);
    rateBox = new StripSelector(this, kRateBox, kParamSampleRate, kListTop,
                                Inside(kRateBox, kSmallTextTop, true), ValueStyle(13, kAlignCenter),
                                listStyle, kListFill, kListFrame);
    bufferBox = new StripSelector(this, kBufferBox, kParamBuffer, kListTop,
                                  Inside(kBufferBox, kSmallTextTop, true),
                                  ValueStyle(13, kAlignCenter), listStyle, kListFill, kListFrame);
    g.AddControl(deviceBox);
    g.AddControl(rateBox);
    g.AddControl(bufferBox);
    deviceBox->SetFullTexts(devices);

    AttachEditor(graphics);
    g.SetHoverEnabled(true);
    for (int i = 0; i < kNumParams; ++i) {
        PushToControls(i);
    }
}

StripSelector* PlayerStrip::SelectorFor(int paramIndex) const
{
    switch (paramIndex) {
    case kParamDevice:
        return deviceBox;
    case kParamSampleRate:
        return rateBox;
    case kParamBuffer:
        return bufferBox;
    default:
        return nullptr;
    }
}

void PlayerStrip::PushToControls(int paramIndex)
{
    if (graphics == nullptr) {
        return;
    }
    InstanceLock lock(Mutex());
    graphics->PushParamToControls(paramIndex, ParamAt(paramIndex)->Value(), false);
    if (StripSelector* selector = SelectorFor(paramIndex)) {
        selector->SetBlank(known[paramIndex] < 0);
    }
}

void PlayerStrip::SetList(int paramIndex, const std::vector<std::string>& texts, int current)
{
    const int count = static_cast<int>(texts.size());
    if (current < -1 || current >= count) {
        current = -1;
    }
    StripSelector* selector = SelectorFor(paramIndex);
    // The open list shows the old entries: closed, unless the user's own pick
    // is being reported (the list closes itself right after).
    if (selector != nullptr && !reporting) {
        selector->CloseList();
    }
    {
        InstanceLock lock(Mutex());
        IParamRecord* param = ParamAt(paramIndex);
        param->DeclareEnum(param->Name(), 0, count > 0 ? count : 1, "");
        param->ClearValueTexts();
        for (int i = 0; i < count; ++i) {
            param->AddValueText(i, StripSelector::ShortenToBytes(texts[static_cast<size_t>(i)],
                                                                 kParamTextSize - 1)
                                       .c_str());
        }
        param->SetPlain(current >= 0 ? current : 0);
        known[paramIndex] = current;
    }
    PushToControls(paramIndex);
}

void PlayerStrip::SetDevices(const std::vector<std::string>& names, int current)
{
    devices = names;
    if (deviceBox != nullptr) {
        deviceBox->SetFullTexts(devices);
    }
    SetList(kParamDevice, names, current);
}

void PlayerStrip::SetSampleRates(const std::vector<int>& hz, int current)
{
    rates = hz;
    SetList(kParamSampleRate, NumberTexts(hz, " Hz"), current);
}

void PlayerStrip::SetBuffers(const std::vector<int>& frames, int current)
{
    buffers = frames;
    SetList(kParamBuffer, NumberTexts(frames, " smp"), current);
}

void PlayerStrip::SetPlaying(bool playing)
{
    {
        InstanceLock lock(Mutex());
        ParamAt(kParamPlaying)->SetPlain(playing ? 1.0 : 0.0);
        known[kParamPlaying] = playing ? 1 : 0;
    }
    PushToControls(kParamPlaying);
}

void PlayerStrip::SetTimeText(const std::string& text)
{
    time = text;
    if (timeText != nullptr) {
        timeText->TakeEditedText(time.c_str());
    }
}

void PlayerStrip::SetStatusText(const std::string& text, bool warning)
{
    status = text;
    statusIsWarning = warning;
    if (statusText != nullptr) {
        statusText->TakeEditedText(warning ? "" : status.c_str());
        statusWarning->TakeEditedText(warning ? status.c_str() : "");
    }
}

void PlayerStrip::CloseList()
{
    for (StripSelector* box : {deviceBox, rateBox, bufferBox}) {
        if (box != nullptr) {
            box->CloseList();
        }
    }
}

bool PlayerStrip::PopupArea(IBox* area) const
{
    if (graphics == nullptr || graphics->OpenPopup() == nullptr) {
        return false;
    }
    *area = graphics->OpenPopup()->Box();
    return true;
}

void PlayerStrip::NotifyEditBegin(int) {}

void PlayerStrip::NotifyEditValue(int index, double)
{
    // The parameter holds the user's choice already (SetParamFromEditor).
    IParamRecord* param = ParamAt(index);
    if (param == nullptr) {
        return;
    }
    const int chosen = static_cast<int>(param->Value() + 0.5);
    if (index < 0 || index >= kNumParams || chosen == known[index]) {
        return;
    }
    known[index] = chosen;
    reporting = true;
    switch (index) {
    case kParamPlaying:
        listener.StripPlayingChanged(chosen != 0);
        break;
    case kParamDevice:
        if (chosen < static_cast<int>(devices.size())) {
            listener.StripDeviceChosen(chosen);
        }
        break;
    case kParamSampleRate:
        if (chosen < static_cast<int>(rates.size())) {
            listener.StripSampleRateChosen(rates[static_cast<size_t>(chosen)]);
        }
        break;
    case kParamBuffer:
        if (chosen < static_cast<int>(buffers.size())) {
            listener.StripBufferChosen(buffers[static_cast<size_t>(chosen)]);
        }
        break;
    default:
        break;
    }
    reporting = false;
}

void PlayerStrip::NotifyEditEnd(int) {}

void PlayerStrip::GetTimeSignature(int* numerator, int* denominator)
{
    *numerator = 4;
    *denominator = 4;
}

void PlayerStrip::ResizeEditor(int, int) {}

bool PlayerStrip::SendMidi(const MidiMessage*)
{
    return false;
}

void PlayerStrip::HostTimeInfo(ITimeInfo* info)
{
    *info = ITimeInfo{};
}

} // namespace toneloom
