// A screen reader's side of the accessibility tree, for the tests: what a client reads of an
// object through IAccessible, its children as AccessibleChildren hands them out, and the
// control behind an object of the program's own tree.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "ui/UIAccessible.h"
#include "ui/UITextWin.h"

namespace accessclient {

inline VARIANT Self() {
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

// The text of a BSTR, which is freed.
inline std::string Take(BSTR text) {
    std::string utf8 = text ? uitext::Narrow(text) : std::string();
    SysFreeString(text);
    return utf8;
}

inline CControlUI* ControlBehind(IUnknown* object) {
    IAccessibleControl* behind = nullptr;
    if (object == nullptr ||
        FAILED(object->QueryInterface(IID_IAccessibleControl, reinterpret_cast<void**>(&behind))))
        return nullptr;
    CControlUI* control = behind->Control();
    behind->Release();
    return control;
}

// One object as a client reads it.
struct Seen {
    CControlUI* control = nullptr;
    std::string name, value, action;
    LONG role = 0;
    LONG state = 0;
    RECT location = {};
};

inline Seen Look(IAccessible* object) {
    Seen seen;
    seen.control = ControlBehind(object);
    BSTR text = nullptr;
    object->get_accName(Self(), &text);
    seen.name = Take(text);
    text = nullptr;
    object->get_accValue(Self(), &text);
    seen.value = Take(text);
    text = nullptr;
    object->get_accDefaultAction(Self(), &text);
    seen.action = Take(text);
    VARIANT v;
    VariantInit(&v);
    if (SUCCEEDED(object->get_accRole(Self(), &v)) && v.vt == VT_I4)
        seen.role = v.lVal;
    VariantInit(&v);
    if (SUCCEEDED(object->get_accState(Self(), &v)) && v.vt == VT_I4)
        seen.state = v.lVal;
    long x = 0, y = 0, w = 0, h = 0;
    object->accLocation(&x, &y, &w, &h, Self());
    seen.location = RECT{x, y, x + w, y + h};
    return seen;
}

// The children of an object that are objects of their own (each referenced for the caller);
// `simple` counts those handed out as mere child ids.
inline std::vector<IAccessible*> Children(IAccessible* object, int* simple = nullptr) {
    std::vector<IAccessible*> children;
    long count = 0;
    object->get_accChildCount(&count);
    if (count <= 0)
        return children;
    std::vector<VARIANT> found(static_cast<size_t>(count));
    long obtained = 0;
    if (FAILED(AccessibleChildren(object, 0, count, found.data(), &obtained)))
        return children;
    for (long i = 0; i < obtained; ++i) {
        VARIANT& child = found[size_t(i)];
        IAccessible* accessible = nullptr;
        if (child.vt == VT_DISPATCH && child.pdispVal != nullptr)
            child.pdispVal->QueryInterface(__uuidof(IAccessible),
                                           reinterpret_cast<void**>(&accessible));
        else if (simple != nullptr)
            ++*simple;
        VariantClear(&child);
        if (accessible != nullptr)
            children.push_back(accessible);
    }
    return children;
}

} // namespace accessclient
