#include "IGraphics.h"

#include "EditorSizeSetting.h"
#include "FontCache.h"
#include "IBitmapControl.h"
#include "IEffectBase.h"
#include "IParamRecord.h"
#include "ImageCache.h"
#include "PX_CachedFont.h"
#include "PX_Draw.h"
#include "PX_MemBitmap.h"
#include "PX_NativeFont.h"
#include "PX_Resample.h"
#include "PX_SysBitmap.h"
#include "TypedValue.h"
#include "controls/PromptPopup.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace toneloom {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kBoldWeight = 700;
constexpr int kNormalWeight = 400;
constexpr int kTenthsPerDegree = 10;
constexpr float kScaleTolerance = 1e-4f; // factors this close count as equal
constexpr int kSmallestFittedText = 6;   // surface pixels: a shrunk text stays legible

int Scaled(int logical, float scale)
{
    return static_cast<int>(std::lround(static_cast<double>(logical) * scale));
}

// The raster mode of a blend method; unknown methods act as kBlendDefault.
int RasterMode(const IBlend* blend)
{
    const int method = blend != nullptr ? blend->method : kBlendDefault;
    switch (method) {
    case kBlendCopy:
        return kPxCopy;
    case kBlendAdd:
        return kPxSourceAlpha | kPxAdd;
    case kBlendDodge:
        return kPxSourceAlpha | kPxDodge;
    default:
        return kPxSourceAlpha;
    }
}

float Weight(const IBlend* blend)
{
    return blend != nullptr ? blend->weight : 1.0f;
}

// Opacity for lines and arcs in a colour: its alpha, applied once. The
// source-alpha modes weight by the colour's alpha themselves.
float StrokeOpacity(const IRgba& colour, int mode)
{
    return (mode & kPxSourceAlpha) != 0 ? 1.0f : static_cast<float>(colour.alpha) / 255.0f;
}

// The plug-in side walks the control list with the instance mutex held
// (PushParamToControls and the others, from the audio thread too), so the UI
// thread changes the list only while holding it. Reading the list on the UI
// thread needs no lock: no other thread changes it.
std::unique_lock<std::recursive_mutex> ListChangeLock(IEffectBase* plug)
{
    return plug != nullptr ? std::unique_lock<std::recursive_mutex>(plug->Mutex())
                           : std::unique_lock<std::recursive_mutex>();
}

// The background: the picture at index 0. Without a picture it paints the
// editor opaque black, so a draw pass still covers what lies under moving
// controls.
class BackgroundControl : public IBitmapControl
{
public:
    BackgroundControl(IEffectBase* plug, const IImage& picture, int editorWidth, int editorHeight)
        : IBitmapControl(plug, 0, 0, -1, picture, IBlend(kBlendCopy, 1.0f), true)
    {
        if (picture.bitmap == nullptr) {
            box = IBox{0, 0, editorWidth, editorHeight};
            targetBox = box;
        }
    }

    // A right press on the empty panel offers the editor's sizes.
    void HandlePress(int x, int y, const IMouseKeys& keys) override
    {
        if (keys.right && graphics != nullptr) {
            graphics->OpenSizeMenu(*this, x, y);
            return;
        }
        IBitmapControl::HandlePress(x, y, keys);
    }

    void PopupClosed(const char*, int index) override
    {
        if (index >= 0 && graphics != nullptr) {
            graphics->ChooseSizeAt(index);
        }
    }

    bool Render(IGraphics& graphics) override
    {
        if (image.bitmap != nullptr) {
            return IBitmapControl::Render(graphics);
        }
        const IBox area = box.Intersect(graphics.DrawBox());
        graphics.FillBox(IRgba(255, 0, 0, 0), area, &blend);
        return true;
    }
};

} // namespace

IGraphics::IGraphics(IEffectBase* plugin, int editorWidth, int editorHeight, int framesPerSecond)
    : plug(plugin), width(editorWidth), height(editorHeight),
      frameRate(framesPerSecond > 0 ? framesPerSecond : kDefaultFrameRate)
{
}

IGraphics::~IGraphics()
{
    DeleteControls();
    ForgetScaledImages();
    delete surface;
    surface = nullptr;
}

void IGraphics::ScaleChanged() {}

float IGraphics::SystemScale(void*)
{
    return 1.0f;
}

bool IGraphics::ApplyDefaultScale(void* parent)
{
    if (hostScale) {
        return false;
    }
    const int percent = EditorSizeSetting::Load();
    const float factor = percent > 0 ? static_cast<float>(percent) / 100.0f : SystemScale(parent);
    const int oldWidth = SurfaceWidth();
    const int oldHeight = SurfaceHeight();
    SetScale(std::clamp(factor, kMinEditorScale, kMaxEditorScale));
    return SurfaceWidth() != oldWidth || SurfaceHeight() != oldHeight;
}

void IGraphics::FollowSystemScale(float systemScale)
{
    if (hostScale || userScale || EditorSizeSetting::Load() > 0) {
        return;
    }
    const int oldWidth = SurfaceWidth();
    if (SetScale(std::clamp(systemScale, kMinEditorScale, kMaxEditorScale)) &&
        SurfaceWidth() != oldWidth && plug != nullptr) {
        plug->ResizeEditor(SurfaceWidth(), SurfaceHeight());
    }
}

