// The pedestal window: a modal dialog built from template 102, a thin view of
// the pedestal core. Its buttons forward to the core's commands, its 60 ms
// timer runs the core's tick, and it paints what the core says is shown.
#pragma once

#include "panel/PedestalCore.h"

#include <QDialog>
#include <QIcon>
#include <QPixmap>
#include <QString>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class QLabel;
class QPushButton;
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
    QIcon OnQueryDragIcon() const;

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
    void LoadBitmaps();
    bool SetUpSharedMemory();
    void OnPaint();
    void OnOK();
    void OnClose();

    void OnFlap1() { m_Core.SetFlapLever(1); }
    void OnFlap2() { m_Core.SetFlapLever(2); }
    void OnFlap3() { m_Core.SetFlapLever(3); }
    void OnFlapFull() { m_Core.SetFlapLever(4); }
    void OnFlapUp() { m_Core.SetFlapLever(0); }
    void OnSpeedBrakeOut() { m_Core.SelectSpeedBrake(false); }
    void OnSpeedBrakeIn() { m_Core.SelectSpeedBrake(true); }
    void OnGearDown() { m_Core.SetGear(false); }
    void OnGearUp() { m_Core.SetGear(true); }
    void OnThrustSliderReleased();
    void OnBrakes() { m_Core.ToggleBrakes(); }
    void OnThrustCl() { m_Core.Execute(Command::ThrustCl); }
    void OnThrustIdle() { m_Core.Execute(Command::ThrustIdle); }
    void OnThrustFlxMct() { m_Core.Execute(Command::ThrustFlxMct); }
    void OnThrustToGa() { m_Core.Execute(Command::ThrustToGa); }

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void BuildControls();
    void ConnectMessageMap();
    // Paints what the core says changed.
    void Apply(const Update& update);
    void SetPicture(QLabel* picture, int resourceId);

    QPushButton* m_BrakesButton = nullptr;
    QSlider* m_ThrustSlider = nullptr;
    QLabel* m_ThrustPicture = nullptr;
    QLabel* m_GearPicture = nullptr;
    QLabel* m_SpeedBrakePicture = nullptr;
    QLabel* m_FlapPicture = nullptr;
    QString m_FlapText;
    QString m_GearText;
    QString m_SpeedBrakeText;
    QString m_ThrustText;
    QString m_BrakesText;
    QIcon m_hIcon;
    // The thirteen lever pictures, in the order LoadBitmaps loads them.
    QPixmap m_Bitmaps[13];

    PedestalCore m_Core;
    const char* m_BlockName;
    std::vector<QWidget*> m_Controls;
    QLabel* m_FlapTextStatic = nullptr;
    QLabel* m_GearTextStatic = nullptr;
    QLabel* m_SpeedBrakeTextStatic = nullptr;
    QLabel* m_ThrustTextStatic = nullptr;
    QLabel* m_BrakesTextStatic = nullptr;
    int m_TimerId = 0;
    bool m_bInitialised = false;
    MessageBoxFunction m_MessageBox;
    MessageBoxFunction m_Notice;
};
