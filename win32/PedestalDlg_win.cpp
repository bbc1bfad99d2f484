#include "win32/PedestalDlg_win.h"

#include "panel/PedestalStatus.h"
#include "panel/Resources.h"

#include <commctrl.h>

#include <iterator>

// In the order of the original message map.
const CPedestalDlg::MessageMapEntry CPedestalDlg::kMessageMap[] = {
    {WM_PAINT, 0, 0, &CPedestalDlg::OnPaint},
    {WM_QUERYDRAGICON, 0, 0, &CPedestalDlg::OnQueryDragIcon},
    {WM_DESTROY, 0, 0, &CPedestalDlg::OnDestroy},
    {WM_COMMAND, IDC_FLAP_1, BN_CLICKED, &CPedestalDlg::OnFlap1},
    {WM_COMMAND, IDC_FLAP_2, BN_CLICKED, &CPedestalDlg::OnFlap2},
    {WM_COMMAND, IDC_FLAP_3, BN_CLICKED, &CPedestalDlg::OnFlap3},
    {WM_COMMAND, IDC_FLAP_FULL, BN_CLICKED, &CPedestalDlg::OnFlapFull},
    {WM_COMMAND, IDC_FLAP_UP, BN_CLICKED, &CPedestalDlg::OnFlapUp},
    {WM_TIMER, 0, 0, &CPedestalDlg::OnTimer},
    {WM_COMMAND, IDC_SPEED_BRAKE_OUT, BN_CLICKED, &CPedestalDlg::OnSpeedBrakeOut},
    {WM_COMMAND, IDC_SPEED_BRAKE_IN, BN_CLICKED, &CPedestalDlg::OnSpeedBrakeIn},
    {WM_COMMAND, IDC_GEAR_DOWN, BN_CLICKED, &CPedestalDlg::OnGearDown},
    {WM_COMMAND, IDC_GEAR_UP, BN_CLICKED, &CPedestalDlg::OnGearUp},
    {WM_NOTIFY, IDC_THRUST_SLIDER, static_cast<int>(NM_RELEASEDCAPTURE),
     &CPedestalDlg::OnThrustSliderReleased},
    {WM_COMMAND, IDC_BRAKES, BN_CLICKED, &CPedestalDlg::OnBrakes},
    {WM_CLOSE, 0, 0, &CPedestalDlg::OnClose},
    {WM_COMMAND, IDC_THRUST_CL, BN_CLICKED, &CPedestalDlg::OnThrustCl},
    {WM_COMMAND, IDC_THRUST_IDLE, BN_CLICKED, &CPedestalDlg::OnThrustIdle},
    {WM_COMMAND, IDC_THRUST_FLXMCT, BN_CLICKED, &CPedestalDlg::OnThrustFlxMct},
    {WM_COMMAND, IDC_THRUST_TOGA, BN_CLICKED, &CPedestalDlg::OnThrustToGa},
    // The framework's defaults for the dialog's OK and Cancel commands.
    {WM_COMMAND, IDOK, BN_CLICKED, &CPedestalDlg::OnOK},
    {WM_COMMAND, IDCANCEL, BN_CLICKED, &CPedestalDlg::OnCancel},
    {kNoticeMessage, 0, 0, &CPedestalDlg::OnNotice},
};

CPedestalDlg::CPedestalDlg(const char* blockName) : m_BlockName(blockName) {
    m_Core.AddListener([this](const Update& update) { Apply(update); });
}

CPedestalDlg::~CPedestalDlg() {
    for (HBITMAP bitmap : m_Bitmaps) {
        if (bitmap != nullptr)
            DeleteObject(bitmap);
    }
}

INT_PTR CPedestalDlg::DoModal(HINSTANCE instance) {
    m_hInstance = instance;
    m_hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME));
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_PEDESTAL_DIALOG), nullptr, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CPedestalDlg::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CPedestalDlg*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        dialog->m_hWnd = window;
        return dialog->OnInitDialog();
    }
    auto* dialog = reinterpret_cast<CPedestalDlg*>(GetWindowLongPtrA(window, DWLP_USER));
    return dialog != nullptr ? dialog->Dispatch(message, wParam, lParam) : FALSE;
}

INT_PTR CPedestalDlg::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    int controlId = 0;
    int code = 0;
    if (message == WM_COMMAND) {
        controlId = LOWORD(wParam);
        code = HIWORD(wParam);
    } else if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        controlId = static_cast<int>(header->idFrom);
        code = static_cast<int>(header->code);
    }
    for (const MessageMapEntry& entry : kMessageMap) {
        if (entry.message == message && entry.controlId == controlId && entry.code == code)
            return (this->*entry.handler)(wParam, lParam);
    }
    return FALSE;
}

BOOL CPedestalDlg::OnInitDialog() {
    DoDataExchange();
    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    LoadBitmaps();
    SetUpSharedMemory();
    m_TimerId = SetTimer(m_hWnd, kStatusTimerId, kStatusPeriodMs, nullptr);
    return m_TimerId != 0;
}

// Members to controls only: the five status texts.
void CPedestalDlg::DoDataExchange() {
    SetDlgItemTextA(m_hWnd, IDC_FLAP_TEXT, m_FlapText.c_str());
    SetDlgItemTextA(m_hWnd, IDC_GEAR_TEXT, m_GearText.c_str());
    SetDlgItemTextA(m_hWnd, IDC_SPEED_BRAKE_TEXT, m_SpeedBrakeText.c_str());
    SetDlgItemTextA(m_hWnd, IDC_THRUST_TEXT, m_ThrustText.c_str());
    SetDlgItemTextA(m_hWnd, IDC_BRAKES_TEXT, m_BrakesText.c_str());
}

