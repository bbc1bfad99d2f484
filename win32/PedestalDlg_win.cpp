#include "win32/PedestalDlg_win.h"

#include "panel/PedestalStatus.h"

#include <commctrl.h>

#include <iterator>

// In the order of the original message map; the controls' commands come from
// the core's table (RunCommand).
const CPedestalDlg::MessageMapEntry CPedestalDlg::kMessageMap[] = {
    {WM_PAINT, 0, 0, &CPedestalDlg::OnPaint},
    {WM_QUERYDRAGICON, 0, 0, &CPedestalDlg::OnQueryDragIcon},
    {WM_DESTROY, 0, 0, &CPedestalDlg::OnDestroy},
    {WM_TIMER, 0, 0, &CPedestalDlg::OnTimer},
    {WM_CLOSE, 0, 0, &CPedestalDlg::OnClose},
    // The framework's defaults for the dialog's OK and Cancel commands.
    {WM_COMMAND, IDOK, BN_CLICKED, &CPedestalDlg::OnOK},
    {WM_COMMAND, IDCANCEL, BN_CLICKED, &CPedestalDlg::OnCancel},
    {kNoticeMessage, 0, 0, &CPedestalDlg::OnNotice},
    {kCoreTaskMessage, 0, 0, &CPedestalDlg::OnCoreTasks},
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
    return RunCommand(message, controlId, code);
}

INT_PTR CPedestalDlg::RunCommand(UINT message, int controlId, int code) {
    const CommandInfo* info = CommandForControl(controlId);
    if (info == nullptr)
        return FALSE;
    if (info->command != Command::SliderReleased) {
        if (message != WM_COMMAND || code != BN_CLICKED)
            return FALSE;
        m_Core.Execute(info->command);
        return TRUE;
    }
    if (message != WM_NOTIFY || code != static_cast<int>(NM_RELEASEDCAPTURE))
        return FALSE;
    m_Core.Execute(info->command,
                   static_cast<int>(SendDlgItemMessageA(m_hWnd, controlId, TBM_GETPOS, 0, 0)));
    return TRUE;
}

BOOL CPedestalDlg::OnInitDialog() {
    DoDataExchange();
    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    LoadBitmaps();
    SetUpSharedMemory();
    m_TimerId = SetTimer(m_hWnd, kStatusTimerId, kStatusPeriodMs, nullptr);
    {
        const std::lock_guard<std::mutex> lock(m_TaskMutex);
        m_hTaskWindow = m_hWnd;
        if (!m_Tasks.empty())
            PostMessageA(m_hWnd, kCoreTaskMessage, 0, 0);
    }
    return m_TimerId != 0;
}

// Members to controls only: the five status texts.
void CPedestalDlg::DoDataExchange() {
    for (std::size_t i = 0; i < std::size(kShownControls); ++i) {
        if (kShownControls[i].change & kAllTexts)
            SetDlgItemTextA(m_hWnd, kShownControls[i].controlId, m_Texts[i] ? m_Texts[i] : "");
    }
}

void CPedestalDlg::LoadBitmaps() {
    for (int id : kBitmapResourceIds)
        m_Bitmaps[BitmapSlot(id)] = LoadBitmapA(m_hInstance, MAKEINTRESOURCEA(id));
}

bool CPedestalDlg::SetUpSharedMemory() {
    return m_Core.SetUpSharedMemory(m_BlockName, [this](const char* text, const char* caption) {
        MessageBoxA(m_hWnd, text, caption, MB_OK);
    });
}

void CPedestalDlg::Apply(const Update& update) {
    const ShownState& shown = m_Core.Shown();
    // A tick takes all five texts, changed or not; the caption when it changes.
    const unsigned taken = update.changes & kTicked ? update.changes | kAllTexts : update.changes;
    for (std::size_t i = 0; i < std::size(kShownControls); ++i) {
        const ShownControl& row = kShownControls[i];
        if (!(taken & row.change))
            continue;
        if (row.bitmap != nullptr)
            SetPicture(row.controlId, shown.*row.bitmap);
        else if (row.change & kAllTexts)
            m_Texts[i] = shown.*row.text;
        else
            SetDlgItemTextA(m_hWnd, row.controlId, shown.*row.text);
    }
    if (update.changes & kSliderPosition)
        SendDlgItemMessageA(m_hWnd, IDC_THRUST_SLIDER, TBM_SETPOS, TRUE, update.sliderPosition);
    if (update.changes & kNotice) {
        m_Notice = m_Core.Notice();
        PostMessageA(m_hWnd, kNoticeMessage, 0, 0);
    }
    if (update.changes & kTicked)
        DoDataExchange();
}

void CPedestalDlg::SetPicture(int controlId, int resourceId) {
    const int slot = BitmapSlot(resourceId);
    if (slot >= 0 && m_Bitmaps[slot] != nullptr)
        SendDlgItemMessageA(m_hWnd, controlId, STM_SETIMAGE, IMAGE_BITMAP,
                            reinterpret_cast<LPARAM>(m_Bitmaps[slot]));
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

INT_PTR CPedestalDlg::OnDestroy(WPARAM, LPARAM) {
    {
        const std::lock_guard<std::mutex> lock(m_TaskMutex);
        m_hTaskWindow = nullptr;
        m_Tasks.clear();
    }
    if (m_TimerId != 0) {
        KillTimer(m_hWnd, kStatusTimerId);
        m_TimerId = 0;
    }
    m_Core.GetAttachment().Detach();
    return TRUE;
}

// A lost or recovered block is told without stopping the window: the box has
// no owner, so the window stays usable, and its message loop goes on
// delivering the ticks.
INT_PTR CPedestalDlg::OnNotice(WPARAM, LPARAM) {
    const std::string text = m_Notice;
    MessageBoxA(nullptr, text.c_str(), PedestalCore::kBlockCaption, MB_OK);
    return TRUE;
}

void CPedestalDlg::PostCoreTask(CoreTask task) {
    const std::lock_guard<std::mutex> lock(m_TaskMutex);
    m_Tasks.push_back(std::move(task));
    // One message wakes the window for everything queued since it last looked.
    if (m_hTaskWindow != nullptr && m_Tasks.size() == 1)
        PostMessageA(m_hTaskWindow, kCoreTaskMessage, 0, 0);
}

INT_PTR CPedestalDlg::OnCoreTasks(WPARAM, LPARAM) {
    std::deque<CoreTask> tasks;
    {
        const std::lock_guard<std::mutex> lock(m_TaskMutex);
        tasks.swap(m_Tasks);
    }
    for (CoreTask& task : tasks)
        task(m_Core);
    return TRUE;
}