void IGraphics::OpenSizeMenu(IControl& owner, int x, int y)
{
    if (openPopup != nullptr) {
        return; // this press closed the open one
    }
    int current = -1;
    for (int i = 0; i < EditorSizeSetting::kChoiceCount; ++i) {
        if (std::fabs(EditorSizeSetting::kChoices[i] / 100.0f - scale) < kScaleTolerance) {
            current = i;
        }
    }
    auto* menu = new PromptPopup(*this, x, y, PromptPopup::kOpenWidth, 1);
    AddControl(menu);
    SetOpenPopup(menu);
    menu->SetHidden(true);
    char label[16];
    for (const int percent : EditorSizeSetting::kChoices) {
        std::snprintf(label, sizeof label, "%d %%", percent);
        menu->AddItem(label);
    }
    // At the pointer, but kept inside the editor.
    const IBox& box = menu->Box();
    const int margin = PromptPopup::kEdgeMargin;
    const int dx = std::min(0, width - margin - box.right) + std::max(0, margin - box.left);
    const int dy = std::min(0, height - margin - box.bottom) + std::max(0, margin - box.top);
    menu->MoveBy(dx, dy);
    menu->ShowFor(&owner, current);
}

void IGraphics::ChooseSizeAt(int choice)
{
    if (choice < 0 || choice >= EditorSizeSetting::kChoiceCount) {
        return;
    }
    const int percent = EditorSizeSetting::kChoices[choice];
    EditorSizeSetting::Save(percent); // a read-only home only loses the memory
    userScale = true;
    pendingSizePercent = percent;
}

bool IGraphics::SetScale(float factor)
{
    if (!std::isfinite(factor) || factor < kMinEditorScale - kScaleTolerance ||
        factor > kMaxEditorScale + kScaleTolerance) {
        return false;
    }
    factor = std::clamp(factor, kMinEditorScale, kMaxEditorScale);
    if (std::fabs(factor - scale) < kScaleTolerance) {
        return true;
    }
    // A drag under way would jump: its positions were of the old size.
    EndOpenGesture();
    scale = factor;
    ForgetScaledImages();
    InvalidateAll();
    ScaleChanged();
    return true;
}

int IGraphics::SurfaceWidth() const
{
    return Scaled(width, scale);
}

int IGraphics::SurfaceHeight() const
{
    return Scaled(height, scale);
}

IBox IGraphics::ToSurface(const IBox& logical) const
{
    if (scale == 1.0f || logical.IsEmpty()) {
        return logical;
    }
    return IBox{Scaled(logical.left, scale), Scaled(logical.top, scale),
                Scaled(logical.right, scale), Scaled(logical.bottom, scale)};
}

IBox IGraphics::FromSurface(const IBox& surfaceBox) const
{
    if (scale == 1.0f || surfaceBox.IsEmpty()) {
        return surfaceBox;
    }
    return IBox{static_cast<int>(std::floor(surfaceBox.left / scale)),
                static_cast<int>(std::floor(surfaceBox.top / scale)),
                static_cast<int>(std::ceil(surfaceBox.right / scale)),
                static_cast<int>(std::ceil(surfaceBox.bottom / scale))};
}

int IGraphics::ToLogical(int surfacePx) const
{
    if (scale == 1.0f) {
        return surfacePx;
    }
    return static_cast<int>(std::floor((static_cast<float>(surfacePx) + 0.5f) / scale));
}

int IGraphics::LineWidth() const
{
    return std::max(1, static_cast<int>(std::lround(scale)));
}

void IGraphics::ForgetScaledImages()
{
    for (ScaledImage& picture : scaledImages) {
        if (picture.owned) {
            delete picture.bitmap;
        }
    }
    scaledImages.clear();
}

void IGraphics::Resize(int newWidth, int newHeight)
{
    SetSize(newWidth, newHeight);
    EndOpenGesture();
    capturedIndex = -1;
    lastMouseX = -1;
    lastMouseY = -1;
    {
        const auto lock = ListChangeLock(plug);
        DeleteControls();
    }
    if (plug != nullptr) {
        plug->ResizeEditor(newWidth, newHeight);
    }
}

bool IGraphics::IsWindowOpen()
{
    return NativeWindow() != nullptr;
}

bool IGraphics::HostWheel(int)
{
    return false;
}

int IGraphics::ReservedQuery()
{
    return 0;
}

void IGraphics::SetSize(int newWidth, int newHeight)
{
    width = newWidth;
    height = newHeight;
}

void IGraphics::DeleteControls()
{
    // No call reaches the plug-in here: the destructor runs while the plug-in
    // itself is being destroyed.
    gestureParam = -1;
    openPopup = nullptr;
    hoveredIndex = -1;
    capturedIndex = -1;
    while (!controls.empty()) {
        IControl* control = controls.back();
        controls.pop_back();
        delete control;
    }
}

// Construction and setup.

int IGraphics::AddControl(IControl* control)
{
    if (control == nullptr) {
        return -1;
    }
    control->SetGraphics(this);
    const auto lock = ListChangeLock(plug);
    controls.push_back(control);
    return static_cast<int>(controls.size()) - 1;
}

