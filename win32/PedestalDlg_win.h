// The pedestal window on Windows: the modal dialog of template 102, a thin
// view of the pedestal core. A message-map table sends the window's own
// messages to their handlers and each control of the core's command table
// runs its command; the 60 ms timer runs the core's tick; what the core says
// changed is put into the controls of kShownControls with STM_SETIMAGE and
// SetDlgItemText, and into the slider with TBM_SETPOS.
#pragma once

#include "panel/PedestalCore.h"
// Before windows.h: the template names IDOK and IDCANCEL in an enum, which
// windows.h then defines as macros of the same values.
#include "panel/PedestalTemplate.h"
#include "panel/Resources.h"
#include "panel/ShownControls.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <deque>
#include <functional>
#include <iterator>
#include <mutex>
#include <string>

class CPedestalDlg {
public:
    // blockName null attaches to the simulator's block; tests name a block
    // of their own.
    explicit CPedestalDlg(const char* blockName = nullptr);
    ~CPedestalDlg();
    CPedestalDlg(const CPedestalDlg&) = delete;
    CPedestalDlg& operator=(const CPedestalDlg&) = delete;

    // Runs the dialog until it is closed; the result of DialogBoxParam.
    INT_PTR DoModal(HINSTANCE instance);

    // The core, on the window's thread only.
    PedestalCore& Core() { return m_Core; }
    using CoreTask = std::function<void(PedestalCore&)>;
    // From any thread: runs the task on the window's thread, later, while
    // the window is open. Tasks that arrive before it opens wait for it;
    // tasks left when it closes are dropped.
    void PostCoreTask(CoreTask task);

    static constexpr UINT_PTR kStatusTimerId = PedestalCore::kStatusTimerId;
    static constexpr UINT kStatusPeriodMs = PedestalCore::kStatusPeriodMs;
    // Posted to the dialog to show the core's notice once the tick is done.
    static constexpr UINT kNoticeMessage = WM_APP + 1;
    // Posted to the dialog when PostCoreTask has queued work for it.
    static constexpr UINT kCoreTaskMessage = WM_APP + 2;

private:
    // A handler gets the message's parameters and returns the dialog
    // procedure's result.
    using Handler = INT_PTR (CPedestalDlg::*)(WPARAM, LPARAM);
    struct MessageMapEntry {
        UINT message;
        int controlId; // 0: any
        int code;      // notification code for WM_COMMAND and WM_NOTIFY
        Handler handler;
    };
    static const MessageMapEntry kMessageMap[];

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    // A control's command from the core's table: a button's on its click,
    // the slider's when it lets the mouse go.
    INT_PTR RunCommand(UINT message, int controlId, int code);

    BOOL OnInitDialog();
    void DoDataExchange();
    void LoadBitmaps();
    bool SetUpSharedMemory();
    void Apply(const Update& update);
    void SetPicture(int controlId, int resourceId);

    INT_PTR OnPaint(WPARAM, LPARAM);
    INT_PTR OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<INT_PTR>(m_hIcon); }
    INT_PTR OnDestroy(WPARAM, LPARAM);
    // Every timer message of the dialog runs a whole tick, whatever its ID.
    INT_PTR OnTimer(WPARAM, LPARAM) {
        m_Core.Tick();
        return TRUE;
    }
    // The close box ends the dialog as OK does.
    INT_PTR OnClose(WPARAM wParam, LPARAM lParam) { return OnOK(wParam, lParam); }
    INT_PTR OnOK(WPARAM, LPARAM) { return End(IDOK); }
    INT_PTR OnCancel(WPARAM, LPARAM) { return End(IDCANCEL); }
    INT_PTR End(int result) {
        EndDialog(m_hWnd, result);
        return TRUE;
    }
    INT_PTR OnNotice(WPARAM, LPARAM);
    INT_PTR OnCoreTasks(WPARAM, LPARAM);

    HWND m_hWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    // Per row of kShownControls, the core's text that the next exchange puts
    // into the control.
    const char* m_Texts[std::size(kShownControls)] = {};
    std::string m_Notice;
    HICON m_hIcon = nullptr;
    HBITMAP m_Bitmaps[kBitmapSlots] = {};
    PedestalCore m_Core;
    const char* m_BlockName;
    UINT_PTR m_TimerId = 0;
    // Work from other threads; the window takes it while it is open.
    std::mutex m_TaskMutex;
    std::deque<CoreTask> m_Tasks;
    HWND m_hTaskWindow = nullptr; // guarded by m_TaskMutex
};
