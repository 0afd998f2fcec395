#include "win32/KwindAccessible.h"

#include <cwchar>
#include <string>

#include "dial/DialAccess.h"
#include "win32/Kwind.h"

namespace {

// The shared texts are UTF-8.
BSTR Bstr(const std::string& text) {
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(length));
  if (result != nullptr) {
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result, length);
  }
  return result;
}

HRESULT Answer(BSTR* out, const std::string& text) {
  if (out == nullptr) return E_POINTER;
  *out = Bstr(text);
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT Nothing(BSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return S_FALSE;
}

void SetChild(VARIANT* out, LONG id) {
  VariantInit(out);
  out->vt = VT_I4;
  out->lVal = id;
}

DialValue ValueOf(LONG child) {
  return kDialValues[child - 1].value;
}

constexpr LONG kFirstSlider = 1;
constexpr LONG kLastSlider = kDialValueCount;

}  // namespace

DialAccessible::DialAccessible(TKWind* dial, HWND window) : dial_(dial), window_(window) {
  CreateStdAccessibleObject(window, OBJID_CLIENT, IID_IAccessible,
                            reinterpret_cast<void**>(&system_));
}

DialAccessible::~DialAccessible() {
  if (system_ != nullptr) system_->Release();
}

void DialAccessible::Disconnect() {
  dial_ = nullptr;
  window_ = nullptr;
}

LONG DialAccessible::ChildOf(const VARIANT& child) {
  if (child.vt != VT_I4) return -1;
  if (child.lVal == CHILDID_SELF) return CHILDID_SELF;
  return child.lVal >= kFirstSlider && child.lVal <= kLastSlider ? child.lVal : -1;
}

HRESULT DialAccessible::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG DialAccessible::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG DialAccessible::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT DialAccessible::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT DialAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**) {
  return E_NOTIMPL;
}

HRESULT DialAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

HRESULT DialAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                               UINT*) {
  return E_NOTIMPL;
}

HRESULT DialAccessible::get_accParent(IDispatch** parent) {
  if (dial_ == nullptr || system_ == nullptr) return CO_E_OBJNOTCONNECTED;
  return system_->get_accParent(parent);
}

HRESULT DialAccessible::get_accChildCount(LONG* count) {
  if (count == nullptr) return E_POINTER;
  if (dial_ == nullptr) return CO_E_OBJNOTCONNECTED;
  *count = kDialValueCount;
  return S_OK;
}

// The sliders are simple elements: they have no object of their own, only a child id.
HRESULT DialAccessible::get_accChild(VARIANT child, IDispatch** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (dial_ == nullptr) return CO_E_OBJNOTCONNECTED;
  return ChildOf(child) > 0 ? S_FALSE : E_INVALIDARG;
}

HRESULT DialAccessible::get_accName(VARIANT child, BSTR* name) {
  if (dial_ == nullptr) return CO_E_OBJNOTCONNECTED;
  const LONG id = ChildOf(child);
  if (id < 0) return E_INVALIDARG;
  return Answer(name, id == CHILDID_SELF ? kDialAccessName : RuleOf(ValueOf(id)).name);
}

HRESULT DialAccessible::get_accValue(VARIANT child, BSTR* value) {
  if (dial_ == nullptr) return CO_E_OBJNOTCONNECTED;
  const LONG id = ChildOf(child);
  if (id < 0) return E_INVALIDARG;
  if (id == CHILDID_SELF) return Nothing(value);
  return Answer(value, ValueText(ValueOf(id), dial_->Value(ValueOf(id))));
}

HRESULT DialAccessible::get_accDescription(VARIANT child, BSTR* description) {
  if (dial_ == nullptr) return CO_E_OBJNOTCONNECTED;
  const LONG id = ChildOf(child);
  if (id < 0) return E_INVALIDARG;
  if (id != CHILDID_SELF) return Answer(description, HowToChange(ValueOf(id)));
  return Answer(description,
                DialSummary(dial_->course(), dial_->windDirection(), dial_->windSpeed()));
}

HRESULT DialAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (role == nullptr) return E_POINTER;
  if (dial_ == nullptr) return CO_E_OBJNOTCONNECTED;
  const LONG id = ChildOf(child);
  if (id < 0) return E_INVALIDARG;
  SetChild(role, id == CHILDID_SELF ? ROLE_SYSTEM_GROUPING : ROLE_SYSTEM_SLIDER);
  return S_OK;
}

// Every slider can take the focus; the current one has it while the dial has the keyboard.
HRESULT DialAccessible::get_accState(VARIANT child, VARIANT* state) {
  if (state == nullptr) return E_POINTER;
  if (dial_ == nullptr || system_ == nullptr) return CO_E_OBJNOTCONNECTED;
  const LONG id = ChildOf(child);
  if (id < 0) return E_INVALIDARG;
  if (id == CHILDID_SELF) return system_->get_accState(child, state);
  LONG bits = STATE_SYSTEM_FOCUSABLE;
  if (GetFocus() == window_ && dial_->Current() == ValueOf(id)) bits |= STATE_SYSTEM_FOCUSED;
  SetChild(state, bits);
  return S_OK;
}