void IGraphics::RemoveControl(IControl* control)
{
    const int index = IndexOf(control);
    if (index < 0) {
        return;
    }
    {
        const auto lock = ListChangeLock(plug);
        controls.erase(controls.begin() + index);
    }
    // Indices after the gap shift down; a removed control is forgotten.
    auto follow = [index](int& held) {
        if (held == index) {
            held = -1;
        } else if (held > index) {
            --held;
        }
    };
    follow(capturedIndex);
    follow(hoveredIndex);
    if (openPopup == control) {
        openPopup = nullptr;
    }
}

void IGraphics::SetBackgroundImage(int resourceId, const char* name)
{
    const IImage picture = FetchImage(resourceId, name, 1);
    IControl* background = new BackgroundControl(plug, picture, width, height);
    background->SetGraphics(this);
    {
        const auto lock = ListChangeLock(plug);
        controls.insert(controls.begin(), background);
    }
    for (int* held : {&capturedIndex, &hoveredIndex}) {
        if (*held >= 0) {
            ++*held;
        }
    }
}

IImage IGraphics::FetchImage(int resourceId, const char* name, int frames)
{
    ImageCache& cache = ImageCache::Module();
    PX_IBitmap* bitmap = cache.Find(resourceId);
    if (bitmap == nullptr) {
        // Decoded outside the cache's lock; Insert keeps the first copy when
        // another editor decoded the same picture meanwhile.
        bitmap = cache.Insert(resourceId, LoadImageResource(resourceId, name));
    }
    IImage image;
    image.frames = frames;
    image.resourceId = resourceId;
    if (bitmap != nullptr && bitmap->Pixels() != nullptr) {
        image.bitmap = bitmap;
        image.width = bitmap->Width();
        image.height = bitmap->Height();
    }
    return image;
}

IImage IGraphics::FindImage(int resourceId)
{
    IImage image;
    image.resourceId = resourceId;
    PX_IBitmap* bitmap = ImageCache::Module().Find(resourceId);
    if (bitmap != nullptr && bitmap->Pixels() != nullptr) {
        image.bitmap = bitmap;
        image.width = bitmap->Width();
        image.height = bitmap->Height();
    }
    return image;
}

void IGraphics::CreateSurface()
{
    // The pixels come with the first draw pass: an editor whose window never
    // opens (most instances in a session) costs no surface memory.
    if (surface == nullptr) {
        surface = new PX_SysBitmap();
    }
}

bool IGraphics::EnsureSurfacePixels()
{
    if (surface == nullptr) {
        return false;
    }
    const int surfaceWidth = SurfaceWidth();
    const int surfaceHeight = SurfaceHeight();
    if (surface->Pixels() == nullptr || surface->Width() != surfaceWidth ||
        surface->Height() != surfaceHeight) {
        surface->SetSize(surfaceWidth, surfaceHeight);
        FillArea(surface, 0, 0, surfaceWidth, surfaceHeight, IRgba(255, 0, 0, 0).Pixel(), 1.0f,
                 kPxCopy);
    }
    return surface->Pixels() != nullptr;
}

PX_IFont* IGraphics::FontFor(ITextStyle& style)
{
    if (style.font != nullptr) {
        return style.font;
    }
    FontCache& cache = FontCache::Module();
    if (PX_IFont* cached = cache.Find(style)) {
        style.font = cached;
        return cached;
    }
    PX_FontSpec fontSpec;
    fontSpec.face = style.face;
    fontSpec.height = style.size;
    fontSpec.escapement = style.orientation * kTenthsPerDegree;
    fontSpec.orientation = style.orientation * kTenthsPerDegree;
    fontSpec.weight = (style.style & kStyleBold) != 0 ? kBoldWeight : kNormalWeight;
    fontSpec.italic = (style.style & kStyleItalic) != 0;
    switch (style.quality) {
    case kQualityNonAntiAliased:
        fontSpec.quality = kPxQualityNonAntiAliased;
        break;
    case kQualityAntiAliased:
        fontSpec.quality = kPxQualityAntiAliased;
        break;
    case kQualityClearType:
        fontSpec.quality = kPxQualityClearType;
        break;
    default:
        fontSpec.quality = kPxQualityDefault;
        break;
    }
    PX_NativeFont native = PX_CreateNativeFont(fontSpec);
    if (native == nullptr) {
        return nullptr;
    }
    auto* font = new PX_CachedFont();
    if (!font->SetNativeFont(native, kPxFontOwnsNative | kPxFontPreferNative)) {
        if (font->NativeFont() != native) {
            PX_DeleteNativeFont(native);
        }
        delete font;
        return nullptr;
    }
    style.font = cache.Insert(style, font);
    return style.font;
}

// Values between plug-in and controls.

void IGraphics::PushParamToControls(int paramIndex, double value, bool isNormalised)
{
    if (!isNormalised) {
        const IParamRecord* param = plug != nullptr ? plug->ParamAt(paramIndex) : nullptr;
        if (param == nullptr) {
            return;
        }
        value = param->NormalisedOf(value);
    }
    for (size_t i = 0; i < controls.size(); ++i) {
        if (controls[i]->ParamIndex() == paramIndex) {
            controls[i]->ShowHostValue(value);
        }
    }
}

