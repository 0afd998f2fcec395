#include "win32/KwindAccessible.h"

#include <cwchar>
#include <optional>
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

constexpr LONG kFirstChild = 1;
constexpr LONG kLastChild = kDialChildCount;

int ChildNumber(LONG id) {
  return static_cast<int>(id - kFirstChild);
}

LONG ChildId(int child) {
  return child + kFirstChild;
}

// The value a child id shows; none for the dial itself and the step buttons.
std::optional<DialValue> ValueOf(LONG id) {
  return id == CHILDID_SELF ? std::nullopt : ValueOfChild(ChildNumber(id));
}

bool IsStepButton(LONG id) {
  return id != CHILDID_SELF && ButtonOfChild(ChildNumber(id)).has_value();
}

// The user's language for the user interface, as Windows names it ("ja-JP").
Language UiLanguage() {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  const int length = LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), name,
                                      LOCALE_NAME_MAX_LENGTH, 0);
  std::string tag;
  for (int i = 0; i + 1 < length; ++i) tag += static_cast<char>(name[i] < 0x80 ? name[i] : '?');
  return LanguageOfTag(tag);
}

}  // namespace

LONG ValueChildId(DialValue which) {
  return ChildId(ChildOfValue(which));
}

DialAccessible::DialAccessible(TKWind* dial, HWND window)
    : dial_(dial), window_(window), language_(UiLanguage()) {
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
  return child.lVal >= kFirstChild && child.lVal <= kLastChild ? child.lVal : -1;
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
  *count = kDialChildCount;
  return S_OK;
}

// The children are simple elements: they have no object of their own, only a child id.
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
  return Answer(name, id == CHILDID_SELF ? TextsIn(language_).dialName
                                         : ChildName(language_, ChildNumber(id)));
}

HRESULT DialAccessible::get_accValue(VARIANT child, BSTR* value) {
  if (dial_ == nullptr) return CO_E_OBJNOTCONNECTED;
  const LONG id = ChildOf(child);
  if (id < 0) return E_INVALIDARG;
  const auto which = ValueOf(id);
  if (!which) return Nothing(value);
  return Answer(value, ValueText(language_, *which, dial_->Value(*which)));
}

HRESULT DialAccessible::get_accDescription(VARIANT child, BSTR* description) {
  if (dial_ == nullptr) return CO_E_OBJNOTCONNECTED;
  const LONG id = ChildOf(child);
  if (id < 0) return E_INVALIDARG;
  if (const auto which = ValueOf(id)) return Answer(description, HowToChange(language_, *which));
  if (IsStepButton(id)) return Nothing(description);
  return Answer(description, DialSummary(language_, dial_->course(), dial_->windDirection(),
                                         dial_->windSpeed()));
}

HRESULT DialAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (role == nullptr) return E_POINTER;
  if (dial_ == nullptr) return CO_E_OBJNOTCONNECTED;
  const LONG id = ChildOf(child);
  if (id < 0) return E_INVALIDARG;
  LONG answer = ROLE_SYSTEM_GROUPING;
  if (ValueOf(id)) answer = ROLE_SYSTEM_SPINBUTTON;
  if (IsStepButton(id)) answer = ROLE_SYSTEM_PUSHBUTTON;
  SetChild(role, answer);
  return S_OK;
}

// Every value can take the focus, the current one has it while the dial has the keyboard; the step
// buttons are pressed, never focused.
HRESULT DialAccessible::get_accState(VARIANT child, VARIANT* state) {
  if (state == nullptr) return E_POINTER;
  if (dial_ == nullptr || system_ == nullptr) return CO_E_OBJNOTCONNECTED;
  const LONG id = ChildOf(child);
  if (id < 0) return E_INVALIDARG;
  if (id == CHILDID_SELF) return system_->get_accState(child, state);
  const auto which = ValueOf(id);
  LONG bits = which ? STATE_SYSTEM_FOCUSABLE : 0;
  if (which && GetFocus() == window_ && dial_->Current() == *which) bits |= STATE_SYSTEM_FOCUSED;
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
  SetChild(child, ValueChildId(dial_->Current()));
  return S_OK;
}

HRESULT DialAccessible::get_accSelection(VARIANT* children) {
  if (children == nullptr) return E_POINTER;
  VariantInit(children);
  return dial_ == nullptr ? CO_E_OBJNOTCONNECTED : S_FALSE;
}

HRESULT DialAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  if (dial_ == nullptr) return CO_E_OBJNOTCONNECTED;
  const LONG id = ChildOf(child);
  if (id < 0) return E_INVALIDARG;
  if (!IsStepButton(id)) return Nothing(action);
  return Answer(action, TextsIn(language_).pressName);
}

// Taking the focus on a value gives the dial the keyboard with that value current.
HRESULT DialAccessible::accSelect(LONG flags, VARIANT child) {
  if (dial_ == nullptr) return CO_E_OBJNOTCONNECTED;
  const LONG id = ChildOf(child);
  if (id < 0) return E_INVALIDARG;
  if (flags != SELFLAG_TAKEFOCUS || IsStepButton(id)) return DISP_E_MEMBERNOTFOUND;
  SetFocus(window_);
  if (const auto which = ValueOf(id)) {
    dial_->MakeCurrent(*which);
    dial_->AnnounceCurrent();
  }
  return S_OK;
}

HRESULT DialAccessible::accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                    VARIANT child) {
  if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
    return E_POINTER;
  }
  if (dial_ == nullptr || system_ == nullptr) return CO_E_OBJNOTCONNECTED;
  const LONG id = ChildOf(child);
  if (id < 0) return E_INVALIDARG;
  if (id == CHILDID_SELF) return system_->accLocation(left, top, width, height, child);
  const DialArea area = ChildArea(ChildNumber(id));
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
    if (direction == NAVDIR_FIRSTCHILD) to = kFirstChild;
    if (direction == NAVDIR_LASTCHILD) to = kLastChild;
    if (to == 0) return system_->accNavigate(direction, start, end);
  } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN || direction == NAVDIR_RIGHT) {
    to = id < kLastChild ? id + 1 : 0;
  } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP || direction == NAVDIR_LEFT) {
    to = id > kFirstChild ? id - 1 : 0;
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
  if (const auto found = ChildAt(at.x, at.y)) {
    SetChild(child, ChildId(*found));
    return S_OK;
  }
  return system_->accHitTest(x, y, child);
}

// A step button is pressed as the mouse presses it, at its centre.
HRESULT DialAccessible::accDoDefaultAction(VARIANT child) {
  if (dial_ == nullptr) return CO_E_OBJNOTCONNECTED;
  const LONG id = ChildOf(child);
  if (id < 0) return E_INVALIDARG;
  if (!IsStepButton(id)) return DISP_E_MEMBERNOTFOUND;
  const DialPoint at = ChildArea(ChildNumber(id)).Centre();
  dial_->Press(at.x, at.y);
  return S_OK;
}

HRESULT DialAccessible::put_accName(VARIANT, BSTR) {
  return E_NOTIMPL;
}

// A number, with or without its unit.
HRESULT DialAccessible::put_accValue(VARIANT child, BSTR value) {
  if (dial_ == nullptr) return CO_E_OBJNOTCONNECTED;
  const auto which = ValueOf(ChildOf(child));
  if (!which || value == nullptr) return E_INVALIDARG;
  wchar_t* end = nullptr;
  const double v = std::wcstod(value, &end);
  if (end == value) return E_INVALIDARG;
  SetFromScreenReader(*dial_, *which, v);
  return S_OK;
}
