// The pedestal window: a modal dialog built from template 102, a thin view of
// the pedestal core. Its buttons forward to the core's commands, its 60 ms
// timer runs the core's tick, and it paints what the core says is shown.
#pragma once

#include "panel/PedestalCore.h"
#include "panel/Resources.h"
#include "panel/ShownControls.h"

#include <QDialog>
#include <QIcon>
#include <QPixmap>
#include <QString>

#include <cstdint>
#include <functional>
#include <iterator>
#include <utility>
#include <vector>

class QLabel;
class QSlider;
class QCloseEvent;
class QPaintEvent;
class QShowEvent;
class QTimerEvent;
struct GenericSimBlock;

class CPedestalDlg : public QDialog {
public:
    // blockName null attaches to the simulator's block; tests and tools name
    // a block of their own so that they never touch the one a rig is using.
    explicit CPedestalDlg(QWidget* parent = nullptr, const char* blockName = nullptr);
    ~CPedestalDlg() override;

    CPedestalDlg(const CPedestalDlg&) = delete;
    CPedestalDlg& operator=(const CPedestalDlg&) = delete;

    static constexpr int kStatusTimerId = PedestalCore::kStatusTimerId;
    static constexpr int kStatusPeriodMs = PedestalCore::kStatusPeriodMs;

    // Runs once, from the first show or from a caller that drives the dialog
    // without showing it; a second call does nothing and returns false.
    // Ticks before it do nothing.
    bool OnInitDialog();
    // One whole status tick, whatever the timer ID.
    void OnTimer(int timerId);
    void OnDestroy();
    // Ends the modal run; the window's attachment goes with it.
    void done(int result) override;

    // The core this window shows; other views (a browser server) may drive it
    // too, from this window's thread.
    PedestalCore& Core() { return m_Core; }

    // The dialog's controls, by template ID (first match for IDC_STATIC) and
    // in template order.
    QWidget* GetDlgItem(int id) const;
    const std::vector<QWidget*>& TemplateControls() const { return m_Controls; }
    // The loaded picture of a bitmap resource, or a null pixmap.
    const QPixmap& Bitmap(int resourceId) const;
    // The icon the window, its taskbar entry and a minimised window show.
    QIcon OnQueryDragIcon() const { return m_hIcon; }

    // The block the handlers and the tick act on, or null without one.
    GenericSimBlock* SimBlock() const { return m_Core.Block(); }
    bool IsTimerRunning() const { return m_TimerId != 0; }
    std::int32_t SliderHoldOff() const { return m_Core.SliderHoldOff(); }

    // Points the handlers and the tick at caller-owned storage instead of the
    // attachment: for benchmarking a tick against arbitrary contents.
    void UseBlockForTest(GenericSimBlock* block) { m_Core.GetAttachment().UseBlock(block); }

    // Shows a failure to the user; replaceable so that tests can capture the
    // text instead of waiting on a modal box.
    using MessageBoxFunction =
        std::function<void(QWidget* owner, const QString& text, const QString& caption)>;
    void SetMessageBoxFunction(MessageBoxFunction function) { m_MessageBox = std::move(function); }
    // The default: a modal box with an OK button and no icon.
    static void ShowMessageBox(QWidget* owner, const QString& text, const QString& caption);
    // Tells the user of a block lost or attached again while the window runs;
    // replaceable like the message box. The default is a box that is not modal.
    void SetNoticeFunction(MessageBoxFunction function) { m_Notice = std::move(function); }
    static void ShowNotice(QWidget* owner, const QString& text, const QString& caption);

protected:
    void DoDataExchange();
    bool SetUpSharedMemory();
    void OnPaint();
    void OnOK() { accept(); }
    // The close box ends the dialog as OK does.
    void OnClose() { OnOK(); }

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // Each control of the core's command table runs its command.
    void ConnectMessageMap();
    // Paints what the core says changed.
    void Apply(const Update& update);
    void SetPicture(QLabel* picture, int resourceId);

    // Per row of kShownControls: the control that shows it and, for a text,
    // the core's text last taken with its conversion, so that a tick converts
    // a text only when the core's pointer moves.
    struct ShownControlState {
        QWidget* control = nullptr;
        const char* taken = nullptr;
        QString text;
    };
    ShownControlState m_Shown[std::size(kShownControls)];
    QIcon m_hIcon;
    mutable QPixmap m_Bitmaps[kBitmapSlots];

    PedestalCore m_Core;
    const char* m_BlockName;
    std::vector<QWidget*> m_Controls;
    int m_TimerId = 0;
    bool m_bInitialised = false;
    MessageBoxFunction m_MessageBox;
    MessageBoxFunction m_Notice;
};