void IGraphics::PushUserValueToControls(int paramIndex, double normalised)
{
    for (size_t i = 0; i < controls.size(); ++i) {
        if (controls[i]->ParamIndex() == paramIndex) {
            controls[i]->ShowUserValue(normalised);
        }
    }
}

void IGraphics::SetControlValueAt(int controlIndex, double normalised)
{
    if (IControl* control = ControlAt(controlIndex)) {
        control->ShowHostValue(normalised);
    }
}

void IGraphics::SetParamControlsHidden(int paramIndex, bool hide)
{
    for (size_t i = 0; i < controls.size(); ++i) {
        if (controls[i]->ParamIndex() == paramIndex) {
            controls[i]->SetHidden(hide);
        }
    }
}

void IGraphics::InvalidateAll()
{
    if (!controls.empty()) {
        controls.front()->MarkDirty(false);
    }
}

// Drawing and presenting.

bool IGraphics::CollectDirtyArea(IBox* area)
{
    if (pendingSizePercent > 0) {
        const int oldWidth = SurfaceWidth();
        SetScale(static_cast<float>(pendingSizePercent) / 100.0f);
        pendingSizePercent = 0;
        if (SurfaceWidth() != oldWidth && plug != nullptr) {
            plug->ResizeEditor(SurfaceWidth(), SurfaceHeight());
        }
    }
    bool found = false;
    for (IControl* control : controls) {
        if (control->NeedsRedraw()) {
            *area = area->Union(control->Box());
            found = true;
        }
    }
    return found;
}

bool IGraphics::DrawArea(const IBox& area)
{
    if (controls.empty()) {
        return true;
    }
    EnsureSurfacePixels();
    drawBox = area;
    surfaceDrawBox = ToSurface(area);
    // By index: a control may add controls while it draws.
    for (size_t i = 0; i < controls.size(); ++i) {
        IControl* control = controls[i];
        if (!control->IsHidden() && control->Box().Overlaps(area)) {
            control->Render(*this);
        }
        control->MarkClean();
    }
    return PresentArea(surfaceDrawBox);
}

// Mouse and keys.

IControl* IGraphics::ControlAt(int index) const
{
    return index >= 0 && index < static_cast<int>(controls.size()) ? controls[index] : nullptr;
}