void CPedestalDlg::LoadBitmaps() {
    for (std::size_t i = 0; i < std::size(kBitmapResourceIds); ++i)
        m_Bitmaps[i] = LoadBitmapA(m_hInstance, MAKEINTRESOURCEA(kBitmapResourceIds[i]));
}

bool CPedestalDlg::SetUpSharedMemory() {
    Attachment& attachment = m_Core.GetAttachment();
    if (attachment.Attach(m_BlockName))
        return true;
    MessageBoxA(m_hWnd, attachment.FailureText().c_str(), kFailureCaption, MB_OK);
    return false;
}

void CPedestalDlg::Apply(const Update& update) {
    const ShownState& shown = m_Core.Shown();
    if (update.changes & kFlapPicture)
        SetPicture(IDC_FLAP_PICTURE, shown.flapBitmap);
    if (update.changes & kSpeedBrakePicture)
        SetPicture(IDC_SPEED_BRAKE_PICTURE, shown.speedBrakeBitmap);
    if (update.changes & kGearPicture)
        SetPicture(IDC_GEAR_PICTURE, shown.gearBitmap);
    if (update.changes & kThrustPicture)
        SetPicture(IDC_THRUST_PICTURE, shown.thrustBitmap);
    if (update.changes & kSliderPosition)
        SendDlgItemMessageA(m_hWnd, IDC_THRUST_SLIDER, TBM_SETPOS, TRUE, update.sliderPosition);
    if (update.changes & kBrakesCaption)
        SetDlgItemTextA(m_hWnd, IDC_BRAKES, shown.brakesCaption);
    if (update.changes & kNotice) {
        m_Notice = m_Core.Notice();
        PostMessageA(m_hWnd, kNoticeMessage, 0, 0);
    }
    if (update.changes & kTicked) {
        m_BrakesText = shown.brakesText;
        m_GearText = shown.gearText;
        m_FlapText = shown.flapText;
        m_ThrustText = shown.thrustText;
        m_SpeedBrakeText = shown.speedBrakeText;
        DoDataExchange();
    }
}

void CPedestalDlg::SetPicture(int controlId, int resourceId) {
    for (std::size_t i = 0; i < std::size(kBitmapResourceIds); ++i) {
        if (kBitmapResourceIds[i] == resourceId)
            SendDlgItemMessageA(m_hWnd, controlId, STM_SETIMAGE, IMAGE_BITMAP,
                                reinterpret_cast<LPARAM>(m_Bitmaps[i]));
    }
}

INT_PTR CPedestalDlg::OnPaint(WPARAM, LPARAM) {
    // Only the minimised window is painted here: its icon, centred.
    if (!IsIconic(m_hWnd))
        return FALSE;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(m_hWnd, &client);
    const PedestalStatus::IconOrigin origin =
        PedestalStatus::CentredIcon(client.right - client.left, client.bottom - client.top,
                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    DrawIcon(dc, origin.x, origin.y, m_hIcon);
    EndPaint(m_hWnd, &paint);
    return TRUE;
}

INT_PTR CPedestalDlg::OnQueryDragIcon(WPARAM, LPARAM) {
    return reinterpret_cast<INT_PTR>(m_hIcon);
}

INT_PTR CPedestalDlg::OnDestroy(WPARAM, LPARAM) {
    if (m_TimerId != 0) {
        KillTimer(m_hWnd, kStatusTimerId);
        m_TimerId = 0;
    }
    m_Core.GetAttachment().Detach();
    return TRUE;
}

INT_PTR CPedestalDlg::OnTimer(WPARAM timerId, LPARAM) {
    if (timerId != kStatusTimerId)
        return FALSE;
    m_Core.Tick();
    return TRUE;
}

// The close box ends the dialog as OK does.
INT_PTR CPedestalDlg::OnClose(WPARAM wParam, LPARAM lParam) {
    return OnOK(wParam, lParam);
}

INT_PTR CPedestalDlg::OnOK(WPARAM, LPARAM) {
    EndDialog(m_hWnd, IDOK);
    return TRUE;
}

INT_PTR CPedestalDlg::OnCancel(WPARAM, LPARAM) {
    EndDialog(m_hWnd, IDCANCEL);
    return TRUE;
}

INT_PTR CPedestalDlg::OnThrustSliderReleased(WPARAM, LPARAM) {
    const auto position =
        static_cast<int>(SendDlgItemMessageA(m_hWnd, IDC_THRUST_SLIDER, TBM_GETPOS, 0, 0));
    m_Core.Execute(Command::SliderReleased, position);
    return TRUE;
}

// A lost or recovered block is told without stopping the window: the box has
// no owner, so the window stays usable, and its message loop goes on
// delivering the ticks.
INT_PTR CPedestalDlg::OnNotice(WPARAM, LPARAM) {
    const std::string text = m_Notice;
    MessageBoxA(nullptr, text.c_str(), kFailureCaption, MB_OK);
    return TRUE;
}

INT_PTR CPedestalDlg::Run(Command command) {
    m_Core.Execute(command);
    return TRUE;
}
