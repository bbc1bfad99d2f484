// The pedestal window: a modal dialog built from template 102 whose buttons
// write lever positions into the simulator's shared block and whose 60 ms tick
// shows back what the block holds.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QPixmap>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QLabel;
class QPushButton;
class QSlider;
class QCloseEvent;
class QPaintEvent;
class QShowEvent;
class QTimerEvent;
class TS_P_0001_02_Shm;
struct GenericSimBlock;

class CPedestalDlg : public QDialog {
public:
    // blockName null attaches to the simulator's block; tests and tools name
    // a block of their own so that they never touch the one a rig is using.
    explicit CPedestalDlg(QWidget* parent = nullptr, const char* blockName = nullptr);
    ~CPedestalDlg() override;

    CPedestalDlg(const CPedestalDlg&) = delete;
    CPedestalDlg& operator=(const CPedestalDlg&) = delete;

    static constexpr int kStatusTimerId = 4378269;
    static constexpr int kStatusPeriodMs = 60;

    // Runs once, from the first show or from a caller that drives the dialog
    // without showing it; a second call does nothing and returns false.
    // Ticks before it do nothing.
    bool OnInitDialog();
    // One whole status tick, whatever the timer ID.
    void OnTimer(int timerId);
    void OnDestroy();
    // Ends the modal run; the window's attachment goes with it.
    void done(int result) override;

    // The dialog's controls, by template ID (first match for IDC_STATIC) and
    // in template order.
    QWidget* GetDlgItem(int id) const;
    const std::vector<QWidget*>& TemplateControls() const { return m_Controls; }
    // The loaded picture of a bitmap resource, or a null pixmap.
    const QPixmap& Bitmap(int resourceId) const;
    // The icon the window, its taskbar entry and a minimised window show.
    QIcon OnQueryDragIcon() const;

    // The block the handlers and the tick act on, or null without one.
    GenericSimBlock* SimBlock() const { return m_pSimBlock; }
    bool IsTimerRunning() const { return m_TimerId != 0; }
    std::int32_t SliderHoldOff() const { return m_SliderHoldOff; }

    // Points the handlers and the tick at caller-owned storage instead of the
    // attachment: for fuzzing and benchmarking a tick against arbitrary
    // contents. The storage must be aligned for GenericSimBlock and outlive
    // its use; OnDestroy forgets it.
    void UseBlockForTest(GenericSimBlock* block) { m_pSimBlock = block; }

    // Shows a failure to the user; replaceable so that tests can capture the
    // text instead of waiting on a modal box.
    using MessageBoxFunction =
        std::function<void(QWidget* owner, const QString& text, const QString& caption)>;
    void SetMessageBoxFunction(MessageBoxFunction function) { m_MessageBox = std::move(function); }
    // The default: a modal box with an OK button and no icon.
    static void ShowMessageBox(QWidget* owner, const QString& text, const QString& caption);

protected:
    void DoDataExchange();
    void LoadBitmaps();
    bool SetUpSharedMemory();
    void OnPaint();
    void OnOK();
    void OnClose();

    void OnFlap1();
    void OnFlap2();
    void OnFlap3();
    void OnFlapFull();
    void OnFlapUp();
    void OnSpeedBrakeOut();
    void OnSpeedBrakeIn();
    void OnGearDown();
    void OnGearUp();
    void OnThrustSliderReleased();
    void OnBrakes();
    void OnThrustCl();
    void OnThrustIdle();
    void OnThrustFlxMct();
    void OnThrustToGa();

    void SetFlapLever(int detent);
    void SetThrust(double value);
    void ShowFlaps();
    void ShowSpeedBrake();
    void ShowGear();
    void ShowThrust();

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void BuildControls();
    void ConnectMessageMap();
    void SetPicture(QLabel* picture, const QPixmap& bitmap);

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
    QPixmap m_FlapsUpBitmap;
    QPixmap m_Flaps1Bitmap;
    QPixmap m_Flaps2Bitmap;
    QPixmap m_Flaps3Bitmap;
    QPixmap m_FlapsFullBitmap;
    QPixmap m_SpeedBrakeInBitmap;
    QPixmap m_SpeedBrakeOutBitmap;
    QPixmap m_GearDownBitmap;
    QPixmap m_GearUpBitmap;
    QPixmap m_ThrustIdleBitmap;
    QPixmap m_ThrustClBitmap;
    QPixmap m_ThrustFlxMctBitmap;
    QPixmap m_ThrustToGaBitmap;
    std::unique_ptr<TS_P_0001_02_Shm> m_pShm;
    GenericSimBlock* m_pSimBlock = nullptr;
    std::int32_t m_FlapState = 0;
    std::int32_t m_ShownFlapState = 0;
    bool m_bSpeedBrakeIn = true;
    bool m_bShownSpeedBrakeIn = true;
    bool m_bShownGearUp = false;
    // Idle until a block says otherwise, matching the template's picture.
    std::int32_t m_ThrustState = 2;
    // None of the states, so that the first tick sets the thrust picture.
    std::int32_t m_ShownThrustState = -1;
    // 0 lets the hidden slider follow the block once, on the second tick.
    std::int32_t m_SliderHoldOff = 0;

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
};
