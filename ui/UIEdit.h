// CEditUI: a single-line text entry. The toolkit draws it like a label; while it has the
// focus a native edit window (CEditWnd, a superclass of the system "Edit" class) lies over
// its text area and takes the typing. The native window closes itself when it loses the
// keyboard focus, and never outlives its owner control.
#pragma once

#include <windows.h>

#include <string>

#include "ui/UILabel.h"

class CEditWnd;

class CEditUI : public CLabelUI {
public:
    CEditUI();
    ~CEditUI() override;

    const char* GetClass() const override { return "EditUI"; }
    LPVOID GetInterface(const std::string& name) override;
    UINT GetControlFlags() const override;
    HWND GetNativeWindow() const override;

    void SetEnabled(bool enable = true) override;
    void SetText(const std::string& text) override;

    int GetMaxChar() const { return m_uMaxChar; }
    void SetMaxChar(int maxChar);
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetReadOnly(bool readOnly);
    bool IsPasswordMode() const { return m_bPasswordMode; }
    void SetPasswordMode(bool password);
    char GetPasswordChar() const { return m_cPasswordChar; }
    void SetPasswordChar(char ch);
    bool IsNumberOnly() const { return (m_iWindowStyles & ES_NUMBER) != 0; }
    void SetNumberOnly(bool numberOnly);
    bool IsUpperCase() const { return (m_iWindowStyles & ES_UPPERCASE) != 0; }
    void SetUpperCase(bool upper);
    bool IsLowerCase() const { return (m_iWindowStyles & ES_LOWERCASE) != 0; }
    void SetLowerCase(bool lower);
    int GetWindowStyles() const { return m_iWindowStyles; }
    bool IsAutoSelAll() const { return m_bAutoSelAll; }
    void SetAutoSelAll(bool autoSelAll);
    bool IsHexString() const { return m_bHexString; }
    void SetHexString(bool hex);
    DWORD GetNativeEditTextColor() const { return m_dwEditTextColor; }
    void SetNativeEditTextColor(DWORD color);
    DWORD GetNativeEditBkColor() const { return m_dwEditBkColor; }
    void SetNativeEditBkColor(DWORD color);
    const std::string& GetTipValue() const { return m_sTipValue; }
    void SetTipValue(const std::string& text);
    DWORD GetTipValueColor() const { return m_dwTipValueColor; }
    void SetTipValueColor(DWORD color);

    // Selection inside the native edit (only while it is open).
    void SetSel(long start, long end);
    void SetSelAll();

    const std::string& GetNormalImage() const { return m_sNormalImage; }
    void SetNormalImage(const std::string& image);
    const std::string& GetHotImage() const { return m_sHotImage; }
    void SetHotImage(const std::string& image);
    const std::string& GetFocusedImage() const { return m_sFocusedImage; }
    void SetFocusedImage(const std::string& image);
    const std::string& GetDisabledImage() const { return m_sDisabledImage; }
    void SetDisabledImage(const std::string& image);

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void Move(SIZE szOffset, bool bNeedInvalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    bool DoEvent(TEventUI& event) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

private:
    friend class CEditWnd;
    // Opens the native edit over the text area (no-op when open or without a window).
    void OpenNativeEdit();
    // Closes the native edit at once (used when the control goes away or hides).
    void CloseNativeEdit();

    CEditWnd* m_pWindow = nullptr;
    int m_uMaxChar = 255;
    bool m_bReadOnly = false;
    bool m_bPasswordMode = false;
    bool m_bAutoSelAll = false;
    bool m_bHexString = false;
    char m_cPasswordChar = '*';
    int m_iWindowStyles = 0;
    UINT m_uButtonState = 0;
    std::string m_sNormalImage, m_sHotImage, m_sFocusedImage, m_sDisabledImage;
    std::string m_sTipValue;
    DWORD m_dwTipValueColor = 0xFFBAC0C5;
    DWORD m_dwEditTextColor = 0x00000000;
    DWORD m_dwEditBkColor = 0xFFFFFFFF;
};