HRESULT DialAccessible::get_accHelp(VARIANT, BSTR* help) {
  return Nothing(help);
}

HRESULT DialAccessible::get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) {
  if (topic != nullptr) *topic = -1;
  return Nothing(file);
}

HRESULT DialAccessible::get_accKeyboardShortcut(VARIANT, BSTR* shortcut) {
  return Nothing(shortcut);
}

HRESULT DialAccessible::get_accFocus(VARIANT* child) {
  if (child == nullptr) return E_POINTER;
  VariantInit(child);
  if (dial_ == nullptr) return CO_E_OBJNOTCONNECTED;
  if (GetFocus() != window_) return S_FALSE;
  SetChild(child, SliderChildId(dial_->Current()));
  return S_OK;
}

HRESULT DialAccessible::get_accSelection(VARIANT* children) {
  if (children == nullptr) return E_POINTER;
  VariantInit(children);
  return dial_ == nullptr ? CO_E_OBJNOTCONNECTED : S_FALSE;
}

HRESULT DialAccessible::get_accDefaultAction(VARIANT, BSTR* action) {
  return Nothing(action);
}

// Taking the focus on a slider gives the dial the keyboard with that value current.
HRESULT DialAccessible::accSelect(LONG flags, VARIANT child) {
  if (dial_ == nullptr) return CO_E_OBJNOTCONNECTED;
  const LONG id = ChildOf(child);
  if (id < 0) return E_INVALIDARG;
  if (flags != SELFLAG_TAKEFOCUS) return DISP_E_MEMBERNOTFOUND;
  SetFocus(window_);
  if (id != CHILDID_SELF) dial_->MakeCurrent(ValueOf(id));
  return S_OK;
}

// A slider covers its pair of step buttons.
HRESULT DialAccessible::accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                    VARIANT child) {
  if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
    return E_POINTER;
  }
  if (dial_ == nullptr || system_ == nullptr) return CO_E_OBJNOTCONNECTED;
  const LONG id = ChildOf(child);
  if (id < 0) return E_INVALIDARG;
  if (id == CHILDID_SELF) return system_->accLocation(left, top, width, height, child);
  const DialArea area = StepButtonPair(ValueOf(id));
  POINT corner{area.left, area.top};
  ClientToScreen(window_, &corner);
  *left = corner.x;
  *top = corner.y;
  *width = area.Width();
  *height = area.Height();
  return S_OK;
}

HRESULT DialAccessible::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
  if (end == nullptr) return E_POINTER;
  VariantInit(end);
  if (dial_ == nullptr || system_ == nullptr) return CO_E_OBJNOTCONNECTED;
  const LONG id = ChildOf(start);
  if (id < 0) return E_INVALIDARG;
  LONG to = 0;
  if (id == CHILDID_SELF) {
    if (direction == NAVDIR_FIRSTCHILD) to = kFirstSlider;
    if (direction == NAVDIR_LASTCHILD) to = kLastSlider;
    if (to == 0) return system_->accNavigate(direction, start, end);
  } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN || direction == NAVDIR_RIGHT) {
    to = id < kLastSlider ? id + 1 : 0;
  } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP || direction == NAVDIR_LEFT) {
    to = id > kFirstSlider ? id - 1 : 0;
  }
  if (to == 0) return S_FALSE;
  SetChild(end, to);
  return S_OK;
}

HRESULT DialAccessible::accHitTest(LONG x, LONG y, VARIANT* child) {
  if (child == nullptr) return E_POINTER;
  VariantInit(child);
  if (dial_ == nullptr || system_ == nullptr) return CO_E_OBJNOTCONNECTED;
  POINT at{x, y};
  ScreenToClient(window_, &at);
  if (const auto slider = SliderAt(at.x, at.y)) {
    SetChild(child, SliderChildId(*slider));
    return S_OK;
  }
  return system_->accHitTest(x, y, child);
}

HRESULT DialAccessible::accDoDefaultAction(VARIANT) {
  return dial_ == nullptr ? CO_E_OBJNOTCONNECTED : DISP_E_MEMBERNOTFOUND;
}

HRESULT DialAccessible::put_accName(VARIANT, BSTR) {
  return E_NOTIMPL;
}

// A number, with or without its unit.
HRESULT DialAccessible::put_accValue(VARIANT child, BSTR value) {
  if (dial_ == nullptr) return CO_E_OBJNOTCONNECTED;
  const LONG id = ChildOf(child);
  if (id <= 0 || value == nullptr) return E_INVALIDARG;
  wchar_t* end = nullptr;
  const double v = std::wcstod(value, &end);
  if (end == value) return E_INVALIDARG;
  SetFromScreenReader(*dial_, ValueOf(id), v);
  return S_OK;
}
