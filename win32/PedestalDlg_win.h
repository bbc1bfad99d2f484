// The pedestal window on Windows: the modal dialog of template 102, a thin
// view of the pedestal core. A message-map table sends each control's
// notification to a handler that forwards to the core; the 60 ms timer runs
// the core's tick; what the core says changed is put into the controls with
// STM_SETIMAGE, SetDlgItemText and TBM_SETPOS.
#pragma once

#include "panel/PedestalCore.h"
// Before windows.h: the template names IDOK and IDCANCEL in an enum, which
// windows.h then defines as macros of the same values.
#include "panel/PedestalTemplate.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

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

    static constexpr UINT_PTR kStatusTimerId = PedestalCore::kStatusTimerId;
    static constexpr UINT kStatusPeriodMs = PedestalCore::kStatusPeriodMs;
    static constexpr char kFailureCaption[] = "CPedestalDlg::SetUpSharedMemory";
    // Posted to the dialog to show the core's notice once the tick is done.
    static constexpr UINT kNoticeMessage = WM_APP + 1;

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

    BOOL OnInitDialog();
    void DoDataExchange();
    void LoadBitmaps();
    bool SetUpSharedMemory();
    void Apply(const Update& update);
    void SetPicture(int controlId, int resourceId);

    INT_PTR OnPaint(WPARAM, LPARAM);
    INT_PTR OnQueryDragIcon(WPARAM, LPARAM);
    INT_PTR OnDestroy(WPARAM, LPARAM);
    INT_PTR OnTimer(WPARAM, LPARAM);
    INT_PTR OnClose(WPARAM, LPARAM);
    INT_PTR OnOK(WPARAM, LPARAM);
    INT_PTR OnCancel(WPARAM, LPARAM);
    INT_PTR OnThrustSliderReleased(WPARAM, LPARAM);
    INT_PTR OnNotice(WPARAM, LPARAM);
    INT_PTR OnFlapUp(WPARAM, LPARAM) { return Run(Command::FlapUp); }
    INT_PTR OnFlap1(WPARAM, LPARAM) { return Run(Command::Flap1); }
    INT_PTR OnFlap2(WPARAM, LPARAM) { return Run(Command::Flap2); }
    INT_PTR OnFlap3(WPARAM, LPARAM) { return Run(Command::Flap3); }
    INT_PTR OnFlapFull(WPARAM, LPARAM) { return Run(Command::FlapFull); }
    INT_PTR OnSpeedBrakeOut(WPARAM, LPARAM) { return Run(Command::SpeedBrakeOut); }
    INT_PTR OnSpeedBrakeIn(WPARAM, LPARAM) { return Run(Command::SpeedBrakeIn); }
    INT_PTR OnGearDown(WPARAM, LPARAM) { return Run(Command::GearDown); }
    INT_PTR OnGearUp(WPARAM, LPARAM) { return Run(Command::GearUp); }
    INT_PTR OnBrakes(WPARAM, LPARAM) { return Run(Command::Brakes); }
    INT_PTR OnThrustCl(WPARAM, LPARAM) { return Run(Command::ThrustCl); }
    INT_PTR OnThrustIdle(WPARAM, LPARAM) { return Run(Command::ThrustIdle); }
    INT_PTR OnThrustFlxMct(WPARAM, LPARAM) { return Run(Command::ThrustFlxMct); }
    INT_PTR OnThrustToGa(WPARAM, LPARAM) { return Run(Command::ThrustToGa); }
    INT_PTR Run(Command command);

    HWND m_hWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    std::string m_FlapText;
    std::string m_GearText;
    std::string m_SpeedBrakeText;
    std::string m_ThrustText;
    std::string m_BrakesText;
    std::string m_Notice;
    HICON m_hIcon = nullptr;
    // The thirteen lever pictures, in the order LoadBitmaps loads them.
    HBITMAP m_Bitmaps[13] = {};
    PedestalCore m_Core;
    const char* m_BlockName;
    UINT_PTR m_TimerId = 0;
};
