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

// One row of a message map. WM_COMMAND and WM_NOTIFY rows match the
// notification code and a control id from id to lastId as well; other rows
// match the message alone.
struct AFX_MSGMAP_ENTRY {
    UINT message;
    UINT code;
    UINT id;
    UINT lastId;
    LRESULT (*handler)(CWnd* self, WPARAM wParam, LPARAM lParam);

    bool Matches(UINT notifyCode, UINT_PTR controlId) const {
        return notifyCode == code && id <= controlId && controlId <= lastId;
    }
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

    // Dialog units of this dialog's font to pixels.
    BOOL MapDialogRect(RECT* rect) const { return ::MapDialogRect(m_hWnd, rect); }

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    virtual void DoDataExchange(CDataExchange* pDX);

    // The bound control object for a child window, or a temporary one.
    CTempWnd BoundControl(HWND child) const;

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

#define END_MESSAGE_MAP()                                                          \
        {0, 0, 0, 0, nullptr}};                                                    \
        static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &map;                                                               \
    }

// void OnHScroll(UINT code, UINT position, CWnd* control)
#define ON_WM_HSCROLL()                                                             \
    {WM_HSCROLL, 0, 0, 0, [](CWnd* self, WPARAM wParam, LPARAM lParam) -> LRESULT { \
         auto* dialog = static_cast<ThisClass*>(self);                              \
         dialog->OnHScroll(LOWORD(wParam), HIWORD(wParam),                          \
                           dialog->BoundControl(reinterpret_cast<HWND>(lParam)));   \
         return 0;                                                                  \
     }},

// void OnDestroy()
#define ON_WM_DESTROY()                                               \
    {WM_DESTROY, 0, 0, 0, [](CWnd* self, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass*>(self)->OnDestroy();                  \
         return 0;                                                    \
     }},

// void handler(), for one notification code from one control
#define ON_CONTROL(notifyCode, controlId, handler)                                              \
    {WM_COMMAND, notifyCode, controlId, controlId, [](CWnd* self, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass*>(self)->handler();                                              \
         return 0;                                                                              \
     }},
#define ON_BN_CLICKED(controlId, handler) ON_CONTROL(BN_CLICKED, controlId, handler)
#define ON_BN_DOUBLECLICKED(controlId, handler) ON_CONTROL(BN_DOUBLECLICKED, controlId, handler)
#define ON_CBN_SELCHANGE(controlId, handler) ON_CONTROL(CBN_SELCHANGE, controlId, handler)

// void handler(UINT id), for one notification code from any control of a range
#define ON_CONTROL_RANGE(notifyCode, firstId, lastId, handler)                                  \
    {WM_COMMAND, notifyCode, firstId, lastId, [](CWnd* self, WPARAM wParam, LPARAM) -> LRESULT { \
         static_cast<ThisClass*>(self)->handler(LOWORD(wParam));                                \
         return 0;                                                                              \
     }},

// void handler(UINT id, NMHDR* header, LRESULT* result), for one WM_NOTIFY
// code from any control of a range; *result (0 unless set) is the answer.
#define ON_NOTIFY_RANGE(notifyCode, firstId, lastId, handler)                                 \
    {WM_NOTIFY, static_cast<UINT>(notifyCode), firstId, lastId,                               \
     [](CWnd* self, WPARAM, LPARAM lParam) -> LRESULT {                                       \
         auto* header = reinterpret_cast<NMHDR*>(lParam);                                     \
         LRESULT result = 0;                                                                  \
         static_cast<ThisClass*>(self)->handler(static_cast<UINT>(header->idFrom), header,    \
                                                &result);                                     \
         return result;                                                                       \
     }},

// LRESULT handler(WPARAM, LPARAM), for a message of the dialog's own
#define ON_MESSAGE(messageId, handler)                                             \
    {messageId, 0, 0, 0, [](CWnd* self, WPARAM wParam, LPARAM lParam) -> LRESULT { \
         return static_cast<ThisClass*>(self)->handler(wParam, lParam);            \
     }},
