// CDialog: a modeless dialog made from a template of the module's own
// resources, with data exchange (UpdateData, DDX_Control, DDX_Check) and a
// message map. The dialog object's pointer lives in the window's DWLP_USER
// slot from WM_INITDIALOG on; earlier messages take the default path.
#pragma once

#include "framework/Wnd.h"

class CDialog;

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    BOOL m_bSaveAndValidate;  // TRUE: controls to members; FALSE: members to controls
    CDialog* m_pDlgWnd;
};

// Binds the object to the dialog's child with that id on the first exchange;
// later exchanges leave it bound.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// A check box's state (BST_UNCHECKED 0, BST_CHECKED 1) to or from an int.
void DDX_Check(CDataExchange* pDX, int id, int& value);

// One row of a message map. WM_COMMAND rows match the notification code and
// control id as well; other rows match the message alone.
struct AFX_MSGMAP_ENTRY {
    UINT message;
    UINT code;
    UINT id;
    LRESULT (*handler)(CWnd* self, WPARAM wParam, LPARAM lParam);
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*base)();
    const AFX_MSGMAP_ENTRY* entries;  // ends with a row whose handler is null
};

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    // A dialog that goes while its window is still up takes the window along.
    ~CDialog() override;

    // Creates the dialog as a modeless window, a child when the template says
    // so, from the resources of the current module state. OnInitDialog runs
    // before this returns.
    BOOL Create(UINT templateId, CWnd* parent = nullptr);

    // Runs DoDataExchange: FALSE fills the controls, TRUE reads them back.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    virtual BOOL OnInitDialog();

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    virtual void DoDataExchange(CDataExchange* pDX);

    // The bound control object for a child window, or a temporary one.
    CWnd* BoundControl(HWND child) const;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    friend void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void WindowGone();

    // Control objects bound by DDX_Control; they let go of their windows
    // when the dialog's window goes, so the next Create binds afresh.
    static constexpr int kMaxBoundControls = 16;
    CWnd* m_bound[kMaxBoundControls] = {};
    int m_boundCount = 0;
};

// Message maps. In the class: DECLARE_MESSAGE_MAP(). In the source file:
//
//   BEGIN_MESSAGE_MAP(CMyDialog, CDialog)
//       ON_WM_HSCROLL()
//       ON_BN_CLICKED(IDC_BUTTON, OnButton)
//   END_MESSAGE_MAP()
//
// Each row becomes a plain function that casts the dialog to its class and
// calls the handler; unlisted messages go to the dialog manager's default.
#define DECLARE_MESSAGE_MAP()                       \
protected:                                          \
    static const AFX_MSGMAP* GetThisMessageMap();   \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                              \
        using ThisClass = theClass;                                                \
        using TheBaseClass = baseClass;                                            \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                \
        {0, 0, 0, nullptr}};                                             \
        static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &map;                                                     \
    }

// void OnHScroll(UINT code, UINT position, CWnd* control)
#define ON_WM_HSCROLL()                                                                   \
    {WM_HSCROLL, 0, 0, [](CWnd* self, WPARAM wParam, LPARAM lParam) -> LRESULT {          \
         auto* dialog = static_cast<ThisClass*>(self);                                    \
         dialog->OnHScroll(LOWORD(wParam), HIWORD(wParam),                                \
                           dialog->BoundControl(reinterpret_cast<HWND>(lParam)));         \
         return 0;                                                                        \
     }},

// void OnDestroy()
#define ON_WM_DESTROY()                                                          \
    {WM_DESTROY, 0, 0, [](CWnd* self, WPARAM, LPARAM) -> LRESULT {               \
         static_cast<ThisClass*>(self)->OnDestroy();                             \
         return 0;                                                               \
     }},

// void handler(), for one notification code from one control
#define ON_CONTROL(notifyCode, controlId, handler)                                   \
    {WM_COMMAND, notifyCode, controlId, [](CWnd* self, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass*>(self)->handler();                                   \
         return 0;                                                                   \
     }},
#define ON_BN_CLICKED(controlId, handler) ON_CONTROL(BN_CLICKED, controlId, handler)
#define ON_BN_DOUBLECLICKED(controlId, handler) ON_CONTROL(BN_DOUBLECLICKED, controlId, handler)

// LRESULT handler(WPARAM, LPARAM), for a message of the dialog's own
#define ON_MESSAGE(messageId, handler)                                              \
    {messageId, 0, 0, [](CWnd* self, WPARAM wParam, LPARAM lParam) -> LRESULT {     \
         return static_cast<ThisClass*>(self)->handler(wParam, lParam);             \
     }},