int IGraphics::IndexOf(const IControl* control) const
{
    for (size_t i = 0; i < controls.size(); ++i) {
        if (controls[i] == control) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int IGraphics::FindControlAt(int x, int y)
{
    if (ControlAt(capturedIndex) != nullptr) {
        return capturedIndex;
    }
    for (int i = static_cast<int>(controls.size()) - 1; i >= 0; --i) {
        IControl* control = controls[i];
        if (!control->IsHidden() && !control->IsDimmed() && control->HitTest(x, y)) {
            return i;
        }
    }
    return -1;
}

void IGraphics::ReleaseMouse()
{
    capturedIndex = -1;
    lastMouseX = -1;
    lastMouseY = -1;
}

void IGraphics::BeginGesture(int paramIndex)
{
    if (paramIndex >= 0 && plug != nullptr) {
        gestureParam = paramIndex;
        plug->NotifyEditBegin(paramIndex);
    }
}

void IGraphics::EndOpenGesture()
{
    // A press whose release never came (the window closed or lost the
    // mouse): the pressed control still hears its release, so a control that
    // holds a value while pressed lets go of it.
    IControl* captured = ControlAt(capturedIndex);
    const int x = lastMouseX;
    const int y = lastMouseY;
    ReleaseMouse();
    if (captured != nullptr) {
        captured->HandleRelease(x, y, IMouseKeys());
    }
    const int paramIndex = gestureParam;
    gestureParam = -1;
    if (paramIndex >= 0 && plug != nullptr) {
        plug->NotifyEditEnd(paramIndex);
    }
}

void IGraphics::MouseDown(int surfaceX, int surfaceY, const IMouseKeys& keys)
{
    EndOpenGesture();
    const int x = ToLogical(surfaceX);
    const int y = ToLogical(surfaceY);
    const int index = FindControlAt(x, y);
    if (index < 0) {
        return;
    }
    IControl* hit = controls[index];
    capturedIndex = index;
    lastMouseX = x;
    lastMouseY = y;
    if (openPopup != nullptr && IndexOf(openPopup) >= 0 && hit != openPopup &&
        hit->Owner() != openPopup) {
        ClosePopup(false);
        capturedIndex = IndexOf(hit); // the pop-up's removal may have shifted it
    }
    BeginGesture(hit->ParamIndex());
    hit->HandlePress(x, y, keys);
}

void IGraphics::MouseUp(int surfaceX, int surfaceY, const IMouseKeys& keys)
{
    const int x = ToLogical(surfaceX);
    const int y = ToLogical(surfaceY);
    const int index = FindControlAt(x, y);
    ReleaseMouse();
    if (index >= 0) {
        controls[index]->HandleRelease(x, y, keys);
    }
    // Ends the gesture the press or double click began, on whichever control
    // the release reached.
    EndOpenGesture();
}

void IGraphics::MouseDrag(int surfaceX, int surfaceY, const IMouseKeys& keys)
{
    const int x = ToLogical(surfaceX);
    const int y = ToLogical(surfaceY);
    IControl* captured = ControlAt(capturedIndex);
    if (captured == nullptr) {
        return;
    }
    const int dx = x - lastMouseX;
    const int dy = y - lastMouseY;
    if (dx == 0 && dy == 0) {
        return;
    }
    lastMouseX = x;
    lastMouseY = y;
    captured->HandleDrag(x, y, dx, dy, keys);
}

bool IGraphics::MouseDoubleClick(int surfaceX, int surfaceY, const IMouseKeys& keys)
{
    EndOpenGesture();
    const int x = ToLogical(surfaceX);
    const int y = ToLogical(surfaceY);
    const int index = FindControlAt(x, y);
    if (index < 0) {
        return false;
    }
    IControl* hit = controls[index];
    BeginGesture(hit->ParamIndex());
    if (!hit->DoubleClickAsPress()) {
        hit->HandleDoubleClick(x, y, keys);
        return false;
    }
    capturedIndex = index;
    lastMouseX = x;
    lastMouseY = y;
    hit->HandlePress(x, y, keys);
    return true;
}

bool IGraphics::MouseHover(int surfaceX, int surfaceY, const IMouseKeys& keys)
{
    const int x = ToLogical(surfaceX);
    const int y = ToLogical(surfaceY);
    if (!hoverEnabled) {
        return false;
    }
    const int index = FindControlAt(x, y);
    if (index < 0) {
        return true;
    }
    IControl* hovered = controls[index];
    lastMouseX = x;
    lastMouseY = y;
    hovered->HandleHover(x, y, keys);
    if (hovered->ParamIndex() >= 0 && plug != nullptr) {
        plug->PointerOverParam(hovered->ParamIndex());
    }
    IControl* previous = ControlAt(hoveredIndex);
    if (previous != nullptr && previous != hovered) {
        previous->HandleHoverEnd();
    }
    hoveredIndex = IndexOf(hovered);
    return true;
}

void IGraphics::MouseWheel(int surfaceX, int surfaceY, const IMouseKeys& keys, int steps)
{
    const int x = ToLogical(surfaceX);
    const int y = ToLogical(surfaceY);
    const int index = FindControlAt(x, y);
    if (index < 0) {
        return;
    }
    IControl* control = controls[index];
    const int paramIndex = control->ParamIndex();
    if (paramIndex >= 0 && plug != nullptr) {
        // A burst of wheel steps on one parameter is one edit for the host:
        // it begins with the first step and ends when the countdown runs out.
        // Steps on another parameter end the previous burst first.
        if (plug->PendingEditEnd() != paramIndex) {
            plug->FlushDeferredEditEnd();
            plug->NotifyEditBegin(paramIndex);
        }
        plug->NotifyWheelEditBegin(paramIndex);
    }
    control->HandleWheel(x, y, keys, steps);
    if (paramIndex >= 0 && plug != nullptr) {
        plug->DeferEditEnd(paramIndex);
    }
}

void IGraphics::KeyDown(int surfaceX, int surfaceY, int keyCode)
{
    const int x = ToLogical(surfaceX);
    const int y = ToLogical(surfaceY);
    const int index = FindControlAt(x, y);
    if (index >= 0) {
        controls[index]->HandleKey(x, y, keyCode);
    }
}

void IGraphics::MouseLeft()
{
    for (size_t i = 0; i < controls.size(); ++i) {
        controls[i]->HandleHoverEnd();
    }
    hoveredIndex = -1;
}

void IGraphics::ClosePopup(bool chosen)
{
    IControl* popup = openPopup;
    if (popup == nullptr) {
        return;
    }
    // Forgotten first, so whatever the owner does cannot close it twice.
    openPopup = nullptr;
    const bool owned = IndexOf(popup) >= 0;
    if (!chosen && popup->Owner() != nullptr) {
        popup->Owner()->PopupClosed("", -1);
    }
    if (owned) {
        RemoveControl(popup);
        delete popup;
    }
    InvalidateAll();
}

void IGraphics::ApplyEditedText(IControl* control, IParamRecord* param, const char* text)
{
    if (control == nullptr || param == nullptr || plug == nullptr) {
        return;
    }
    const int paramIndex = control->ParamIndex();
    double plain = 0.0;
    if (paramIndex < 0 || !ReadTypedValue(*param, text, &plain)) {
        return;
    }
    plug->NotifyEditBegin(paramIndex);
    control->ShowUserValue(param->NormalisedOf(plain));
    plug->NotifyEditEnd(paramIndex);
}

// Pictures at scale.

PX_IBitmap* IGraphics::ArtSet(const IImage& image, int zoom)
{
    if (zoom == 1) {
        return image.bitmap;
    }
    if (image.resourceId <= 0) {
        return nullptr;
    }
    const int id = image.resourceId + kArtSetIdStep * (zoom - 1);
    ImageCache& cache = ImageCache::Module();
    PX_IBitmap* bitmap = cache.Find(id);
    if (bitmap == nullptr) {
        bitmap = cache.Insert(id, LoadImageResource(id, nullptr));
    }
    // A set is only trusted at exactly the size its zoom promises.
    if (bitmap == nullptr || bitmap->Pixels() == nullptr || bitmap->Width() != image.width * zoom ||
        bitmap->Height() != image.height * zoom) {
        return nullptr;
    }
    return bitmap;
}

const IGraphics::ScaledImage* IGraphics::ImageAtScale(const IImage& image, int layout)
{
    if (image.bitmap == nullptr || image.width <= 0 || image.height <= 0) {
        return nullptr;
    }
    // Frames are resampled one by one only when they split the picture
    // evenly; otherwise the picture is one piece.
    const int frames = std::max(image.frames, 1);
    if (frames < 2 || (layout == kFramesDown && image.height % frames != 0) ||
        (layout == kFramesAcross && image.width % frames != 0)) {
        layout = kWhole;
    }
    for (const ScaledImage& picture : scaledImages) {
        if (picture.key == image.bitmap && picture.layout == layout) {
            return &picture;
        }
    }
    const int framesDown = layout == kFramesDown ? frames : 1;
    const int framesAcross = layout == kFramesAcross ? frames : 1;
    const int frameWidth = image.width / framesAcross; // logical pixels
    const int frameHeight = image.height / framesDown;

    // The nearest set drawn at or above the scale, else the largest there is.
    int zoom = 1;
    while (zoom < kLargestArtSet && static_cast<float>(zoom) < scale - kScaleTolerance) {
        ++zoom;
    }
    PX_IBitmap* source = nullptr;
    for (; zoom >= 1 && source == nullptr; --zoom) {
        source = ArtSet(image, zoom);
    }
    ++zoom;

    ScaledImage picture;
    picture.key = image.bitmap;
    picture.layout = layout;
    if (std::fabs(scale - static_cast<float>(zoom)) < kScaleTolerance) {
        picture.bitmap = source;
        picture.frameWidth = frameWidth * zoom;
        picture.frameHeight = frameHeight * zoom;
    } else {
        picture.frameWidth = std::max(1, Scaled(frameWidth, scale));
        picture.frameHeight = std::max(1, Scaled(frameHeight, scale));
        auto* resampled =
            new PX_MemBitmap(picture.frameWidth * framesAcross, picture.frameHeight * framesDown);
        for (int down = 0; down < framesDown; ++down) {
            for (int across = 0; across < framesAcross; ++across) {
                ResampleRect(resampled, across * picture.frameWidth, down * picture.frameHeight,
                             picture.frameWidth, picture.frameHeight, source,
                             across * frameWidth * zoom, down * frameHeight * zoom,
                             frameWidth * zoom, frameHeight * zoom);
            }
        }
        picture.bitmap = resampled;
        picture.owned = true;
    }
    scaledImages.push_back(picture);
    return &scaledImages.back();
}

void IGraphics::BlitScaled(const ScaledImage& picture, const IBox& dest, int frameX, int frameY,
                           int srcX, int srcY, const IBlend* blend)
{
    IBox clip = dest.Intersect(surfaceDrawBox);
    if (clip.IsEmpty()) {
        return;
    }
    // Never past the frame: a destination a rounding larger than the frame
    // must not show a row of the next one.
    const int left = srcX + clip.left - dest.left;
    const int top = srcY + clip.top - dest.top;
    const int w = std::min(clip.Width(), picture.frameWidth - left);
    const int h = std::min(clip.Height(), picture.frameHeight - top);
    if (w <= 0 || h <= 0) {
        return;
    }
    BlitRect(surface, picture.bitmap, clip.left, clip.top, frameX * picture.frameWidth + left,
             frameY * picture.frameHeight + top, w, h, Weight(blend), RasterMode(blend));
}

// Drawing primitives.

bool IGraphics::BlitImage(const IImage& image, const IBox& dest, int srcX, int srcY,
                          const IBlend* blend)
{
    if (scale != 1.0f) {
        if (const ScaledImage* picture = ImageAtScale(image, kWhole)) {
            BlitScaled(*picture, ToSurface(dest), 0, 0, Scaled(srcX, scale), Scaled(srcY, scale),
                       blend);
        }
        return true;
    }
    const IBox clip = dest.Intersect(drawBox);
    if (clip.IsEmpty() || image.bitmap == nullptr) {
        return true;
    }
    BlitRect(surface, image.bitmap, clip.left, clip.top, srcX + clip.left - dest.left,
             srcY + clip.top - dest.top, clip.Width(), clip.Height(), Weight(blend),
             RasterMode(blend));
    return true;
}

bool IGraphics::BlitImageFrame(const IImage& image, const IBox& dest, int frame,
                               const IBlend* blend, bool framesVertical)
{
    if (scale != 1.0f) {
        const ScaledImage* picture =
            ImageAtScale(image, framesVertical ? kFramesDown : kFramesAcross);
        if (picture == nullptr) {
            return true;
        }
        int index = 0;
        if (image.frames >= 2 && frame >= 2 && picture->layout != kWhole) {
            index = std::min(frame, image.frames) - 1;
        }
        BlitScaled(*picture, ToSurface(dest), framesVertical ? 0 : index,
                   framesVertical ? index : 0, 0, 0, blend);
        return true;
    }
    int offsetX = 0;
    int offsetY = 0;
    if (image.frames >= 2 && frame >= 2) {
        const double along = framesVertical ? image.height : image.width;
        const int offset = static_cast<int>(along * (frame - 1) / image.frames + 0.5);
        (framesVertical ? offsetY : offsetX) = offset;
    }
    return BlitImage(image, dest, offsetX, offsetY, blend);
}

bool IGraphics::BlitImageRotated(const IImage& image, int cx, int cy, double angle,
                                 const IBlend* blend, float srcX, float srcY)
{
    const ScaledImage* picture = scale != 1.0f ? ImageAtScale(image, kWhole) : nullptr;
    const PX_IBitmap* bitmap = picture != nullptr ? picture->bitmap : image.bitmap;
    if (bitmap == nullptr) {
        return true;
    }
    const int w = picture != nullptr ? picture->frameWidth : image.width;
    const int h = picture != nullptr ? picture->frameHeight : image.height;
    // The picture's centre in the layout, (cx, cy) less half the picture
    // in whole pixels plus half of it exactly, lands on the surface at that
    // times the scale; the surface picture is placed around it.
    const double centreX = (cx - image.width / 2 + image.width * 0.5) * scale;
    const double centreY = (cy - image.height / 2 + image.height * 0.5) * scale;
    const int left = static_cast<int>(std::lround(centreX - w * 0.5));
    const int top = static_cast<int>(std::lround(centreY - h * 0.5));
    BlitRotated(surface, bitmap, left, top, w, h, srcX * scale, srcY * scale, static_cast<float>(w),
                static_cast<float>(h), static_cast<float>(angle), false, Weight(blend),
                RasterMode(blend) | kPxBilinear, 0.0f, 0.0f);
    return true;
}

void IGraphics::StrokeSurfaceLine(float x1, float y1, float x2, float y2, int lineWidth,
                                  PX_Pixel pixel, float opacity, int mode, bool antiAlias)
{
    if (lineWidth <= 1) {
        DrawLineFloat(surface, x1, y1, x2, y2, pixel, opacity, mode, antiAlias);
        return;
    }
    // A wide line is parallel one-pixel lines, stepped across the line's
    // main direction, reaching lineWidth - 1 pixels further at the far end
    // so the last logical pixel is covered whole.
    const bool steep = std::fabs(y2 - y1) > std::fabs(x2 - x1);
    const float reach = static_cast<float>(lineWidth - 1);
    const float endX = steep ? x2 : x2 + (x2 >= x1 ? reach : -reach);
    const float endY = steep ? y2 + (y2 >= y1 ? reach : -reach) : y2;
    for (int k = 0; k < lineWidth; ++k) {
        const float dx = steep ? static_cast<float>(k) : 0.0f;
        const float dy = steep ? 0.0f : static_cast<float>(k);
        DrawLineFloat(surface, x1 + dx, y1 + dy, endX + dx, endY + dy, pixel, opacity, mode,
                      antiAlias);
    }
}

bool IGraphics::StrokeLine(const IRgba& colour, float x1, float y1, float x2, float y2,
                           const IBlend* blend, bool antiAlias)
{
    const int mode = RasterMode(blend);
    StrokeSurfaceLine(x1 * scale, y1 * scale, x2 * scale, y2 * scale, LineWidth(), colour.Pixel(),
                      StrokeOpacity(colour, mode), mode, antiAlias);
    return true;
}

bool IGraphics::StrokeRoundBox(const IRgba& colour, const IBox& logicalArea, int logicalRadius,
                               const IBlend* blend, bool antiAlias)
{
    const PX_Pixel pixel = colour.Pixel();
    const int mode = RasterMode(blend);
    const float opacity = StrokeOpacity(colour, mode);
    const IBox outer = ToSurface(logicalArea);
    const int outerRadius = Scaled(logicalRadius, scale);
    // A wider outline at scale: the one-pixel outline repeated inwards.
    for (int inset = 0; inset < LineWidth(); ++inset) {
        const IBox area{outer.left + inset, outer.top + inset, outer.right - inset,
                        outer.bottom - inset};
        const int r = std::max(outerRadius - inset, 0);
        const int right = area.right - 1;
        const int bottom = area.bottom - 1;
        DrawLineInt(surface, area.left + r + 1, area.top, right - r - 1, area.top, pixel, opacity,
                    mode, antiAlias);
        DrawLineInt(surface, right, area.top + r + 1, right, bottom - r - 1, pixel, opacity, mode,
                    antiAlias);
        DrawLineInt(surface, area.left + r + 1, bottom, right - r - 1, bottom, pixel, opacity, mode,
                    antiAlias);
        DrawLineInt(surface, area.left, area.top + r + 1, area.left, bottom - r - 1, pixel, opacity,
                    mode, antiAlias);
        const auto radius = static_cast<float>(r);
        const auto quarter = static_cast<float>(kPi / 2);
        const auto half = static_cast<float>(kPi);
        DrawArc(surface, static_cast<float>(area.left + r), static_cast<float>(area.top + r),
                radius, -quarter, 0.0f, pixel, opacity, mode, antiAlias);
        DrawArc(surface, static_cast<float>(right - r), static_cast<float>(area.top + r), radius,
                0.0f, quarter, pixel, opacity, mode, antiAlias);
        DrawArc(surface, static_cast<float>(right - r), static_cast<float>(bottom - r), radius,
                quarter, half, pixel, opacity, mode, antiAlias);
        DrawArc(surface, static_cast<float>(area.left + r), static_cast<float>(bottom - r), radius,
                half, 3 * quarter, pixel, opacity, mode, antiAlias);
    }
    return true;
}

bool IGraphics::FillRoundBox(const IRgba& colour, const IBox& logicalArea, int logicalRadius,
                             int cornerMode, const IBlend* blend, bool antiAlias)
{
    if (cornerMode != kCornersAll && cornerMode != kCornersTop && cornerMode != kCornersBottom) {
        return true;
    }
    const IBox area = ToSurface(logicalArea);
    const int r = Scaled(logicalRadius, scale);
    const PX_Pixel pixel = colour.Pixel();
    const float weight = Weight(blend);
    const int mode = RasterMode(blend);
    const int w = area.Width();
    const int h = area.Height();
    const bool top = cornerMode != kCornersBottom;
    const bool bottom = cornerMode != kCornersTop;
    // The body: full width between the rounded bands, then the bands between
    // the corner discs.
    const int bodyTop = top ? area.top + r + 1 : area.top;
    const int bodyHeight = h - (top ? r + 1 : 0) - (bottom ? r + 1 : 0);
    FillArea(surface, area.left, bodyTop, w, bodyHeight, pixel, weight, mode);
    if (top) {
        FillArea(surface, area.left + r + 1, area.top, w - 2 * r - 2, r + 1, pixel, weight, mode);
    }
    if (bottom) {
        FillArea(surface, area.left + r + 1, area.bottom - r - 1, w - 2 * r - 2, r + 1, pixel,
                 weight, mode);
    }
    // The corner discs at the rectangles' weight and mode, so a see-through
    // colour covers corners and body alike.
    const auto radius = static_cast<float>(r);
    const auto quarter = static_cast<float>(kPi / 2);
    const auto half = static_cast<float>(kPi);
    const auto leftX = static_cast<float>(area.left + r);
    const auto rightX = static_cast<float>(area.right - r - 1);
    if (top) {
        const auto y = static_cast<float>(area.top + r);
        FillSector(surface, leftX, y, radius, -quarter, 0.0f, pixel, weight, mode, antiAlias);
        FillSector(surface, rightX, y, radius, 0.0f, quarter, pixel, weight, mode, antiAlias);
    }
    if (bottom) {
        const auto y = static_cast<float>(area.bottom - r - 1);
        FillSector(surface, rightX, y, radius, quarter, half, pixel, weight, mode, antiAlias);
        FillSector(surface, leftX, y, radius, half, 3 * quarter, pixel, weight, mode, antiAlias);
    }
    return true;
}

void IGraphics::FillBox(const IRgba& colour, const IBox& logicalArea, const IBlend* blend)
{
    const IBox area = ToSurface(logicalArea);
    FillArea(surface, area.left, area.top, area.Width(), area.Height(), colour.Pixel(),
             Weight(blend), RasterMode(blend));
}

bool IGraphics::DrawTextIn(ITextStyle& style, const char* text, const IBox& logicalArea)
{
    if (text == nullptr || text[0] == '\0') {
        return true;
    }
    // At scale the style's font is the one of its scaled size, from the cache.
    ITextStyle scaledStyle;
    ITextStyle* drawn = &style;
    if (scale != 1.0f) {
        scaledStyle = style;
        scaledStyle.font = nullptr;
        scaledStyle.size = std::max(1, Scaled(style.size, scale));
        drawn = &scaledStyle;
    }
    PX_IFont* font = FontFor(*drawn);
    if (font == nullptr) {
        return false;
    }
    int flags = kPxTextNoClip;
    if (style.align == kAlignCenter) {
        flags |= kPxTextCenter;
    } else if (style.align == kAlignRight) {
        flags |= kPxTextRight;
    }
    if (style.colour.alpha < 255) {
        flags |= kPxTextUseAlpha;
    }
    const IBox area = ToSurface(logicalArea);
    PX_Rect box{area.left, area.top, area.right, area.bottom};

    // Too wide for the box: the largest smaller size that fits.
    const int room = area.Width() - 2 * Scaled(kTextFitMargin, scale);
    auto widthAt = [&](PX_IFont* measured) {
        PX_Rect extent{0, 0, 0, 0};
        measured->SetTextColor(style.colour.Pixel()); // the drawing's own path and metrics
        measured->DrawText(nullptr, text, -1, &extent, flags | kPxTextMeasure);
        return extent.right - extent.left;
    };
    const int fullWidth = room > 0 ? widthAt(font) : 0;
    if (room > 0 && fullWidth > room) {
        if (drawn != &scaledStyle) {
            scaledStyle = style;
            drawn = &scaledStyle;
        }
        const int fullSize = drawn->size;
        int size = std::max(kSmallestFittedText, fullSize * room / fullWidth);
        PX_IFont* fitted = nullptr;
        for (; size >= kSmallestFittedText; --size) {
            scaledStyle.size = size;
            scaledStyle.font = nullptr;
            fitted = FontFor(scaledStyle);
            if (fitted == nullptr || widthAt(fitted) <= room) {
                break;
            }
        }
        if (fitted != nullptr) {
            font = fitted;
            const int lift = (fullSize - scaledStyle.size) / 2;
            box.top += lift;
            box.bottom += lift;
        }
    }
    font->SetTextColor(style.colour.Pixel());
    font->DrawText(surface, text, -1, &box, flags);
    return true;
}

} // namespace toneloom
